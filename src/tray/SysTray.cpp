#include "tray/SysTray.h"

#include <algorithm>
#include <cstring>

namespace tray {
namespace {

constexpr std::uint32_t NotifyIconDataSize = 88;
constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;
constexpr int VK_MENU = 0x12;

enum MouseMessage : std::intptr_t {
    WM_MOUSEMOVE = 0x200,
    WM_LBUTTONDOWN,
    WM_LBUTTONUP,
    WM_LBUTTONDBLCLK,
    WM_RBUTTONDOWN,
    WM_RBUTTONUP,
    WM_RBUTTONDBLCLK,
    WM_MBUTTONDOWN,
    WM_MBUTTONUP,
    WM_MBUTTONDBLCLK
};

// Each component is its own icon: its address, cut to the record's 32 bits.
std::uint32_t IdentifierOf(const TSysTray* tray) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(tray));
}

}  // namespace

TSysTray::TSysTray(vcl::TComponent* owner, vcl::TApplication& application)
    : TComponent(owner), FApplication(application) {
    vcl::Platform& platform = application.System();
    FIcon = std::make_unique<vcl::TIcon>(platform);
    FIcon->SetSize(platform.GetSystemMetrics(vcl::SM_CXSMICON), platform.GetSystemMetrics(vcl::SM_CYSMICON));
    FIcon->OnChange = [this] { TrayIconUpdated(); };
    const vcl::OsVersion version = platform.Version();
    FTrayUnavailable = version.platformId == VER_PLATFORM_WIN32_NT && version.major <= 3;
    FNotifyWindow = platform.AllocateHWnd([this](vcl::TMessage& message) { TrayWndProc(message); });
    // A restarted shell announces its new task bar with this message.
    FTaskbarCreated = platform.RegisterWindowMessage("TaskbarCreated");
}

TSysTray::~TSysTray() {
    SetVisible(false);
    FNotifyWindow.reset();
    FIcon.reset();
}

void TSysTray::SetVisible(bool visible) {
    if (visible != FVisible && !FTrayUnavailable) {
        if (visible) {
            FNotifyData.cbSize = NotifyIconDataSize;
            FNotifyData.hWnd = FNotifyWindow->Handle();
            FNotifyData.uID = IdentifierOf(this);
            FNotifyData.uFlags = vcl::NIF_MESSAGE | vcl::NIF_ICON | vcl::NIF_TIP;
            FNotifyData.uCallbackMessage = WM_TRAYNOTIFY;
            FNotifyData.hIcon = TrayIconHandle();
            ShellNotify(vcl::NIM_ADD);
        } else {
            ShellNotify(vcl::NIM_DELETE);
        }
    }
    FVisible = visible;
}

std::string TSysTray::Hint() const {
    const char* tip = FNotifyData.szTip;
    return std::string(tip, std::find(tip, tip + MaxHintLength, '\0'));
}

void TSysTray::SetHint(const std::string& hint) {
    if (hint == Hint()) return;
    const std::size_t length = std::min(hint.size(), MaxHintLength);
    std::memcpy(FNotifyData.szTip, hint.data(), length);
    FNotifyData.szTip[length] = '\0';
    if (!FTrayUnavailable) ShellNotify(vcl::NIM_MODIFY);
}

void TSysTray::SetPopupMenu(vcl::TPopupMenu* menu) {
    FPopupMenu = menu;
    if (menu != nullptr) menu->FreeNotification(this);
}

void TSysTray::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component != nullptr && component == FPopupMenu)
        FPopupMenu = nullptr;
}

void TSysTray::TrayMouseDown(vcl::TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TSysTray::TrayMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TSysTray::TrayMouseUp(vcl::TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TSysTray::TrayClick() {
    if (OnClick) OnClick(this);
}

void TSysTray::TrayDblClick() {
    if (OnDblClick) OnDblClick(this);
}

vcl::HICON TSysTray::TrayIconHandle() {
    return FIcon->Empty() ? FApplication.System().ApplicationIcon() : FIcon->Handle();
}

void TSysTray::TrayIconUpdated() {
    FNotifyData.hIcon = TrayIconHandle();
    ShellNotify(vcl::NIM_MODIFY);
}

void TSysTray::ShellNotify(std::uint32_t message) { FApplication.System().Shell_NotifyIcon(message, FNotifyData); }

void TSysTray::TrayWndProc(vcl::TMessage& message) {
    if (message.Msg == WM_TRAYNOTIFY && message.WParam == FNotifyData.uID) {
        FApplication.Dispatch([&] { DispatchMouseMessage(message.LParam); });
        message.Result = 0;
        return;
    }
    // Without this the icon would stay gone after the shell restarts, and
    // with it the only way to "Quit".
    if (message.Msg == FTaskbarCreated && FVisible && !FTrayUnavailable) ShellNotify(vcl::NIM_ADD);
    message.Result = FApplication.System().DefWindowProc(FNotifyWindow->Handle(), message);
}

// The notification carries no position: every event reports (0, 0).
void TSysTray::DispatchMouseMessage(std::intptr_t mouseMessage) {
    using vcl::TMouseButton;
    const TShiftState shift = FApplication.System().GetKeyState(VK_MENU) < 0 ? ssAlt : 0;
    switch (mouseMessage) {
        case WM_MOUSEMOVE: TrayMouseMove(shift, 0, 0); break;
        case WM_LBUTTONDOWN: TrayMouseDown(TMouseButton::mbLeft, shift, 0, 0); break;
        case WM_LBUTTONUP:
            TrayClick();
            TrayMouseUp(TMouseButton::mbLeft, shift, 0, 0);
            break;
        case WM_LBUTTONDBLCLK:
            TrayDblClick();
            TrayMouseDown(TMouseButton::mbLeft, shift | ssDouble, 0, 0);
            break;
        case WM_RBUTTONDOWN:
            TrayMouseDown(TMouseButton::mbRight, shift, 0, 0);
            PopupAtCursor();
            break;
        case WM_RBUTTONUP: TrayMouseUp(TMouseButton::mbRight, shift, 0, 0); break;
        case WM_RBUTTONDBLCLK: TrayMouseDown(TMouseButton::mbRight, shift | ssDouble, 0, 0); break;
        case WM_MBUTTONDOWN: TrayMouseDown(TMouseButton::mbMiddle, shift, 0, 0); break;
        case WM_MBUTTONUP: TrayMouseUp(TMouseButton::mbMiddle, shift, 0, 0); break;
        case WM_MBUTTONDBLCLK: TrayMouseDown(TMouseButton::mbMiddle, shift | ssDouble, 0, 0); break;
        default: break;
    }
}

void TSysTray::PopupAtCursor() {
    if (FPopupMenu == nullptr || !FPopupMenu->AutoPopup) return;
    const vcl::TPoint cursor = FApplication.System().GetCursorPos();
    FPopupMenu->PopupComponent = this;
    FPopupMenu->Popup(cursor.X, cursor.Y);
}

}  // namespace tray
