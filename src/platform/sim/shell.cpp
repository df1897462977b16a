// Window messages, icons and the shell: utility windows and their message
// procedures, the notification area, popup menus, the folder dialog and
// opening documents.
#include <stdexcept>

#include "platform/sim/desktop_state.h"

namespace sim {
namespace {

class SimUtilityWindow final : public vcl::UtilityWindow {
public:
    SimUtilityWindow(DesktopState& state, HWND handle) : FState(state), FHandle(handle) {}
    ~SimUtilityWindow() override { FState.utilityWindows.erase(FHandle); }
    SimUtilityWindow(const SimUtilityWindow&) = delete;
    SimUtilityWindow& operator=(const SimUtilityWindow&) = delete;
    HWND Handle() const override { return FHandle; }

private:
    DesktopState& FState;
    HWND FHandle;
};

class SimIcon final : public vcl::NativeIcon {
public:
    SimIcon(DesktopState& state, vcl::HICON handle) : FState(state), FHandle(handle) {}
    ~SimIcon() override { FState.icons.erase(FHandle); }
    SimIcon(const SimIcon&) = delete;
    SimIcon& operator=(const SimIcon&) = delete;
    vcl::HICON Handle() const override { return FHandle; }

private:
    DesktopState& FState;
    vcl::HICON FHandle;
};

class SimItemIdList final : public vcl::ItemIdList {
public:
    explicit SimItemIdList(std::string path) : FPath(std::move(path)) {}
    std::string Path() const override { return FPath; }

private:
    std::string FPath;
};

constexpr int kApplicationIconSize = 32;
constexpr std::intptr_t kShellExecuteSucceeded = 42;

}  // namespace

// --- Utility windows and messages ---------------------------------------------

std::unique_ptr<vcl::UtilityWindow> SimulatedDesktop::AllocateHWnd(std::function<void(vcl::TMessage&)> windowProc) {
    if (!windowProc) throw std::invalid_argument("a utility window needs a window procedure");
    const HWND handle = FState->nextHandle++;
    FState->utilityWindows.emplace(handle, std::move(windowProc));
    return std::make_unique<SimUtilityWindow>(*FState, handle);
}

int SimulatedDesktop::LiveUtilityWindows() const { return static_cast<int>(FState->utilityWindows.size()); }

std::intptr_t SimulatedDesktop::SendMessage(HWND utilityWindow, vcl::TMessage message) {
    const auto window = FState->utilityWindows.find(utilityWindow);
    if (window == FState->utilityWindows.end())
        throw std::invalid_argument("no utility window with handle " + std::to_string(utilityWindow));
    const auto procedure = window->second;  // kept alive while it runs
    procedure(message);
    return message.Result;
}

std::intptr_t SimulatedDesktop::DefWindowProc(HWND, const vcl::TMessage& message) {
    FState->defaultProcedureCalls.push_back(message);
    return DefaultProcedureResult;
}

const std::vector<vcl::TMessage>& SimulatedDesktop::DefaultProcedureCalls() const {
    return FState->defaultProcedureCalls;
}

std::uint32_t SimulatedDesktop::RegisterWindowMessage(const std::string& name) {
    const auto [entry, added] = FState->windowMessages.emplace(name, FState->nextWindowMessage);
    if (added) ++FState->nextWindowMessage;
    return entry->second;
}

// --- Icons -------------------------------------------------------------------------

vcl::HICON SimulatedDesktop::ApplicationIcon() const { return kApplicationIcon; }

std::unique_ptr<vcl::NativeIcon> SimulatedDesktop::LoadIcon(int resource, int width, int height) {
    const vcl::HICON handle = FState->nextIcon++;
    FState->icons[handle] = {resource, width, height};
    return std::make_unique<SimIcon>(*FState, handle);
}

SimulatedDesktop::IconRecord SimulatedDesktop::IconOf(vcl::HICON icon) const {
    if (icon == kApplicationIcon) return {1, kApplicationIconSize, kApplicationIconSize};
    const auto found = FState->icons.find(icon);
    if (found == FState->icons.end()) throw std::invalid_argument("no icon with handle " + std::to_string(icon));
    return found->second;
}

int SimulatedDesktop::LiveIcons() const { return static_cast<int>(FState->icons.size()); }

// --- The notification area ---------------------------------------------------------

// Adding an icon that is there, or changing or deleting one that is not, fails.
bool SimulatedDesktop::Shell_NotifyIcon(std::uint32_t message, const vcl::NotifyIconData& data) {
    const std::pair<HWND, std::uint32_t> key{data.hWnd, data.uID};
    const bool present = FState->trayIcons.count(key) != 0;
    bool succeeded = false;
    switch (message) {
        case vcl::NIM_ADD:
            succeeded = !present;
            if (succeeded) FState->trayIcons[key] = data;
            break;
        case vcl::NIM_MODIFY:
            succeeded = present;
            if (succeeded) FState->trayIcons[key] = data;
            break;
        case vcl::NIM_DELETE: succeeded = FState->trayIcons.erase(key) != 0; break;
        default: break;
    }
    FState->notifyCalls.push_back({message, data, succeeded});
    return succeeded;
}

const std::vector<NotifyCall>& SimulatedDesktop::NotifyCalls() const { return FState->notifyCalls; }

const std::map<std::pair<HWND, std::uint32_t>, vcl::NotifyIconData>& SimulatedDesktop::TrayIcons() const {
    return FState->trayIcons;
}

void SimulatedDesktop::TrayMouse(HWND window, std::uint32_t id, std::intptr_t mouseMessage) {
    const auto icon = FState->trayIcons.find({window, id});
    if (icon == FState->trayIcons.end()) throw std::invalid_argument("no such icon in the notification area");
    SendMessage(window, {icon->second.uCallbackMessage, id, mouseMessage, 0});
}

void SimulatedDesktop::RestartShell() {
    FState->trayIcons.clear();
    const std::uint32_t taskbarCreated = RegisterWindowMessage("TaskbarCreated");
    std::vector<HWND> windows;
    for (const auto& [handle, procedure] : FState->utilityWindows) windows.push_back(handle);
    for (const HWND window : windows)
        if (FState->utilityWindows.count(window) != 0) SendMessage(window, {taskbarCreated, 0, 0, 0});
}

// --- Menus, dialogs and documents -----------------------------------------------------

int SimulatedDesktop::TrackPopupMenu(HWND owner, const std::vector<std::string>& captions, TPoint at) {
    FState->popupMenus.push_back({owner, captions, at});
    FState->RunModalLoop();
    return ChooseMenuItem ? ChooseMenuItem(FState->popupMenus.back()) : -1;
}

const std::vector<PopupMenuRecord>& SimulatedDesktop::PopupMenus() const { return FState->popupMenus; }

// The dialog is a window of its own while it is open; its callback hears of
// it once it exists.
std::unique_ptr<vcl::ItemIdList> SimulatedDesktop::SHBrowseForFolder(const vcl::BrowseInfo& info) {
    const FolderDialogScript script = NextFolderDialog;
    WindowRecord record;
    record.bounds = script.bounds;
    record.visible = true;
    record.caption = "Browse For Folder";
    const HWND dialog = FState->Add(std::move(record));
    FState->Activate(dialog);
    constexpr std::intptr_t kNoParameter = 0;
    if (info.callback) info.callback(dialog, vcl::BFFM_INITIALIZED, kNoParameter, info.callbackData);
    FState->folderDialogs.push_back({info.owner, info.title, info.flags, FState->Window(dialog).bounds});
    FState->RunModalLoop();
    FState->Remove(dialog);
    if (!script.answer) return nullptr;
    return std::make_unique<SimItemIdList>(*script.answer);
}

const std::vector<FolderDialogRecord>& SimulatedDesktop::FolderDialogs() const { return FState->folderDialogs; }

std::intptr_t SimulatedDesktop::ShellExecute(HWND parent, const std::string& verb, const std::string& file,
                                             const std::string& parameters, const std::string& directory,
                                             int showCommand) {
    FState->shellExecutes.push_back({parent, verb, file, parameters, directory, showCommand});
    return kShellExecuteSucceeded;
}

const std::vector<ShellExecuteRecord>& SimulatedDesktop::ShellExecutes() const { return FState->shellExecutes; }

}  // namespace sim
