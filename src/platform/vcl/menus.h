// Popup menus and their items.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/components.h"
#include "platform/vcl/forms.h"

namespace vcl {

class TMenuItem {
public:
    TMenuItem(std::string name, std::string caption) : FName(std::move(name)), FCaption(std::move(caption)) {}

    const std::string& Name() const noexcept { return FName; }
    const std::string& Caption() const noexcept { return FCaption; }

    std::function<void()> OnClick;

    // Runs OnClick as a menu command does: an error is shown, not passed on.
    void Click(TApplication& application) const {
        if (OnClick) application.Dispatch(OnClick);
    }

private:
    std::string FName;
    std::string FCaption;
};

class TPopupMenu : public TComponent {
public:
    TPopupMenu(TComponent* owner, TApplication& application, std::vector<TMenuItem> items)
        : TComponent(owner), Items(std::move(items)), FApplication(application) {}

    std::vector<TMenuItem> Items;
    bool AutoPopup = true;
    // The component that last popped the menu up.
    TComponent* PopupComponent = nullptr;

    // Shows the menu at a screen point and runs the chosen item once it closes.
    void Popup(int x, int y);

private:
    TApplication& FApplication;
};

}  // namespace vcl
