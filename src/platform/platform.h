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

enum TCursor : int {
    crDefault = 0,
    crArrow = -2,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crSizeAll = -22,
    crHandPoint = -21
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// ShowWindow commands and system metrics the program uses.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;

// A window message as a window procedure sees it.
struct TMessage {
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

inline constexpr std::uint32_t WM_HOTKEY = 0x0312;

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
    // A hotkey registered for the window was pressed (WM_HOTKEY).
    virtual void HotKeyPressed(TMessage& message) = 0;
};

// The kinds of child control the program's windows hold.
enum class ControlKind { GroupBox, Label, ComboBox, Edit, Button, HotKey, Shape, Panel, Image };

// A font by face name and height in pixels at 96 pixels per inch (negative:
// character height); an empty name is the window's own font.
struct FontSpec {
    std::string name;
    int height = 0;
};

struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    std::string name;
    TRect bounds;          // in the parent's client coordinates, at 96 pixels per inch
    std::string text;
    std::vector<std::string> items;  // combo box items
    std::string parentName;          // empty: the window itself
    FontSpec font;
    bool autoSize = false;  // a label sized to its text from its top-left corner
    bool wordWrap = false;
    bool centered = false;
    TCursor cursor = crDefault;
    TColor color = 0;            // a panel's background; 0: the window's
    std::uint16_t hotKey = 0;    // a hot key control's value: key code, HOTKEYF_* flags in the high byte
    int iconResource = 0;        // an image control's icon
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
    // A hot key control's value: the key code, HOTKEYF_* flags in the high byte.
    virtual std::uint16_t HotKeyValue() const { return 0; }
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

// A window that only receives messages: never shown, owned by the thread
// that made it.
class UtilityWindow {
public:
    virtual ~UtilityWindow() = default;
    virtual HWND Handle() const = 0;
};

// An icon made from one of the program's icon resources at a given size.
class NativeIcon {
public:
    virtual ~NativeIcon() = default;
    virtual HICON Handle() const = 0;
};

// The notification area's icon record, in its 88-byte ANSI layout.
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    HWND hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    HICON hIcon = 0;
    char szTip[64] = {};
};
inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;

// The folder dialog's description. The callback gets the dialog's window,
// the message, its parameter and `callbackData`.
struct BrowseInfo {
    HWND owner = 0;
    std::string title;
    std::uint32_t flags = 0;
    std::function<int(HWND, std::uint32_t, std::intptr_t, std::intptr_t)> callback;
    std::intptr_t callbackData = 0;
};
inline constexpr std::uint32_t BIF_RETURNONLYFSDIRS = 1;
inline constexpr std::uint32_t BFFM_INITIALIZED = 1;

// The item a folder dialog returned; released with the object.
class ItemIdList {
public:
    virtual ~ItemIdList() = default;
    // Its file-system path; empty when it has none.
    virtual std::string Path() const = 0;
};

// Version of the running system.
struct OsVersion {
    std::uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
    std::uint32_t major = 10;
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
    // The application's own hidden top-level window, owner of its dialogs and menus.
    virtual HWND ApplicationWindow() const = 0;
    virtual HICON ApplicationIcon() const = 0;
    virtual OsVersion Version() const = 0;
    // Runs a modal loop for `window` until `finished` holds; the program's
    // other windows take no input meanwhile.
    virtual void RunModal(NativeWindow& window, const std::function<bool()>& finished) = 0;

    // Windows, timers, files.
    virtual std::unique_ptr<NativeWindow> CreateWindow(const WindowStyle& style, const TRect& bounds,
                                                       WindowEvents& events) = 0;
    virtual std::unique_ptr<NativeTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) = 0;
    virtual FileSystem& Files() = 0;
    virtual std::unique_ptr<UtilityWindow> AllocateHWnd(std::function<void(TMessage&)> windowProc) = 0;
    virtual std::intptr_t DefWindowProc(HWND window, const TMessage& message) = 0;
    virtual std::uint32_t RegisterWindowMessage(const std::string& name) = 0;
    virtual std::unique_ptr<NativeIcon> LoadIcon(int resource, int width, int height) = 0;

    // User services.
    virtual std::uint16_t GetAsyncKeyState(int virtualKey) = 0;
    // The key's state as of the message being handled; negative while down.
    virtual std::int16_t GetKeyState(int virtualKey) = 0;
    virtual TPoint GetCursorPos() const = 0;
    virtual bool RegisterHotKey(HWND window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) = 0;
    virtual bool UnregisterHotKey(HWND window, int id) = 0;
    virtual std::uint16_t GlobalAddAtom(const std::string& name) = 0;
    virtual std::uint16_t GlobalDeleteAtom(std::uint16_t atom) = 0;
    virtual HWND GetForegroundWindow() const = 0;
    virtual HWND GetDesktopWindow() const = 0;
    virtual bool GetWindowRect(HWND window, TRect& rect) const = 0;
    virtual void ShowWindow(HWND window, int command) = 0;
    virtual void BringWindowToTop(HWND window) = 0;
    virtual int GetSystemMetrics(int index) const = 0;
    // The work area of the monitor that holds most of the rectangle.
    virtual TRect WorkAreaFor(const TRect& rect) const = 0;
    // The primary screen without the task bar (SPI_GETWORKAREA).
    virtual TRect PrimaryWorkArea() const = 0;
    virtual void MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) = 0;
    // Shows a popup menu at a screen point and waits for it to close; gives
    // the index of the chosen item, or -1.
    virtual int TrackPopupMenu(HWND owner, const std::vector<std::string>& captions, TPoint at) = 0;

    // Shell: the notification area, the folder dialog and opening documents.
    virtual bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;
    virtual std::unique_ptr<ItemIdList> SHBrowseForFolder(const BrowseInfo& info) = 0;
    virtual std::intptr_t ShellExecute(HWND parent, const std::string& verb, const std::string& file,
                                       const std::string& parameters, const std::string& directory,
                                       int showCommand) = 0;

    // Graphics: device contexts of windows (0: the whole screen), bitmaps in
    // the screen's own format, and the block copy between them.
    virtual std::unique_ptr<WindowDC> GetWindowDC(HWND window) = 0;
    virtual std::unique_ptr<DeviceBitmap> CreateCompatibleBitmap(int width, int height) = 0;
    virtual void BlockCopy(DeviceBitmap& target, TPoint targetAt, WindowDC& source, const TRect& sourceRect,
                           std::uint32_t rasterOperation) = 0;
};

}  // namespace vcl
