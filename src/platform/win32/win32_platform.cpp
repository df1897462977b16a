#include "platform/win32/win32_platform.h"

#include "platform/win32/gdi.h"
#include "platform/win32/timer.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window.h"

namespace win32 {
namespace {

// Tab and the arrow keys move between the controls of the program's windows,
// as in the system's dialogs. Such a message has then been handled.
bool HandledAsDialogKey(MSG& message, ATOM formClass) {
    if (message.hwnd == nullptr) return false;
    const HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
    return root != nullptr && ::GetClassLongPtrW(root, GCW_ATOM) == formClass && ::IsDialogMessageW(root, &message);
}

}  // namespace

Win32Platform::Win32Platform() {
    // The hot key control's class.
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    FFormClass = std::make_unique<WindowClass>(Win32Window::ClassDescription(instance));
    FTimers = std::make_unique<TimerWindow>(instance);
}

Win32Platform::~Win32Platform() = default;

std::string Win32Platform::ExecutableName() const {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) RaiseLastOSError();
        if (length < name.size()) {
            name.resize(length);
            return Narrow(name);
        }
        name.resize(name.size() * 2);  // truncated: a long path
    }
}

void Win32Platform::RunMessageLoop() {
    MSG message;
    for (;;) {
        const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return;  // WM_QUIT
        if (result == -1) RaiseLastOSError();
        if (HandledAsDialogKey(message, FFormClass->Atom())) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void Win32Platform::Terminate() { ::PostQuitMessage(0); }

// Modal: the box runs its own message loop, in which timers keep ticking.
void Win32Platform::ShowErrorBox(const std::string& title, const std::string& text) {
    ::MessageBoxW(::GetActiveWindow(), Widen(text).c_str(), Widen(title).c_str(), MB_ICONERROR | MB_OK);
}

std::unique_ptr<vcl::NativeWindow> Win32Platform::CreateWindow(const vcl::WindowStyle& style,
                                                               const vcl::TRect& bounds, vcl::WindowEvents& events) {
    return std::make_unique<Win32Window>(*FFormClass, style, bounds, events);
}

std::unique_ptr<vcl::NativeTimer> Win32Platform::CreateTimer(unsigned intervalMs, std::function<void()> onTick) {
    return FTimers->Start(intervalMs, std::move(onTick));
}

std::uint16_t Win32Platform::GetAsyncKeyState(int virtualKey) {
    return static_cast<std::uint16_t>(::GetAsyncKeyState(virtualKey));
}

vcl::HWND Win32Platform::GetForegroundWindow() const { return FromHwnd(::GetForegroundWindow()); }

vcl::HWND Win32Platform::GetDesktopWindow() const { return FromHwnd(::GetDesktopWindow()); }

bool Win32Platform::GetWindowRect(vcl::HWND window, vcl::TRect& rect) const {
    RECT outer;
    if (!::GetWindowRect(ToHwnd(window), &outer)) return false;
    rect = FromRect(outer);
    return true;
}

// Showing a maximised window without activating it would restore it to its
// normal placement; SW_SHOWNA keeps it maximised, and the rectangle measured
// before stays the one on screen.
void Win32Platform::ShowWindow(vcl::HWND window, int command) {
    const HWND target = ToHwnd(window);
    if (command == SW_SHOWNOACTIVATE && ::IsZoomed(target)) command = SW_SHOWNA;
    ::ShowWindow(target, command);
}

// A window of this thread paints what the raise uncovered at once, so a
// screen copy taken next sees it even on a desktop without composition.
void Win32Platform::BringWindowToTop(vcl::HWND window) {
    const ::HWND handle = ToHwnd(window);
    ::BringWindowToTop(handle);
    if (GetWindowThreadProcessId(handle, nullptr) == GetCurrentThreadId())
        RedrawWindow(handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int Win32Platform::GetSystemMetrics(int index) const { return ::GetSystemMetrics(index); }

vcl::TRect Win32Platform::WorkAreaFor(const vcl::TRect& rect) const {
    const RECT area{rect.Left, rect.Top, rect.Right, rect.Bottom};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    CheckOS(::GetMonitorInfoW(::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &monitor));
    return FromRect(monitor.rcWork);
}

std::unique_ptr<vcl::WindowDC> Win32Platform::GetWindowDC(vcl::HWND window) { return win32::GetWindowDC(window); }

std::unique_ptr<vcl::DeviceBitmap> Win32Platform::CreateCompatibleBitmap(int width, int height) {
    return CreateScreenBitmap(width, height);
}

void Win32Platform::BlockCopy(vcl::DeviceBitmap& target, vcl::TPoint targetAt, vcl::WindowDC& source,
                              const vcl::TRect& sourceRect, std::uint32_t rasterOperation) {
    win32::BlockCopy(target, targetAt, source, sourceRect, rasterOperation);
}

}  // namespace win32
