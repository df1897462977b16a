#include "platform/win32/win32_platform.h"

#include <vector>

#include "platform/win32/gdi.h"
#include "platform/win32/shell.h"
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

struct DestroyMenuRelease {
    void operator()(HMENU menu) const noexcept { ::DestroyMenu(menu); }
};
using UniqueMenu = UniqueHandle<HMENU, DestroyMenuRelease>;

// The thread's other windows that take input, disabled while a modal window
// runs and enabled again, in reverse order, when it ends.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND modal) : FModal(modal) {
        ::EnumThreadWindows(::GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
    }
    ~DisabledWindows() {
        for (auto window = FWindows.rbegin(); window != FWindows.rend(); ++window) ::EnableWindow(*window, TRUE);
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self) {
        auto& disabled = *reinterpret_cast<DisabledWindows*>(self);
        if (window != disabled.FModal && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
            ::EnableWindow(window, FALSE);
            disabled.FWindows.push_back(window);
        }
        return TRUE;
    }

    HWND FModal;
    std::vector<HWND> FWindows;
};

}  // namespace

Win32Platform::Win32Platform() {
    // The hot key control's class.
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    FFormClass = std::make_unique<WindowClass>(Win32Window::ClassDescription(instance));
    FTimers = std::make_unique<TimerWindow>(instance);
    FCom = std::make_unique<ComApartment>();
    FUtilityWindows = std::make_unique<UtilityWindows>(instance);
    FApplicationWindow = FUtilityWindows->Allocate([this](vcl::TMessage& message) {
        message.Result = DefWindowProc(FApplicationWindow->Handle(), message);
    });
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

bool Win32Platform::DispatchOneMessage() {
    MSG message;
    const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
    if (result == 0) return false;  // WM_QUIT
    if (result == -1) RaiseLastOSError();
    if (HandledAsDialogKey(message, FFormClass->Atom())) return true;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
    return true;
}

void Win32Platform::RunMessageLoop() {
    while (DispatchOneMessage()) {
    }
}

void Win32Platform::RunModal(vcl::NativeWindow& window, const std::function<bool()>& finished) {
    const DisabledWindows disabled(ToHwnd(window.Handle()));
    while (!finished()) {
        if (!DispatchOneMessage()) {
            ::PostQuitMessage(0);  // the program is ending: the outer loop ends too
            return;
        }
    }
}

vcl::HWND Win32Platform::ApplicationWindow() const { return FApplicationWindow->Handle(); }

vcl::HICON Win32Platform::ApplicationIcon() const { return LoadApplicationIcon(); }

vcl::OsVersion Win32Platform::Version() const {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version)) return {};
    return {version.dwPlatformId, version.dwMajorVersion};
}

std::unique_ptr<vcl::UtilityWindow> Win32Platform::AllocateHWnd(std::function<void(vcl::TMessage&)> windowProc) {
    return FUtilityWindows->Allocate(std::move(windowProc));
}

std::intptr_t Win32Platform::DefWindowProc(vcl::HWND window, const vcl::TMessage& message) {
    return ::DefWindowProcW(ToHwnd(window), message.Msg, message.WParam, message.LParam);
}

std::uint32_t Win32Platform::RegisterWindowMessage(const std::string& name) {
    return ::RegisterWindowMessageW(Widen(name).c_str());
}

std::unique_ptr<vcl::NativeIcon> Win32Platform::LoadIcon(int resource, int width, int height) {
    return LoadIconResource(resource, width, height);
}

std::int16_t Win32Platform::GetKeyState(int virtualKey) { return ::GetKeyState(virtualKey); }

vcl::TPoint Win32Platform::GetCursorPos() const {
    POINT point{};
    ::GetCursorPos(&point);
    return {point.x, point.y};
}

bool Win32Platform::RegisterHotKey(vcl::HWND window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    return ::RegisterHotKey(ToHwnd(window), id, modifiers, virtualKey) != FALSE;
}

bool Win32Platform::UnregisterHotKey(vcl::HWND window, int id) {
    return ::UnregisterHotKey(ToHwnd(window), id) != FALSE;
}

std::uint16_t Win32Platform::GlobalAddAtom(const std::string& name) { return ::GlobalAddAtomW(Widen(name).c_str()); }

std::uint16_t Win32Platform::GlobalDeleteAtom(std::uint16_t atom) { return ::GlobalDeleteAtom(atom); }

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

// The raised window paints what the raise uncovered at once, so that a
// screen copy taken next sees it even on a desktop without composition. A
// window of another program paints in that program's own time: it is given
// up to kRepaintWait to handle the raise, and a hung one is not waited for.
void Win32Platform::BringWindowToTop(vcl::HWND window) {
    constexpr UINT kRepaintWait = 200;  // milliseconds
    const ::HWND handle = ToHwnd(window);
    ::BringWindowToTop(handle);
    if (GetWindowThreadProcessId(handle, nullptr) == GetCurrentThreadId()) {
        RedrawWindow(handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return;
    }
    if (!IsHungAppWindow(handle)) {
        RedrawWindow(handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(handle, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kRepaintWait, &ignored);
    }
    // Where windows are drawn off screen first (as under Wine), what this
    // thread drew reaches the screen when it waits for messages; a wait of
    // no time does that without dispatching any.
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
}

int Win32Platform::GetSystemMetrics(int index) const { return ::GetSystemMetrics(index); }

vcl::TRect Win32Platform::WorkAreaFor(const vcl::TRect& rect) const {
    const RECT area{rect.Left, rect.Top, rect.Right, rect.Bottom};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    CheckOS(::GetMonitorInfoW(::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &monitor));
    return FromRect(monitor.rcWork);
}

vcl::TRect Win32Platform::PrimaryWorkArea() const {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return FromRect(area);
}

void Win32Platform::MoveWindow(vcl::HWND window, int x, int y, int width, int height, bool repaint) {
    ::MoveWindow(ToHwnd(window), x, y, width, height, repaint);
}

// Item i has the command i + 1: 0 is what the menu gives when nothing was chosen.
int Win32Platform::TrackPopupMenu(vcl::HWND owner, const std::vector<std::string>& captions, vcl::TPoint at) {
    const UniqueMenu menu(CheckOS(::CreatePopupMenu()));
    for (std::size_t i = 0; i < captions.size(); ++i)
        CheckOS(::AppendMenuW(menu.get(), MF_STRING, i + 1, Widen(captions[i]).c_str()));
    const BOOL command = ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.X, at.Y, 0,
                                          ToHwnd(owner), nullptr);
    return static_cast<int>(command) - 1;
}

bool Win32Platform::Shell_NotifyIcon(std::uint32_t message, const vcl::NotifyIconData& data) {
    return NotifyIcon(message, data);
}

std::unique_ptr<vcl::ItemIdList> Win32Platform::SHBrowseForFolder(const vcl::BrowseInfo& info) {
    return BrowseForFolder(info);
}

std::intptr_t Win32Platform::ShellExecute(vcl::HWND parent, const std::string& verb, const std::string& file,
                                          const std::string& parameters, const std::string& directory,
                                          int showCommand) {
    return OpenDocument(parent, verb, file, parameters, directory, showCommand);
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
