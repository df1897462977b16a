#include "platform/win32/window.h"

#include <algorithm>
#include <optional>

#include "platform/vcl/sysutils.h"
#include "platform/win32/controls.h"
#include "platform/win32/message_window.h"
#include "platform/win32/wide_text.h"

// The system's IDC_ and RT_ resource names, as wide strings: they expand
// through MAKEINTRESOURCE, which is narrow unless UNICODE is defined.
#undef MAKEINTRESOURCE
#define MAKEINTRESOURCE MAKEINTRESOURCEW

namespace win32 {
namespace {

// The controls' font at 96 pixels per inch.
constexpr int kFontHeight = -11;
constexpr const char* kFontName = "Tahoma";

// A frameless window can be sized down to its edge bands, far below the
// system's minimum for framed windows: small regions are worth framing.
constexpr int kSmallestFrameless = 20;

struct Styles {
    DWORD style;
    DWORD exStyle;
};

// Frameless windows are tool windows so that the selector and the backdrop
// get no task bar button of their own.
Styles StylesOf(const vcl::WindowStyle& window) {
    using vcl::TBorderStyle;
    Styles styles{};
    switch (window.border) {
        case TBorderStyle::bsNone: styles = {WS_POPUP, WS_EX_TOOLWINDOW}; break;
        case TBorderStyle::bsSingle: styles = {WS_CAPTION, 0}; break;
        case TBorderStyle::bsSizeable: styles = {WS_CAPTION | WS_THICKFRAME, 0}; break;
        case TBorderStyle::bsDialog: styles = {WS_CAPTION, WS_EX_DLGMODALFRAME}; break;
        case TBorderStyle::bsToolWindow: styles = {WS_CAPTION, WS_EX_TOOLWINDOW}; break;
        case TBorderStyle::bsSizeToolWin: styles = {WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW}; break;
    }
    if (window.border != TBorderStyle::bsNone && window.systemMenu) {
        styles.style |= WS_SYSMENU;
        const bool minimizable = window.border == TBorderStyle::bsSingle || window.border == TBorderStyle::bsSizeable;
        if (minimizable && window.minimizeBox) styles.style |= WS_MINIMIZEBOX;
    }
    if (window.stayOnTop) styles.exStyle |= WS_EX_TOPMOST;
    if (window.layered) styles.exStyle |= WS_EX_LAYERED;
    return styles;
}

// An RGB colour, or with 0xFF in the high byte a system colour by its index.
COLORREF ColorRefOf(vcl::TColor color) {
    const auto value = static_cast<std::uint32_t>(color);
    if ((value >> 24) == 0xFF) return ::GetSysColor(static_cast<int>(value & 0xFF));
    return value & 0xFFFFFF;
}

}  // namespace

HCURSOR SystemCursor(vcl::TCursor cursor) {
    const wchar_t* name = IDC_ARROW;
    switch (cursor) {
        case vcl::crHandPoint: name = IDC_HAND; break;
        case vcl::crSizeAll: name = IDC_SIZEALL; break;
        case vcl::crSizeNWSE: name = IDC_SIZENWSE; break;
        case vcl::crSizeWE: name = IDC_SIZEWE; break;
        case vcl::crSizeNS: name = IDC_SIZENS; break;
        case vcl::crArrow:
        case vcl::crDefault: break;
    }
    return ::LoadCursorW(nullptr, name);
}

namespace {

// The window's pixels per inch: its monitor's where the system tells them
// (Windows 10 1607 and later), else the system's.
UINT DpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    const ClientContext screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

struct IconRequest {
    int size;
    HICON icon;
};

// The first icon group of the program is its icon.
BOOL CALLBACK LoadFirstIcon(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR request) {
    auto& wanted = *reinterpret_cast<IconRequest*>(request);
    wanted.icon = static_cast<HICON>(::LoadImageW(module, name, IMAGE_ICON, wanted.size, wanted.size, LR_SHARED));
    return FALSE;
}

HICON ProgramIcon(HINSTANCE instance, int size) {
    IconRequest request{size, nullptr};
    ::EnumResourceNamesW(instance, RT_GROUP_ICON, LoadFirstIcon, reinterpret_cast<LONG_PTR>(&request));
    return request.icon;
}

vcl::TPoint PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

WNDCLASSEXW Win32Window::ClassDescription(HINSTANCE instance) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = MessageProc<Win32Window>;
    description.hInstance = instance;
    description.hIcon = ProgramIcon(instance, ::GetSystemMetrics(SM_CXICON));
    description.hIconSm = ProgramIcon(instance, ::GetSystemMetrics(SM_CXSMICON));
    description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    description.lpszClassName = L"TivaloForm";
    return description;
}

Win32Window::Win32Window(const WindowClass& windowClass, const vcl::WindowStyle& style, const vcl::TRect& outer,
                         vcl::WindowEvents& events)
    : FClass(windowClass), FEvents(events), FStyle(style), FCursor(SystemCursor(vcl::crDefault)) {
    SetBackground(style.color);
    FHandle = CreateHandle(style, outer);
    FDpi = DpiOf(FHandle.get());
}

// The handle is let go of first, so that nothing its destruction sends reaches the owner.
Win32Window::~Win32Window() { ::DestroyWindow(FHandle.release()); }

UniqueWindow Win32Window::CreateHandle(const vcl::WindowStyle& style, const vcl::TRect& outer) {
    const Styles styles = StylesOf(style);
    UniqueWindow window(CheckOS(::CreateWindowExW(styles.exStyle, FClass.Name(), Widen(style.caption).c_str(),
                                                  styles.style, outer.Left, outer.Top, outer.Width(), outer.Height(),
                                                  nullptr, nullptr, FClass.Instance(), this)));
    // A layered window stays invisible until its opacity is set.
    if (style.layered) CheckOS(::SetLayeredWindowAttributes(window.get(), 0, style.alpha, LWA_ALPHA));
    return window;
}

void Win32Window::SetStyle(const vcl::WindowStyle& style) {
    if (style.border != FStyle.border)
        Recreate(style);
    else
        Restyle(style);
    FStyle = style;
}

// The system cannot change a window's frame kind in place: a new window takes
// the old one's place, size, order, visibility and activation, and the
// controls move over to it.
void Win32Window::Recreate(const vcl::WindowStyle& style) {
    const HWND old = FHandle.get();
    RECT outer;
    CheckOS(::GetWindowRect(old, &outer));
    const bool visible = ::IsWindowVisible(old);
    const bool foreground = ::GetForegroundWindow() == old;
    if (style.color != FStyle.color) SetBackground(style.color);
    UniqueWindow replacement = CreateHandle(style, FromRect(outer));
    for (ChildControl* control : FControls) control->MoveTo(replacement.get());
    ::SetWindowPos(replacement.get(), old, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
    UniqueWindow previous = std::exchange(FHandle, std::move(replacement));
    if (foreground) ::SetForegroundWindow(FHandle.get());
    FFocus = nullptr;
    previous.reset();
}

void Win32Window::Restyle(const vcl::WindowStyle& style) {
    const HWND window = FHandle.get();
    if (style.caption != FStyle.caption) ::SetWindowTextW(window, Widen(style.caption).c_str());
    const Styles now = StylesOf(style);
    const Styles before = StylesOf(FStyle);
    if (now.style != before.style) {
        const LONG_PTR bits = ::GetWindowLongPtrW(window, GWL_STYLE);
        ::SetWindowLongPtrW(window, GWL_STYLE, (bits & ~static_cast<LONG_PTR>(before.style)) | now.style);
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (style.layered != FStyle.layered) {
        const LONG_PTR bits = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
        ::SetWindowLongPtrW(window, GWL_EXSTYLE, style.layered ? bits | WS_EX_LAYERED : bits & ~WS_EX_LAYERED);
    }
    if (style.layered && (!FStyle.layered || style.alpha != FStyle.alpha))
        CheckOS(::SetLayeredWindowAttributes(window, 0, style.alpha, LWA_ALPHA));
    if (style.stayOnTop != FStyle.stayOnTop)
        ::SetWindowPos(window, style.stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (style.color != FStyle.color) {
        SetBackground(style.color);
        ::InvalidateRect(window, nullptr, TRUE);
    }
}

void Win32Window::SetBackground(vcl::TColor color) {
    FBackgroundColor = ColorRefOf(color);
    FBackground.reset(CheckOS(::CreateSolidBrush(FBackgroundColor)));
}

vcl::TRect Win32Window::Bounds() const {
    RECT outer;
    CheckOS(::GetWindowRect(FHandle.get(), &outer));
    return FromRect(outer);
}

void Win32Window::SetBounds(const vcl::TRect& outer) {
    CheckOS(::SetWindowPos(FHandle.get(), nullptr, outer.Left, outer.Top, outer.Width(), outer.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE));
}

vcl::TRect Win32Window::ClientRect() const {
    RECT client;
    CheckOS(::GetClientRect(FHandle.get(), &client));
    ::MapWindowPoints(FHandle.get(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    return FromRect(client);
}

bool Win32Window::Visible() const { return ::IsWindowVisible(FHandle.get()); }

void Win32Window::SetVisible(bool visible) { ::ShowWindow(FHandle.get(), visible ? SW_SHOW : SW_HIDE); }

// A minimised window is brought back too: "Show" means the user wants to see
// it. It paints at once, so that a screen copy taken next sees it even on a
// desktop without composition.
void Win32Window::BringToFront() {
    const HWND window = FHandle.get();
    if (::IsWindowVisible(window) && ::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(window);
    ::BringWindowToTop(window);
    ::UpdateWindow(window);
}

// The cursor shows at the next WM_SETCURSOR; when the mouse is over the
// client area now, it changes at once.
void Win32Window::SetCursor(vcl::TCursor cursor) {
    FCursor = SystemCursor(cursor);
    const HWND window = FHandle.get();
    POINT mouse;
    if (!::GetCursorPos(&mouse) || ::WindowFromPoint(mouse) != window) return;
    RECT client;
    ::GetClientRect(window, &client);
    ::ScreenToClient(window, &mouse);
    if (::PtInRect(&client, mouse)) ::SetCursor(FCursor);
}

void Win32Window::SystemCommand(std::uint32_t command) { ::SendMessageW(FHandle.get(), WM_SYSCOMMAND, command, 0); }

void Win32Window::ReleaseCapture() { ::ReleaseCapture(); }

std::unique_ptr<vcl::NativeControl> Win32Window::CreateControl(const vcl::ControlSpec& spec,
                                                               vcl::ControlEvents& events) {
    if (spec.kind == vcl::ControlKind::Shape) return std::make_unique<ShapeControl>(*this);
    if (spec.kind == vcl::ControlKind::Panel) return std::make_unique<PanelControl>(*this, spec);
    vcl::TRect bounds = spec.bounds;
    std::optional<COLORREF> background;
    if (!spec.parentName.empty()) {
        const vcl::TPoint origin = DesignOrigin(spec.parentName);
        bounds = {bounds.Left + origin.X, bounds.Top + origin.Y, bounds.Right + origin.X, bounds.Bottom + origin.Y};
        const auto panel = std::find_if(FPanels.begin(), FPanels.end(),
                                        [&](const Panel& candidate) { return candidate.name == spec.parentName; });
        if (panel != FPanels.end()) background = panel->color;
    }
    return std::make_unique<ChildControl>(*this, spec, bounds, FNextControlId++, events, background);
}

// Controls inside a group box or on a panel are the window's children,
// placed relative to it.
vcl::TPoint Win32Window::DesignOrigin(const std::string& controlName) const {
    const auto panel = std::find_if(FPanels.begin(), FPanels.end(),
                                    [&](const Panel& candidate) { return candidate.name == controlName; });
    if (panel != FPanels.end()) return {panel->designBounds.Left, panel->designBounds.Top};
    const auto parent = std::find_if(FControls.begin(), FControls.end(),
                                     [&](const ChildControl* control) { return control->Name() == controlName; });
    if (parent == FControls.end()) throw vcl::EInvalidOperation("There is no control named " + controlName);
    return {(*parent)->DesignBounds().Left, (*parent)->DesignBounds().Top};
}

HFONT Win32Window::ControlFont() {
    if (!FFont) FFont = MakeFont({kFontName, kFontHeight});
    return FFont.get();
}

UniqueFont Win32Window::MakeFont(const vcl::FontSpec& font) const {
    return UniqueFont(CheckOS(::CreateFontW(Scale(font.height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                            DEFAULT_PITCH | FF_DONTCARE, Widen(font.name).c_str())));
}

void Win32Window::Attach(ChildControl& control) { FControls.push_back(&control); }

void Win32Window::Detach(ChildControl& control) noexcept {
    std::erase(FControls, &control);
    if (FFocus == control.Hwnd()) FFocus = nullptr;
}

void Win32Window::AttachShape() {
    ++FShapes;
    ::InvalidateRect(FHandle.get(), nullptr, FALSE);
}

void Win32Window::DetachShape() noexcept {
    --FShapes;
    ::InvalidateRect(FHandle.get(), nullptr, TRUE);
}

void Win32Window::AttachPanel(const std::string& name, const vcl::TRect& designBounds, vcl::TColor color) {
    const COLORREF colorRef = ColorRefOf(color);
    FPanels.push_back({name, designBounds, colorRef, UniqueBrush(CheckOS(::CreateSolidBrush(colorRef)))});
    ::InvalidateRect(FHandle.get(), nullptr, TRUE);
}

void Win32Window::DetachPanel(const std::string& name) noexcept {
    std::erase_if(FPanels, [&](const Panel& panel) { return panel.name == name; });
    ::InvalidateRect(FHandle.get(), nullptr, TRUE);
}

LRESULT Win32Window::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // Only the current window speaks to the owner: not a replacement being
    // made, nor a window on its way out.
    const bool current = window == FHandle.get();
    switch (message) {
        case WM_CLOSE:
            if (current) FEvents.CloseRequested();
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
                ::SetCursor(FCursor);
                return TRUE;
            }
            if (LOWORD(lParam) == HTCLIENT && SetControlCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            break;
        case WM_HOTKEY:
            if (current) {
                vcl::TMessage hotKey{message, wParam, lParam, 0};
                FEvents.HotKeyPressed(hotKey);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (current) FEvents.MouseMoved(PointOf(lParam));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (current) MousePressed(window, message, lParam);
            return 0;
        case WM_LBUTTONUP:
            if (::GetCapture() == window) ::ReleaseCapture();
            return 0;
        case WM_WINDOWPOSCHANGING:
            if (current) PositionChanging(window, *reinterpret_cast<WINDOWPOS*>(lParam));
            break;
        case WM_GETMINMAXINFO:
            if ((::GetWindowLongPtrW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) == 0)
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {kSmallestFrameless, kSmallestFrameless};
            return 0;
        case WM_ACTIVATE:
            if (FControls.empty()) break;
            Activated(window, wParam);
            return 0;
        case WM_DPICHANGED:
            if (current) DpiChanged(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SYSCOLORCHANGE:
            try {
                SetBackground(FStyle.color);
            } catch (const std::exception&) {
                // The old brush stays.
            }
            ::InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_ERASEBKGND:
            if (FShapes == 0) EraseBackground(window, reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT:
            if (FShapes == 0) break;
            PaintShape(window);
            return 0;
        case WM_SIZE:
            if (FShapes != 0) ::InvalidateRect(window, nullptr, FALSE);
            break;
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            const ChildControl* control = ControlOf(reinterpret_cast<HWND>(lParam));
            if (control != nullptr && control->Background() != nullptr) {
                ::SetBkColor(dc, control->BackgroundColor());
                return reinterpret_cast<LRESULT>(control->Background());
            }
            ::SetBkColor(dc, FBackgroundColor);
            return reinterpret_cast<LRESULT>(FBackground.get());
        }
        case WM_COMMAND:
            if (current && lParam != 0) Command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            return 0;
        default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Proposes a move to the owner, which may pull the window elsewhere.
void Win32Window::PositionChanging(HWND window, WINDOWPOS& position) {
    if (position.flags & SWP_NOMOVE) return;
    RECT current;
    if (!::GetWindowRect(window, &current) || (position.x == current.left && position.y == current.top)) return;
    const bool keepsSize = position.flags & SWP_NOSIZE;
    const int width = keepsSize ? current.right - current.left : position.cx;
    const int height = keepsSize ? current.bottom - current.top : position.cy;
    vcl::TRect proposed{position.x, position.y, position.x + width, position.y + height};
    try {
        FEvents.PositionChanging(proposed);
    } catch (const std::exception&) {
        return;  // the window goes where it was asked to
    }
    position.x = proposed.Left;
    position.y = proposed.Top;
    if (proposed.Width() != width || proposed.Height() != height) {
        position.cx = proposed.Width();
        position.cy = proposed.Height();
        position.flags &= ~SWP_NOSIZE;
    }
}

// A press on the window activates it (the click normally has already); the
// left button takes the mouse capture until it is released.
void Win32Window::MousePressed(HWND window, UINT message, LPARAM lParam) {
    if (::GetForegroundWindow() != window) ::SetForegroundWindow(window);
    vcl::TMouseButton button = vcl::TMouseButton::mbLeft;
    if (message == WM_RBUTTONDOWN) button = vcl::TMouseButton::mbRight;
    if (message == WM_MBUTTONDOWN) button = vcl::TMouseButton::mbMiddle;
    if (button == vcl::TMouseButton::mbLeft) ::SetCapture(window);
    FEvents.MousePressed(button, PointOf(lParam));
}

// The keyboard focus comes back to the control that had it, or else goes to
// the first one in tab order.
void Win32Window::Activated(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(window, focus)) FFocus = focus;
        return;
    }
    if (HIWORD(wParam) != 0) return;  // minimised
    HWND target = FFocus && ::IsChild(window, FFocus) ? FFocus : ::GetNextDlgTabItem(window, nullptr, FALSE);
    if (target) ::SetFocus(target);
}

void Win32Window::DpiChanged(HWND window, UINT dpi, const RECT& suggested) {
    FDpi = dpi;
    ::SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (FControls.empty()) return;
    // The old font lives until every control has the new one.
    UniqueFont previous = std::move(FFont);
    try {
        ControlFont();
    } catch (const std::exception&) {
        FFont = std::move(previous);  // the controls keep their type size
    }
    for (ChildControl* control : FControls) control->Rescale();
}

void Win32Window::EraseBackground(HWND window, HDC dc) const {
    RECT client;
    ::GetClientRect(window, &client);
    ::FillRect(dc, &client, FBackground.get());
    for (const Panel& panel : FPanels) {
        const vcl::TRect& b = panel.designBounds;
        const RECT area{Scale(b.Left), Scale(b.Top), Scale(b.Right), Scale(b.Bottom)};
        ::FillRect(dc, &area, panel.brush.get());
    }
}

// Drawn off screen and copied in one block, so that live resizing does not flicker.
void Win32Window::PaintShape(HWND window) const {
    const PaintContext paint(window);
    RECT client;
    ::GetClientRect(window, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    const UniqueMemoryDC memory(::CreateCompatibleDC(paint.get()));
    const UniqueBitmap buffer(::CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
    if (!memory || !buffer) return;
    const SelectedObject selected(memory.get(), buffer.get());
    ShapeControl::Draw(memory.get(), client.right, client.bottom);
    ::BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void Win32Window::Command(HWND from, WORD code) {
    if (ChildControl* control = ControlOf(from)) control->Notify(code);
}

ChildControl* Win32Window::ControlOf(HWND control) const {
    const auto found = std::find_if(FControls.begin(), FControls.end(),
                                    [&](const ChildControl* candidate) { return candidate->Hwnd() == control; });
    return found == FControls.end() ? nullptr : *found;
}

bool Win32Window::SetControlCursor(HWND control) const {
    const ChildControl* child = ControlOf(control);
    if (child == nullptr || child->Cursor() == nullptr) return false;
    ::SetCursor(child->Cursor());
    return true;
}

}  // namespace win32
