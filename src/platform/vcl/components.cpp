#include "platform/vcl/components.h"

#include <algorithm>

namespace vcl {

TComponent::~TComponent() {
    // Each one told forgets this component before hearing of it.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        std::erase(other->FFreeNotifies, this);
        other->Notification(this, TOperation::opRemove);
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    if (std::find(component->FFreeNotifies.begin(), component->FFreeNotifies.end(), this) ==
        component->FFreeNotifies.end())
        component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component == nullptr) return;
    std::erase(FFreeNotifies, component);
    std::erase(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent*, TOperation) {}

}  // namespace vcl
