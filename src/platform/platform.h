// The operating-system services that the framework and the program call on.
// One implementation drives the real Win32 API; the simulated desktop
// implements the same interface for tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/classes.h"
#include "platform/vcl/graphics.h"

namespace vcl {

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

enum TCursor : int { crDefault = 0, crArrow = -2, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crSizeAll = -22 };

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// ShowWindow commands and system metrics the program uses.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

// What a top-level window looks like. A change of border style makes the
// system recreate the window at the same outer place and size.
struct WindowStyle {
    std::string caption;
    TBorderStyle border = TBorderStyle::bsSizeable;
    bool systemMenu = true;
    bool minimizeBox = true;
    bool stayOnTop = false;
    bool layered = false;
    std::uint8_t alpha = 255;
    TColor color = 0;
};

// What a window tells its owner object. Coordinates are client coordinates.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void CloseRequested() = 0;
    virtual void MouseMoved(TPoint client) = 0;
    virtual void MousePressed(TMouseButton button, TPoint client) = 0;
    // A move or resize is about to place the window at `proposed`; the owner may change it.
    virtual void PositionChanging(TRect& proposed) = 0;
};

// The kinds of child control the program's windows hold.
enum class ControlKind { GroupBox, Label, ComboBox, Edit, Button, HotKey, Shape };

struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    std::string name;
    TRect bounds;          // in the parent's client coordinates, at 96 pixels per inch
    std::string text;
    std::vector<std::string> items;  // combo box items
    std::string parentName;          // empty: the window itself
};

// What a control tells its owner object.
class ControlEvents {
public:
    virtual ~ControlEvents() = default;
    virtual void Changed() = 0;
    virtual void Clicked() = 0;
};

class NativeControl {
public:
    virtual ~NativeControl() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual int ItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0;  // does not report a change
};

class NativeWindow {
public:
    virtual ~NativeWindow() = default;
    virtual HWND Handle() const = 0;
    virtual void SetStyle(const WindowStyle& style) = 0;
    virtual TRect Bounds() const = 0;  // the outer rectangle
    virtual void SetBounds(const TRect& outer) = 0;
    virtual TRect ClientRect() const = 0;  // the client area, in screen coordinates
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Brings the window to the front of the window order and activates it.
    virtual void BringToFront() = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    // Runs the system's modal move or size loop (WM_SYSCOMMAND) for the
    // command; returns when the mouse button is released.
    virtual void SystemCommand(std::uint32_t command) = 0;
    virtual void ReleaseCapture() = 0;
    // The density of the window's screen; descriptions are made at 96.
    virtual int PixelsPerInch() const { return 96; }
    virtual std::unique_ptr<NativeControl> CreateControl(const ControlSpec& spec, ControlEvents& events) = 0;
};

class NativeTimer {
public:
    virtual ~NativeTimer() = default;
};

// A device context obtained for a window (GetWindowDC); released with that
// window when destroyed.
class WindowDC {
public:
    virtual ~WindowDC() = default;
};

// Files by the system's own path rules. Failures raise EOSError carrying the
// system's description of the error.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The absolute form of a path, relative to the current folder.
    virtual std::string ExpandFileName(const std::string& path) const = 0;
    // Creates a folder and its missing parents; the outcome is not reported.
    virtual void ForceDirectories(const std::string& path) = 0;
    // Creates or truncates a file, opened for writing without sharing.
    virtual std::unique_ptr<TStream> CreateFile(const std::string& path) = 0;
    // Moves a file over another, replacing it.
    virtual void ReplaceFile(const std::string& from, const std::string& to) = 0;
    virtual void DeleteFile(const std::string& path) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Application.
    virtual std::string ExecutableName() const = 0;
    virtual void RunMessageLoop() = 0;
    virtual void Terminate() = 0;
    // A modal message box with the error icon and an OK button.
    virtual void ShowErrorBox(const std::string& title, const std::string& text) = 0;

    // Windows, timers, files.
    virtual std::unique_ptr<NativeWindow> CreateWindow(const WindowStyle& style, const TRect& bounds,
                                                       WindowEvents& events) = 0;
    virtual std::unique_ptr<NativeTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) = 0;
    virtual FileSystem& Files() = 0;

    // User services.
    virtual std::uint16_t GetAsyncKeyState(int virtualKey) = 0;
    virtual HWND GetForegroundWindow() const = 0;
    virtual HWND GetDesktopWindow() const = 0;
    virtual bool GetWindowRect(HWND window, TRect& rect) const = 0;
    virtual void ShowWindow(HWND window, int command) = 0;
    virtual void BringWindowToTop(HWND window) = 0;
    virtual int GetSystemMetrics(int index) const = 0;
    // The work area of the monitor that holds most of the rectangle.
    virtual TRect WorkAreaFor(const TRect& rect) const = 0;

    // Graphics: device contexts of windows (0: the whole screen), bitmaps in
    // the screen's own format, and the block copy between them.
    virtual std::unique_ptr<WindowDC> GetWindowDC(HWND window) = 0;
    virtual std::unique_ptr<DeviceBitmap> CreateCompatibleBitmap(int width, int height) = 0;
    virtual void BlockCopy(DeviceBitmap& target, TPoint targetAt, WindowDC& source, const TRect& sourceRect,
                           std::uint32_t rasterOperation) = 0;
};

}  // namespace vcl
