// Components: objects with an owner, a name and a tag, which can ask to hear
// of one another's destruction.
#pragma once

#include <string>
#include <vector>

namespace vcl {

enum class TOperation { opInsert, opRemove };

class TComponent {
public:
    explicit TComponent(TComponent* owner) : FOwner(owner) {}
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const noexcept { return FOwner; }
    std::string Name;
    int Tag = 0;

    // Both components hear of the other's destruction through Notification.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

protected:
    virtual void Notification(TComponent* component, TOperation operation);

private:
    TComponent* FOwner;
    std::vector<TComponent*> FFreeNotifies;
};

}  // namespace vcl
