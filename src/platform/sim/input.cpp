// Keyboard, mouse and the program's controls, as a test drives them.
#include <stdexcept>

#include "platform/sim/desktop_state.h"

namespace sim {
namespace {

DesktopState::KeyState& Key(std::array<DesktopState::KeyState, 256>& keys, int virtualKey) {
    if (virtualKey < 0 || virtualKey >= static_cast<int>(keys.size()))
        throw std::out_of_range("no virtual key " + std::to_string(virtualKey));
    return keys[static_cast<std::size_t>(virtualKey)];
}

}  // namespace

SimControl::SimControl(DesktopState& state, HWND window, const vcl::ControlSpec& spec, vcl::ControlEvents& events)
    : FState(state),
      FKey(window, spec.name),
      FIsComboBox(spec.kind == vcl::ControlKind::ComboBox),
      FItems(spec.items),
      FText(spec.text),
      FEvents(events) {
    if (!FState.controls.emplace(FKey, this).second)
        throw std::invalid_argument("a control named " + spec.name + " already exists");
}

SimControl::~SimControl() {
    const auto entry = FState.controls.find(FKey);
    if (entry != FState.controls.end() && entry->second == this) FState.controls.erase(entry);
}

void SimControl::SetItemIndex(int index) {
    const bool valid = index >= 0 && static_cast<std::size_t>(index) < FItems.size();
    FItemIndex = valid ? index : -1;
    if (FIsComboBox) FText = valid ? FItems[static_cast<std::size_t>(index)] : std::string();
}

std::unique_ptr<vcl::NativeControl> SimNativeWindow::CreateControl(const vcl::ControlSpec& spec,
                                                                   vcl::ControlEvents& events) {
    return std::make_unique<SimControl>(FState, FHandle, spec, events);
}

// A left-button press gives the window the mouse capture for as long as
// the button is down; the system's move and size loop needs it free.
void SimNativeWindow::ReleaseCapture() {
    ++FState.releaseCaptures;
    FState.capture = 0;
}

// --- SimulatedDesktop: keyboard ------------------------------------------------

void SimulatedDesktop::PressKey(int virtualKey) { Key(FState->keys, virtualKey) = {true, true}; }
void SimulatedDesktop::ReleaseKey(int virtualKey) { Key(FState->keys, virtualKey).down = false; }

std::uint16_t SimulatedDesktop::GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    DesktopState::KeyState& key = Key(FState->keys, virtualKey);
    const std::uint16_t state = (key.down ? 0x8000 : 0) | (key.pressedSinceQuery ? 0x0001 : 0);
    key.pressedSinceQuery = false;
    return state;
}

// --- SimulatedDesktop: mouse -----------------------------------------------------

void SimulatedDesktop::MoveMouse(HWND window, TPoint client) {
    if (!IsVisible(window)) throw std::invalid_argument("the mouse can only be over a visible window");
    WindowRecord& record = FState->Window(window);
    record.mouse = client;
    if (record.events) record.events->MouseMoved(client);
}

void SimulatedDesktop::PressMouse(HWND window, vcl::TMouseButton button, std::vector<TPoint> dragPath) {
    Activate(window);
    FState->dragPath = std::move(dragPath);
    FState->capture = button == vcl::TMouseButton::mbLeft ? window : 0;
    const WindowRecord& record = FState->Window(window);
    if (record.events) record.events->MousePressed(button, record.mouse);
    // The button is up again.
    FState->dragPath.clear();
    FState->capture = 0;
}

void SimulatedDesktop::CloseWindow(HWND window) {
    vcl::WindowEvents* events = FState->Window(window).events;
    if (events)
        events->CloseRequested();
    else
        FState->Remove(window);
}

int SimulatedDesktop::ReleaseCaptureCount() const { return FState->releaseCaptures; }

// --- SimulatedDesktop: controls --------------------------------------------------

vcl::NativeControl& SimulatedDesktop::Control(HWND window, const std::string& name) {
    const auto entry = FState->controls.find({window, name});
    if (entry == FState->controls.end()) throw std::out_of_range("no control named " + name);
    return *entry->second;
}

void SimulatedDesktop::TypeText(HWND window, const std::string& name, const std::string& text) {
    auto& control = static_cast<SimControl&>(Control(window, name));
    control.SetText(text);
    control.Events().Changed();
}

void SimulatedDesktop::SelectItem(HWND window, const std::string& name, int index) {
    auto& control = static_cast<SimControl&>(Control(window, name));
    if (index < 0 || static_cast<std::size_t>(index) >= control.ItemCount())
        throw std::out_of_range("no item " + std::to_string(index) + " in " + name);
    control.SetItemIndex(index);
    control.Events().Changed();
}

void SimulatedDesktop::Click(HWND window, const std::string& name) {
    static_cast<SimControl&>(Control(window, name)).Events().Clicked();
}

}  // namespace sim
