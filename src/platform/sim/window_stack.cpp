// The window stack: two bands (topmost windows above the others), the
// foreground window, and the window operations of the system.
#include <algorithm>
#include <stdexcept>

#include "platform/sim/desktop_state.h"

namespace sim {

Frame FrameOf(vcl::TBorderStyle style) {
    using vcl::TBorderStyle;
    switch (style) {
        case TBorderStyle::bsNone: return {0, 0};
        case TBorderStyle::bsSingle:
        case TBorderStyle::bsDialog: return {3, 23};
        case TBorderStyle::bsSizeable: return {8, 23};
        case TBorderStyle::bsToolWindow: return {3, 17};
        case TBorderStyle::bsSizeToolWin: return {4, 17};
    }
    throw std::invalid_argument("unknown border style");
}

TRect WindowRecord::ClientRect() const {
    const Frame frame = FrameOf(border);
    TRect client{bounds.Left + frame.border, bounds.Top + frame.border + frame.caption, bounds.Right - frame.border,
                 bounds.Bottom - frame.border};
    client.Right = std::max(client.Right, client.Left);
    client.Bottom = std::max(client.Bottom, client.Top);
    return client;
}

WindowRecord& DesktopState::Window(HWND window) {
    return const_cast<WindowRecord&>(std::as_const(*this).Window(window));
}

const WindowRecord& DesktopState::Window(HWND window) const {
    const auto found = windows.find(window);
    if (found == windows.end()) throw std::invalid_argument("no window with handle " + std::to_string(window));
    return found->second;
}

HWND DesktopState::Add(WindowRecord record) {
    const HWND handle = nextHandle++;
    windows.emplace(handle, std::move(record));
    order.push_back(handle);
    RaiseInBand(handle);
    return handle;
}

void DesktopState::Remove(HWND window) {
    windows.erase(window);
    std::erase(order, window);
    std::erase_if(controls, [&](const auto& entry) { return entry.first.first == window; });
    if (capture == window) capture = 0;
    if (foreground == window) HandOverForeground();
}

void DesktopState::RaiseInBand(HWND window) {
    std::erase(order, window);
    const bool topmost = Window(window).topmost;
    const auto top = topmost ? order.begin() : std::find_if(order.begin(), order.end(), [&](HWND other) {
        return !Window(other).topmost;
    });
    order.insert(top, window);
}

void DesktopState::Activate(HWND window) {
    RaiseInBand(window);
    if (Window(window).visible) foreground = window;
}

void DesktopState::Show(HWND window, bool activate) {
    WindowRecord& record = Window(window);
    if (record.visible && !activate) return;
    record.visible = true;
    RaiseInBand(window);
    if (activate) foreground = window;
}

void DesktopState::Hide(HWND window) {
    Window(window).visible = false;
    if (foreground == window) HandOverForeground();
}

void DesktopState::HandOverForeground() {
    const auto next = std::find_if(order.begin(), order.end(), [&](HWND other) { return Window(other).visible; });
    foreground = next == order.end() ? 0 : *next;
}

void DesktopState::SetBounds(HWND window, TRect proposed) {
    if (vcl::WindowEvents* events = Window(window).events) events->PositionChanging(proposed);
    Window(window).bounds = proposed;
}

void SimNativeWindow::SetStyle(const vcl::WindowStyle& style) {
    WindowRecord& record = FState.Window(FHandle);
    // The system recreates a window whose frame changes; the framework gives
    // the new one the old handle, place, order and activation.
    if (style.border != record.border) ++record.recreations;
    record.border = style.border;
    record.caption = style.caption;
    record.layered = style.layered;
    record.alpha = style.alpha;
    record.fill = ColorOf(style.color);
    if (style.stayOnTop != record.topmost) {
        record.topmost = style.stayOnTop;
        FState.RaiseInBand(FHandle);
    }
}

void SimNativeWindow::SetVisible(bool visible) {
    if (visible)
        FState.Show(FHandle, true);
    else
        FState.Hide(FHandle);
}

// --- SimulatedDesktop: the window stack ---------------------------------------

HWND SimulatedDesktop::AddWindow(const ForeignWindow& window) {
    const auto size = static_cast<std::size_t>(window.bounds.Width()) * static_cast<std::size_t>(window.bounds.Height());
    if (!window.pixels.empty() && window.pixels.size() != size)
        throw std::invalid_argument("a foreign window needs one pixel per point of its rectangle");
    WindowRecord record;
    record.bounds = window.bounds;
    record.visible = window.visible;
    record.topmost = window.topmost;
    record.layered = window.layered;
    record.fill = window.fill;
    record.pixels = window.pixels;
    return FState->Add(std::move(record));
}

void SimulatedDesktop::Activate(HWND window) {
    if (!IsVisible(window)) throw std::invalid_argument("only a visible window can be clicked");
    FState->Activate(window);
}

void SimulatedDesktop::CloseForeignWindow(HWND window) {
    if (FState->Window(window).events) throw std::invalid_argument("the program's windows close through the program");
    FState->Remove(window);
}

std::vector<HWND> SimulatedDesktop::ZOrder() const {
    std::vector<HWND> visible;
    std::copy_if(FState->order.begin(), FState->order.end(), std::back_inserter(visible),
                 [&](HWND window) { return FState->Window(window).visible; });
    return visible;
}

bool SimulatedDesktop::IsWindow(HWND window) const { return FState->windows.count(window) != 0; }
int SimulatedDesktop::LiveWindows() const { return static_cast<int>(FState->windows.size()); }
bool SimulatedDesktop::IsVisible(HWND window) const { return IsWindow(window) && FState->Window(window).visible; }
bool SimulatedDesktop::IsTopmost(HWND window) const { return FState->Window(window).topmost; }
bool SimulatedDesktop::IsLayered(HWND window) const { return FState->Window(window).layered; }
std::uint8_t SimulatedDesktop::Alpha(HWND window) const { return FState->Window(window).alpha; }
vcl::TCursor SimulatedDesktop::Cursor(HWND window) const { return FState->Window(window).cursor; }
vcl::TBorderStyle SimulatedDesktop::Border(HWND window) const { return FState->Window(window).border; }
std::string SimulatedDesktop::Caption(HWND window) const { return FState->Window(window).caption; }
int SimulatedDesktop::RecreationCount(HWND window) const { return FState->Window(window).recreations; }

std::unique_ptr<vcl::NativeWindow> SimulatedDesktop::CreateWindow(const vcl::WindowStyle& style, const TRect& bounds,
                                                                  vcl::WindowEvents& events) {
    WindowRecord record;
    record.bounds = bounds;
    record.events = &events;
    record.border = style.border;
    record.topmost = style.stayOnTop;
    const HWND handle = FState->Add(std::move(record));
    auto window = std::make_unique<SimNativeWindow>(*FState, handle);
    window->SetStyle(style);
    return window;
}

HWND SimulatedDesktop::GetForegroundWindow() const { return FState->foreground; }
HWND SimulatedDesktop::GetDesktopWindow() const { return kDesktopWindow; }

bool SimulatedDesktop::GetWindowRect(HWND window, TRect& rect) const {
    if (window == kDesktopWindow) {
        rect = FState->monitors.front().bounds;
        return true;
    }
    if (!IsWindow(window)) return false;
    rect = FState->Window(window).bounds;
    return true;
}

void SimulatedDesktop::ShowWindow(HWND window, int command) {
    if (!IsWindow(window)) return;
    switch (command) {
        case vcl::SW_HIDE: FState->Hide(window); break;
        case vcl::SW_SHOWNOACTIVATE: FState->Show(window, false); break;
        case vcl::SW_SHOW: FState->Show(window, true); break;
        default: throw std::invalid_argument("ShowWindow command not simulated: " + std::to_string(command));
    }
}

void SimulatedDesktop::MoveWindow(HWND window, int x, int y, int width, int height, bool) {
    if (IsWindow(window)) FState->SetBounds(window, {x, y, x + width, y + height});
}

void SimulatedDesktop::BringWindowToTop(HWND window) {
    if (IsWindow(window)) FState->Activate(window);
}

}  // namespace sim
