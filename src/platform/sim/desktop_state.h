// The simulated desktop's internals, shared by its source files: the screen,
// the window stack, input state, timers and files.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/file_system.h"
#include "platform/sim/simulated_desktop.h"

namespace sim {

// The handle GetDesktopWindow returns; program and foreign windows get
// handles above it.
inline constexpr HWND kDesktopWindow = 0x10010;
// The application's hidden window.
inline constexpr HWND kApplicationWindow = 0x10012;
inline constexpr vcl::HICON kApplicationIcon = 0x20001;

// Frame thickness and caption height of a border style, in pixels.
struct Frame {
    int border = 0;
    int caption = 0;
};
Frame FrameOf(vcl::TBorderStyle style);

// The fill colour of a window of the program (explicit or system colour).
Rgb ColorOf(vcl::TColor color);

struct WindowRecord {
    TRect bounds;
    bool visible = false;
    bool topmost = false;
    bool layered = false;
    std::uint8_t alpha = 255;
    Rgb fill = 0xFFFFFF;
    std::vector<Rgb> pixels;  // row-major over bounds; empty: all fill
    vcl::WindowEvents* events = nullptr;  // null for other programs' windows
    vcl::TBorderStyle border = vcl::TBorderStyle::bsNone;
    std::string caption;
    vcl::TCursor cursor = vcl::crDefault;
    int recreations = 0;
    TPoint mouse;  // where the mouse was last seen, in client coordinates

    Rgb PixelAt(int x, int y) const;
    TRect ClientRect() const;
};

class SimControl;

struct DesktopState {
    DesktopState(SimulatedDesktop& desktop, const DesktopSpec& spec, std::filesystem::path fileRoot);

    SimulatedDesktop& desktop;

    // Screen (screen.cpp).
    int bitsPerPixel;
    std::vector<MonitorSpec> monitors;  // the primary first
    Rgb desktopColor = 0x3A6EA5;
    bool OnAnyMonitor(int x, int y) const;
    // Visible windows back to front, without layered ones unless asked for.
    std::vector<const WindowRecord*> Layers(bool withLayered) const;
    Rgb Compose(const std::vector<const WindowRecord*>& layers, int x, int y) const;

    // Window stack (window_stack.cpp).
    std::map<HWND, WindowRecord> windows;
    std::vector<HWND> order;  // every window, hidden ones too, front first
    HWND foreground = 0;
    HWND nextHandle = kDesktopWindow + 0x10;
    WindowRecord& Window(HWND window);  // raises std::invalid_argument for an unknown handle
    const WindowRecord& Window(HWND window) const;
    HWND Add(WindowRecord record);      // at the top of its band
    void Remove(HWND window);
    void RaiseInBand(HWND window);
    void Activate(HWND window);  // to the top of its band and, if visible, foreground
    void Show(HWND window, bool activate);
    void Hide(HWND window);
    void HandOverForeground();  // to the frontmost visible window, if any
    void SetBounds(HWND window, TRect proposed);  // the owner may adjust it first

    // Keyboard, mouse and controls (input.cpp).
    struct KeyState {
        bool down = false;
        bool pressedSinceQuery = false;
    };
    std::array<KeyState, 256> keys{};
    HWND capture = 0;  // the window holding the mouse capture during a press
    int releaseCaptures = 0;
    std::vector<TPoint> dragPath;  // of the press in progress
    std::map<std::pair<HWND, std::string>, SimControl*> controls;

    TPoint cursor;
    std::map<std::pair<HWND, int>, HotKeyRegistration> hotKeys;
    std::vector<HotKeyRegistration> foreignHotKeys;
    struct AtomEntry {
        std::uint16_t atom = 0;
        int references = 0;
    };
    std::map<std::string, AtomEntry> atoms;  // by upper-case name
    std::uint16_t nextAtom = 0xC000;

    // Shell and messages (shell.cpp).
    vcl::OsVersion version;
    std::map<HWND, std::function<void(vcl::TMessage&)>> utilityWindows;
    std::map<std::string, std::uint32_t> windowMessages;
    std::uint32_t nextWindowMessage = 0xC100;
    std::vector<vcl::TMessage> defaultProcedureCalls;
    std::vector<NotifyCall> notifyCalls;
    std::map<std::pair<HWND, std::uint32_t>, vcl::NotifyIconData> trayIcons;
    std::map<vcl::HICON, SimulatedDesktop::IconRecord> icons;
    vcl::HICON nextIcon = kApplicationIcon + 1;
    std::vector<PopupMenuRecord> popupMenus;
    std::vector<FolderDialogRecord> folderDialogs;
    std::vector<ShellExecuteRecord> shellExecutes;

    // Timers and modal loops (modal_loops.cpp).
    std::map<int, std::shared_ptr<const std::function<void()>>> timers;
    int nextTimer = 1;
    void RunModalLoop();
    void RunSystemLoop(HWND window, std::uint32_t command);

    // Graphics (gdi.cpp).
    int liveDeviceContexts = 0;
    std::uint64_t bitmapMemory;

    // Files (file_system.cpp).
    SimFileSystem files;
    std::string executableName;
};

// A window of the program, as CreateWindow hands it out.
class SimNativeWindow final : public vcl::NativeWindow {
public:
    SimNativeWindow(DesktopState& state, HWND handle) : FState(state), FHandle(handle) {}
    ~SimNativeWindow() override { FState.Remove(FHandle); }
    SimNativeWindow(const SimNativeWindow&) = delete;
    SimNativeWindow& operator=(const SimNativeWindow&) = delete;

    HWND Handle() const override { return FHandle; }
    void SetStyle(const vcl::WindowStyle& style) override;
    TRect Bounds() const override { return FState.Window(FHandle).bounds; }
    void SetBounds(const TRect& outer) override { FState.SetBounds(FHandle, outer); }
    TRect ClientRect() const override { return FState.Window(FHandle).ClientRect(); }
    bool Visible() const override { return FState.Window(FHandle).visible; }
    void SetVisible(bool visible) override;
    void BringToFront() override { FState.Activate(FHandle); }
    void SetCursor(vcl::TCursor cursor) override { FState.Window(FHandle).cursor = cursor; }
    void SystemCommand(std::uint32_t command) override { FState.RunSystemLoop(FHandle, command); }
    void ReleaseCapture() override;
    std::unique_ptr<vcl::NativeControl> CreateControl(const vcl::ControlSpec& spec,
                                                      vcl::ControlEvents& events) override;

private:
    DesktopState& FState;
    HWND FHandle;
};

// A child control of a program window, found by its window and name.
class SimControl final : public vcl::NativeControl {
public:
    SimControl(DesktopState& state, HWND window, const vcl::ControlSpec& spec, vcl::ControlEvents& events);
    ~SimControl() override;
    SimControl(const SimControl&) = delete;
    SimControl& operator=(const SimControl&) = delete;

    std::string Text() const override { return FText; }
    void SetText(const std::string& text) override { FText = text; }
    int ItemIndex() const override { return FItemIndex; }
    void SetItemIndex(int index) override;  // a combo box shows the item's text
    std::uint16_t HotKeyValue() const override { return FHotKey; }
    void SetHotKeyValue(std::uint16_t value) { FHotKey = value; }
    std::size_t ItemCount() const { return FItems.size(); }
    vcl::ControlEvents& Events() const { return FEvents; }

private:
    DesktopState& FState;
    std::pair<HWND, std::string> FKey;
    bool FIsComboBox;
    std::vector<std::string> FItems;
    std::string FText;
    int FItemIndex = -1;
    std::uint16_t FHotKey;
    vcl::ControlEvents& FEvents;
};

}  // namespace sim
