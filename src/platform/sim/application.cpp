// The desktop as a whole: its construction, the application services and
// the file system.
#include "platform/sim/desktop_state.h"

namespace sim {
namespace {

constexpr const char* kDefaultExecutable = "C:\\Program Files\\Tivalo\\tivalo.exe";

std::vector<MonitorSpec> PrimaryMonitor(const DesktopSpec& spec) {
    const TRect bounds{0, 0, spec.width, spec.height};
    TRect workArea = bounds;
    switch (spec.taskbarEdge) {
        case TaskbarEdge::Bottom: workArea.Bottom -= spec.taskbarHeight; break;
        case TaskbarEdge::Left: workArea.Left += spec.taskbarHeight; break;
        case TaskbarEdge::Top: workArea.Top += spec.taskbarHeight; break;
        case TaskbarEdge::Right: workArea.Right -= spec.taskbarHeight; break;
    }
    return {{bounds, workArea}};
}

}  // namespace

DesktopState::DesktopState(SimulatedDesktop& owner, const DesktopSpec& spec, std::filesystem::path fileRoot)
    : desktop(owner),
      bitsPerPixel(spec.bitsPerPixel),
      monitors(PrimaryMonitor(spec)),
      bitmapMemory(spec.bitmapMemory),
      files(std::move(fileRoot)) {}

SimulatedDesktop::SimulatedDesktop(const DesktopSpec& spec, std::filesystem::path fileRoot)
    : FState(std::make_unique<DesktopState>(*this, spec, std::move(fileRoot))) {
    SetExecutableName(kDefaultExecutable);
}

SimulatedDesktop::~SimulatedDesktop() = default;

void SimulatedDesktop::MapDrive(char letter) { FState->files.MapDrive(letter); }
void SimulatedDesktop::SetFreeDiskSpace(std::optional<std::uint64_t> bytes) { FState->files.SetFreeSpace(bytes); }
int SimulatedDesktop::OpenFiles() const { return FState->files.OpenFiles(); }

std::filesystem::path SimulatedDesktop::HostPath(const std::string& windowsPath) const {
    return FState->files.HostPath(windowsPath);
}

// The program's folder exists, as it does for a program that runs.
void SimulatedDesktop::SetExecutableName(const std::string& windowsPath) {
    FState->executableName = FState->files.ExpandFileName(windowsPath);
    std::filesystem::create_directories(HostPath(FState->executableName).parent_path());
}

std::string SimulatedDesktop::ExecutableName() const { return FState->executableName; }
vcl::FileSystem& SimulatedDesktop::Files() { return FState->files; }

void SimulatedDesktop::SetVersion(const vcl::OsVersion& version) { FState->version = version; }
vcl::OsVersion SimulatedDesktop::Version() const { return FState->version; }
HWND SimulatedDesktop::ApplicationWindow() const { return kApplicationWindow; }

// Tests dispatch the messages themselves.
void SimulatedDesktop::RunMessageLoop() {}
void SimulatedDesktop::Terminate() { FTerminated = true; }

}  // namespace sim
