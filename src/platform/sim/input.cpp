// Keyboard, mouse and the program's controls, as a test drives them.
#include <algorithm>
#include <cctype>
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
      FHotKey(spec.hotKey),
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

std::int16_t SimulatedDesktop::GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return Key(FState->keys, virtualKey).down ? static_cast<std::int16_t>(0x8000) : 0;
}

// --- SimulatedDesktop: hotkeys and atoms ------------------------------------------

namespace {

bool SameCombination(const HotKeyRegistration& a, std::uint32_t modifiers, std::uint32_t virtualKey) {
    return a.modifiers == modifiers && a.virtualKey == virtualKey;
}

std::string AtomKey(const std::string& name) {
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
    return key;
}

}  // namespace

// A combination belongs to one registration at a time, and a window's
// identifier to one combination.
bool SimulatedDesktop::RegisterHotKey(HWND window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    if (FState->hotKeys.count({window, id}) != 0) return false;
    for (const auto& [key, registration] : FState->hotKeys)
        if (SameCombination(registration, modifiers, virtualKey)) return false;
    for (const HotKeyRegistration& foreign : FState->foreignHotKeys)
        if (SameCombination(foreign, modifiers, virtualKey)) return false;
    FState->hotKeys[{window, id}] = {modifiers, virtualKey};
    return true;
}

bool SimulatedDesktop::UnregisterHotKey(HWND window, int id) { return FState->hotKeys.erase({window, id}) != 0; }

void SimulatedDesktop::RegisterForeignHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) {
    FState->foreignHotKeys.push_back({modifiers, virtualKey});
}

const std::map<std::pair<HWND, int>, HotKeyRegistration>& SimulatedDesktop::HotKeys() const {
    return FState->hotKeys;
}

bool SimulatedDesktop::PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) {
    for (const auto& [key, registration] : FState->hotKeys) {
        if (!SameCombination(registration, modifiers, virtualKey)) continue;
        const auto [window, id] = key;
        vcl::WindowEvents* events = FState->Window(window).events;
        vcl::TMessage message{vcl::WM_HOTKEY, static_cast<std::uintptr_t>(id),
                              static_cast<std::intptr_t>((virtualKey << 16) | modifiers), 0};
        if (events) events->HotKeyPressed(message);
        return true;
    }
    return false;
}

std::uint16_t SimulatedDesktop::GlobalAddAtom(const std::string& name) {
    DesktopState::AtomEntry& entry = FState->atoms[AtomKey(name)];
    if (entry.references == 0) entry.atom = FState->nextAtom++;
    ++entry.references;
    return entry.atom;
}

// Gives 0 when the reference was released, the atom when there was none.
std::uint16_t SimulatedDesktop::GlobalDeleteAtom(std::uint16_t atom) {
    const auto entry = std::find_if(FState->atoms.begin(), FState->atoms.end(),
                                    [&](const auto& named) { return named.second.atom == atom; });
    if (entry == FState->atoms.end()) return atom;
    if (--entry->second.references == 0) FState->atoms.erase(entry);
    return 0;
}

int SimulatedDesktop::AtomReferences(const std::string& name) const {
    const auto entry = FState->atoms.find(AtomKey(name));
    return entry == FState->atoms.end() ? 0 : entry->second.references;
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

void SimulatedDesktop::SetCursorPos(TPoint screen) { FState->cursor = screen; }
TPoint SimulatedDesktop::GetCursorPos() const { return FState->cursor; }

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

void SimulatedDesktop::SetHotKeyValue(HWND window, const std::string& name, std::uint16_t value) {
    auto& control = static_cast<SimControl&>(Control(window, name));
    control.SetHotKeyValue(value);
    control.Events().Changed();
}

void SimulatedDesktop::Click(HWND window, const std::string& name) {
    static_cast<SimControl&>(Control(window, name)).Events().Clicked();
}

}  // namespace sim
