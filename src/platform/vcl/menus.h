// Popup menus and their items.
#pragma once

#include <functional>
#include <string>
#include <vector>

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

class TPopupMenu {
public:
    explicit TPopupMenu(std::vector<TMenuItem> items) : Items(std::move(items)) {}

    std::vector<TMenuItem> Items;
    bool AutoPopup = true;
};

}  // namespace vcl
