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

struct DesktopSpec {
    int width = 1280;
    int height = 1024;
    int bitsPerPixel = 32;  // 32, 24, 16, 8, 4 or 1
    int taskbarHeight = 40;  // the primary work area leaves this much at the bottom
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

class SimulatedDesktop final : public vcl::Platform {
public:
    // Files live below `fileRoot`: drive C: is fileRoot/C, further drives
    // exist only once mapped; \\server\share maps to fileRoot/UNC/server/share.
    SimulatedDesktop(const DesktopSpec& spec, std::filesystem::path fileRoot);
    ~SimulatedDesktop() override;

    // --- Setting the scene ---------------------------------------------------
    void AddMonitor(const MonitorSpec& monitor);  // extends the desktop beside the primary
    void MapDrive(char letter);
    std::filesystem::path HostPath(const std::string& windowsPath) const;
    void SetExecutableName(const std::string& windowsPath);  // default C:\Program Files\Tivalo\tivalo.exe
    void SetDesktopColor(Rgb color);                         // the wallpaper, under every window

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
    int ReleaseCaptureCount() const;         // calls of NativeWindow::ReleaseCapture
    // What the user sees, layered windows blended in; and what a plain
    // screen copy takes, layered windows left out. Black outside every monitor.
    Rgb SeenPixel(int x, int y) const;
    Rgb CopiedPixel(int x, int y) const;

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
    std::unique_ptr<vcl::NativeWindow> CreateWindow(const vcl::WindowStyle& style, const TRect& bounds,
                                                    vcl::WindowEvents& events) override;
    std::unique_ptr<vcl::NativeTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;
    vcl::FileSystem& Files() override;
    std::uint16_t GetAsyncKeyState(int virtualKey) override;
    HWND GetForegroundWindow() const override;
    HWND GetDesktopWindow() const override;
    bool GetWindowRect(HWND window, TRect& rect) const override;
    void ShowWindow(HWND window, int command) override;
    void BringWindowToTop(HWND window) override;
    int GetSystemMetrics(int index) const override;
    TRect WorkAreaFor(const TRect& rect) const override;
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
