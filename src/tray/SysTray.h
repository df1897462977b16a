// A notification-area icon with a tooltip and a popup menu, which turns the
// shell's mouse notifications for the icon into component events.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/vcl/icons.h"
#include "platform/vcl/menus.h"

namespace tray {

// The shell's callback message for the icon: WParam the icon's identifier,
// LParam the mouse message.
inline constexpr std::uint32_t WM_TRAYNOTIFY = 0x52B;

// A set of shift-state members.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssDouble = 8;

using TNotifyEvent = std::function<void(vcl::TComponent* sender)>;
using TMouseEvent =
    std::function<void(vcl::TComponent* sender, vcl::TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(vcl::TComponent* sender, TShiftState shift, int x, int y)>;

// The longest tooltip the record holds.
inline constexpr std::size_t MaxHintLength = 63;

class TSysTray : public vcl::TComponent {
public:
    TSysTray(vcl::TComponent* owner, vcl::TApplication& application);
    ~TSysTray() override;

    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool visible);
    std::string Hint() const;
    void SetHint(const std::string& hint);
    vcl::TIcon& Icon() noexcept { return *FIcon; }
    void SetIcon(const vcl::TIcon& icon) { FIcon->Assign(icon); }
    vcl::TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
    void SetPopupMenu(vcl::TPopupMenu* menu);

    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    // The record every shell call is made with.
    const vcl::NotifyIconData& NotifyData() const noexcept { return FNotifyData; }
    vcl::HWND NotifyWindow() const { return FNotifyWindow->Handle(); }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

    virtual void TrayMouseDown(vcl::TMouseButton button, TShiftState shift, int x, int y);
    virtual void TrayMouseMove(TShiftState shift, int x, int y);
    virtual void TrayMouseUp(vcl::TMouseButton button, TShiftState shift, int x, int y);
    virtual void TrayClick();
    virtual void TrayDblClick();

private:
    vcl::HICON TrayIconHandle();
    void TrayIconUpdated();
    void TrayWndProc(vcl::TMessage& message);
    void DispatchMouseMessage(std::intptr_t mouseMessage);
    void PopupAtCursor();
    void ShellNotify(std::uint32_t message);

    vcl::TApplication& FApplication;
    std::unique_ptr<vcl::UtilityWindow> FNotifyWindow;
    vcl::NotifyIconData FNotifyData;
    vcl::TPopupMenu* FPopupMenu = nullptr;
    bool FTrayUnavailable = false;
    bool FVisible = false;
    std::unique_ptr<vcl::TIcon> FIcon;
    std::uint32_t FTaskbarCreated = 0;
};

}  // namespace tray
