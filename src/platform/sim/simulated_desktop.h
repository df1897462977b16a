// A deterministic model of a Windows desktop for tests: monitors, a stack of
// top-level windows with their pixels, the foreground window, the keyboard's
// asynchronous key state, timers, message boxes, the system's move and size
// loop, and a file system with Windows path rules over a host folder.
//
// Like the real system it outlives the program: every window, control, timer,
// device context and file stream it hands out must be released before it is
// destroyed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

using vcl::HWND;
using vcl::TPoint;
using vcl::TRect;

// A colour as 0x00RRGGBB.
using Rgb = std::uint32_t;

struct DesktopState;

struct MonitorSpec {
    TRect bounds;
    TRect workArea;
};

enum class TaskbarEdge { Bottom, Left, Top, Right };

struct DesktopSpec {
    int width = 1280;
    int height = 1024;
    int bitsPerPixel = 32;  // 32, 24, 16, 8, 4 or 1
    int taskbarHeight = 40;  // the primary work area leaves this much at the task bar's edge
    TaskbarEdge taskbarEdge = TaskbarEdge::Bottom;
    // GDI refuses a screen bitmap of more bytes than this, as it does when
    // its memory runs out.
    std::uint64_t bitmapMemory = std::uint64_t{512} << 20;
};

// A window of another program, as a test puts it on the desktop.
struct ForeignWindow {
    TRect bounds;
    Rgb fill = 0xFFFFFF;
    // Optional pixels, row-major over the window's outer rectangle.
    std::vector<Rgb> pixels;
    bool topmost = false;
    bool layered = false;
    bool visible = true;
};

struct MessageBoxRecord {
    std::string title;
    std::string text;
    bool errorIcon = true;
    bool okButton = true;
};

// One call of the notification area.
struct NotifyCall {
    std::uint32_t message = 0;  // NIM_ADD, NIM_MODIFY or NIM_DELETE
    vcl::NotifyIconData data;
    bool succeeded = false;
};

struct PopupMenuRecord {
    HWND owner = 0;
    std::vector<std::string> captions;
    TPoint at;
};

struct ShellExecuteRecord {
    HWND parent = 0;
    std::string verb, file, parameters, directory;
    int showCommand = 0;
};

// How the next folder dialog goes, and what it was asked.
struct FolderDialogScript {
    std::optional<std::string> answer;  // the chosen folder; none: Cancel
    TRect bounds{0, 0, 320, 380};       // where the dialog is created
};
struct FolderDialogRecord {
    HWND owner = 0;
    std::string title;
    std::uint32_t flags = 0;
    TRect initialBounds;  // after the dialog's callback placed it
};

struct HotKeyRegistration {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};

class SimulatedDesktop final : public vcl::Platform {
public:
    // Files live below `fileRoot`: drive C: is fileRoot/C, further drives
    // exist only once mapped; \\server\share maps to fileRoot/UNC/server/share.
    SimulatedDesktop(const DesktopSpec& spec, std::filesystem::path fileRoot);
    ~SimulatedDesktop() override;

    // --- Setting the scene ---------------------------------------------------
    void AddMonitor(const MonitorSpec& monitor);  // extends the desktop beside the primary
    void MapDrive(char letter);
    // Writes fail with a full disk once this many more bytes have been
    // written to any volume; none (the start): no limit.
    void SetFreeDiskSpace(std::optional<std::uint64_t> bytes);
    std::filesystem::path HostPath(const std::string& windowsPath) const;
    void SetExecutableName(const std::string& windowsPath);  // default C:\Program Files\Tivalo\tivalo.exe
    void SetDesktopColor(Rgb color);                         // the wallpaper, under every window
    void SetVersion(const vcl::OsVersion& version);          // default Windows 10 (NT 10)

    HWND AddWindow(const ForeignWindow& window);  // placed at the top of its band, not activated
    void Activate(HWND window);                   // as a click on it: to the front and foreground
    void CloseForeignWindow(HWND window);

    // --- Looking at it -------------------------------------------------------
    // A question about a handle that is no window raises std::invalid_argument.
    HWND Foreground() const { return GetForegroundWindow(); }
    std::vector<HWND> ZOrder() const;  // visible windows, front first
    bool IsWindow(HWND window) const;
    bool IsVisible(HWND window) const;
    bool IsTopmost(HWND window) const;
    bool IsLayered(HWND window) const;
    std::uint8_t Alpha(HWND window) const;
    vcl::TCursor Cursor(HWND window) const;
    vcl::TBorderStyle Border(HWND window) const;
    std::string Caption(HWND window) const;
    int RecreationCount(HWND window) const;  // how often a border change recreated it
    int LiveDeviceContexts() const;          // window DCs obtained and not yet released
    int LiveWindows() const;                 // windows of any program, hidden ones too
    int LiveTimers() const;
    int OpenFiles() const;                   // file streams not yet closed
    int ReleaseCaptureCount() const;         // calls of NativeWindow::ReleaseCapture
    // What the user sees, layered windows blended in; and what a plain
    // screen copy takes, layered windows left out. Black outside every monitor.
    Rgb SeenPixel(int x, int y) const;
    Rgb CopiedPixel(int x, int y) const;

    // The notification area: every call in order, and the icons it shows
    // now, by (window, identifier).
    const std::vector<NotifyCall>& NotifyCalls() const;
    const std::map<std::pair<HWND, std::uint32_t>, vcl::NotifyIconData>& TrayIcons() const;
    // Icons made from resources: resource and size.
    struct IconRecord {
        int resource = 0;
        int width = 0, height = 0;
    };
    IconRecord IconOf(vcl::HICON icon) const;
    int LiveIcons() const;
    // Hotkeys registered by any window, by (window, identifier); atoms by name.
    const std::map<std::pair<HWND, int>, HotKeyRegistration>& HotKeys() const;
    int AtomReferences(const std::string& name) const;  // 0: not in the table
    const std::vector<PopupMenuRecord>& PopupMenus() const;
    const std::vector<FolderDialogRecord>& FolderDialogs() const;
    const std::vector<ShellExecuteRecord>& ShellExecutes() const;
    // Calls of the default window procedure, and what it answers.
    const std::vector<vcl::TMessage>& DefaultProcedureCalls() const;
    std::intptr_t DefaultProcedureResult = 0;
    int LiveUtilityWindows() const;

    // --- Driving it ----------------------------------------------------------
    void PressKey(int virtualKey);    // down, and pressed since the last query
    void ReleaseKey(int virtualKey);  // up; the pressed-since bit stays until queried
    void Tick(int count = 1);         // runs every timer once per tick
    // Runs inside every modal loop (message box, move and size loop), where
    // timers keep ticking; in a move or size loop, once the drag path is done.
    std::function<void()> DuringModalLoop;
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return FMessageBoxes; }

    // The mouse over a visible window's client area: moves report MouseMoved,
    // a press activates the window and reports MousePressed at the last move's
    // point. A system move or size loop started by the press follows
    // `dragPath` (screen offsets from the press point) and ends at its last
    // point. A left-button press gives the window the mouse capture, which
    // the loop needs released (NativeWindow::ReleaseCapture) before it can run.
    void MoveMouse(HWND window, TPoint client);
    void PressMouse(HWND window, vcl::TMouseButton button, std::vector<TPoint> dragPath = {});
    void CloseWindow(HWND window);  // a close request (WM_CLOSE) from the system
    void SetCursorPos(TPoint screen);

    // Another program holds this combination.
    void RegisterForeignHotKey(std::uint32_t modifiers, std::uint32_t virtualKey);
    // The combination pressed anywhere: WM_HOTKEY to the window that
    // registered it. Gives whether one had.
    bool PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey);
    // A hot key control's content changed as the user typed (reports a change).
    void SetHotKeyValue(HWND window, const std::string& name, std::uint16_t value);

    // A message to a utility window's procedure; gives its result.
    std::intptr_t SendMessage(HWND utilityWindow, vcl::TMessage message);
    // The mouse over a notification-area icon: its callback message.
    void TrayMouse(HWND window, std::uint32_t id, std::intptr_t mouseMessage);
    // The shell restarts: every icon is gone, and the new task bar is
    // announced to every top-level window.
    void RestartShell();
    // Chooses an item of each popup menu as it opens: its index, or -1.
    std::function<int(const PopupMenuRecord&)> ChooseMenuItem;
    FolderDialogScript NextFolderDialog;

    // Controls of the program's windows, by name.
    vcl::NativeControl& Control(HWND window, const std::string& name);
    void TypeText(HWND window, const std::string& name, const std::string& text);  // reports a change
    void SelectItem(HWND window, const std::string& name, int index);             // reports a change
    void Click(HWND window, const std::string& name);
    bool Terminated() const { return FTerminated; }

    // --- vcl::Platform -------------------------------------------------------
    std::string ExecutableName() const override;
    void RunMessageLoop() override;
    void Terminate() override;
    void ShowErrorBox(const std::string& title, const std::string& text) override;
    HWND ApplicationWindow() const override;
    vcl::HICON ApplicationIcon() const override;
    vcl::OsVersion Version() const override;
    void RunModal(vcl::NativeWindow& window, const std::function<bool()>& finished) override;
    std::unique_ptr<vcl::NativeWindow> CreateWindow(const vcl::WindowStyle& style, const TRect& bounds,
                                                    vcl::WindowEvents& events) override;
    std::unique_ptr<vcl::NativeTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;
    vcl::FileSystem& Files() override;
    std::unique_ptr<vcl::UtilityWindow> AllocateHWnd(std::function<void(vcl::TMessage&)> windowProc) override;
    std::intptr_t DefWindowProc(HWND window, const vcl::TMessage& message) override;
    std::uint32_t RegisterWindowMessage(const std::string& name) override;
    std::unique_ptr<vcl::NativeIcon> LoadIcon(int resource, int width, int height) override;
    std::uint16_t GetAsyncKeyState(int virtualKey) override;
    std::int16_t GetKeyState(int virtualKey) override;
    TPoint GetCursorPos() const override;
    bool RegisterHotKey(HWND window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    bool UnregisterHotKey(HWND window, int id) override;
    std::uint16_t GlobalAddAtom(const std::string& name) override;
    std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override;
    HWND GetForegroundWindow() const override;
    HWND GetDesktopWindow() const override;
    bool GetWindowRect(HWND window, TRect& rect) const override;
    void ShowWindow(HWND window, int command) override;
    void BringWindowToTop(HWND window) override;
    int GetSystemMetrics(int index) const override;
    TRect WorkAreaFor(const TRect& rect) const override;
    TRect PrimaryWorkArea() const override;
    void MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) override;
    int TrackPopupMenu(HWND owner, const std::vector<std::string>& captions, TPoint at) override;
    bool Shell_NotifyIcon(std::uint32_t message, const vcl::NotifyIconData& data) override;
    std::unique_ptr<vcl::ItemIdList> SHBrowseForFolder(const vcl::BrowseInfo& info) override;
    std::intptr_t ShellExecute(HWND parent, const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override;
    std::unique_ptr<vcl::WindowDC> GetWindowDC(HWND window) override;
    std::unique_ptr<vcl::DeviceBitmap> CreateCompatibleBitmap(int width, int height) override;
    void BlockCopy(vcl::DeviceBitmap& target, TPoint targetAt, vcl::WindowDC& source, const TRect& sourceRect,
                   std::uint32_t rasterOperation) override;

private:
    std::unique_ptr<DesktopState> FState;
    std::vector<MessageBoxRecord> FMessageBoxes;
    bool FTerminated = false;
};

}  // namespace sim
