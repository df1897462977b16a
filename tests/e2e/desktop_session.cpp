#include "e2e/desktop_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child: the environment, then exec; never returns.
[[noreturn]] void Exec(std::vector<std::string> command, const std::vector<std::string>& environment) {
    for (const std::string& entry : environment) ::putenv(strdup(entry.c_str()));
    std::vector<char*> argv = Pointers(command);
    ::execvp(argv[0], argv.data());
    _exit(127);
}

std::string WineLoader() { return fs::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : "wine"; }

}  // namespace

Subprocess::Subprocess(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                       const fs::path& log) {
    FPid = ::fork();
    if (FPid < 0) throw std::runtime_error("fork failed");
    if (FPid == 0) {
        ::setpgid(0, 0);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        Exec(command, environment);
    }
    ::setpgid(FPid, FPid);
}

Subprocess::~Subprocess() {
    ::kill(-FPid, SIGTERM);
    for (int i = 0; i < 30 && Running(); ++i) std::this_thread::sleep_for(100ms);
    ::kill(-FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
}

bool Subprocess::Running() const { return ::waitpid(FPid, nullptr, WNOHANG) == 0; }

std::string WindowsPath(const fs::path& host) {
    std::string path = "Z:" + fs::absolute(host).string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string Run(const std::vector<std::string>& command, const std::vector<std::string>& environment) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        ::dup2(pipeEnds[1], 1);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 2);
        Exec(command, environment);
    }
    ::close(pipeEnds[1]);
    std::string output;
    char buffer[65536];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("command failed: " + command[0]);
    return output;
}

DesktopSession::DesktopSession(fs::path work, int width, int height) : FWork(std::move(work)) {
    fs::create_directories(FWork);
    int number = 90;
    while (fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) ++number;
    FDisplay = ":" + std::to_string(number);
    FXServer = std::make_unique<Subprocess>(
        std::vector<std::string>{"Xvfb", FDisplay, "-screen", "0",
                                 std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"},
        std::vector<std::string>{}, FWork / "xvfb.log");
    const fs::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
    if (!WaitFor([&] { return fs::exists(socket); }, 10s)) throw std::runtime_error("Xvfb did not start");
    FPrefix = FWork / "prefix";
    Run({WineLoader(), "wineboot", "--init"}, Environment());
}

DesktopSession::~DesktopSession() {
    FProgram.reset();
    FPictures.clear();
    try {
        Run({"wineserver", "-k"}, Environment());
    } catch (const std::exception&) {
        // No Wine process is left to end.
    }
    FXServer.reset();
}

std::vector<std::string> DesktopSession::Environment() const {
    return {"DISPLAY=" + FDisplay, "WINEPREFIX=" + FPrefix.string(), "WINEDEBUG=-all",
            "WINEDLLOVERRIDES=mscoree,mshtml="};
}

void DesktopSession::StartProgram(const fs::path& exe) {
    FProgramFolder = FWork / "program";
    fs::create_directories(FProgramFolder);
    fs::copy_file(exe, FProgramFolder / "tivalo.exe", fs::copy_options::overwrite_existing);
    FProgram = std::make_unique<Subprocess>(
        std::vector<std::string>{WineLoader(), (FProgramFolder / "tivalo.exe").string()}, Environment(),
        FWork / "program.log");
    if (!WaitFor([&] { return !FindWindows("Tivalo").empty(); }, 60s))
        throw std::runtime_error("the window \"Tivalo\" did not appear");
    FMainWindow = FindWindows("Tivalo").front();
}

std::vector<std::string> DesktopSession::FindWindows(const std::string& name) const {
    std::string output;
    try {
        output = Run({"xdotool", "search", "--onlyvisible", "--name", "^" + name + "$"}, Environment());
    } catch (const std::exception&) {
        return {};  // xdotool fails when nothing matches
    }
    std::vector<std::string> windows;
    for (std::size_t start = 0, end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        windows.push_back(output.substr(start, end - start));
    return windows;
}

// Without a window manager, keys go to the window under the pointer.
void DesktopSession::Focus(const std::string& window, int x, int y) {
    Run({"xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y)}, Environment());
    Run({"xdotool", "windowfocus", "--sync", window}, Environment());
}

void DesktopSession::Click(int x, int y, int button) {
    Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", std::to_string(button)}, Environment());
}

void DesktopSession::PressKeyDown(const std::string& key) { Run({"xdotool", "keydown", key}, Environment()); }

void DesktopSession::ReleaseKey(const std::string& key) { Run({"xdotool", "keyup", key}, Environment()); }

void DesktopSession::HoldKey(const std::string& key, std::chrono::milliseconds hold) {
    PressKeyDown(key);
    std::this_thread::sleep_for(hold);
    ReleaseKey(key);
}

std::string DesktopSession::WindowName(const std::string& window) const {
    std::string name = Run({"xdotool", "getwindowname", window}, Environment());
    while (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

// A window that no longer exists (a recreated one) is not visible either.
bool DesktopSession::WindowVisible(const std::string& window) const {
    if (window.empty()) return false;  // xwininfo would wait for a click on some window
    try {
        return Run({"xwininfo", "-id", window}, Environment()).find("IsViewable") != std::string::npos;
    } catch (const std::exception&) {
        return false;
    }
}

std::string DesktopSession::ShowPicture(const fs::path& showPictureExe, const fs::path& picture,
                                       const std::vector<std::string>& options, const std::string& title) {
    const std::vector<std::string> shown = FindWindows(title);
    std::vector<std::string> command{WineLoader(), showPictureExe.string(), WindowsPath(picture)};
    command.insert(command.end(), options.begin(), options.end());
    FPictures.push_back(std::make_unique<Subprocess>(command, Environment(), FWork / "picture.log"));
    std::string window;
    const auto appeared = [&] {
        for (const std::string& candidate : FindWindows(title))
            if (std::find(shown.begin(), shown.end(), candidate) == shown.end()) window = candidate;
        return !window.empty();
    };
    if (!WaitFor(appeared, 60s)) throw std::runtime_error("the window \"" + title + "\" did not appear");
    return window;
}

void DesktopSession::LeaveWindowsUnmanaged() {
    Run({WineLoader(), "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f"}, Environment());
}

std::string DesktopSession::RunWindowsProgram(const fs::path& exe, const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{WineLoader(), exe.string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return Run(command, Environment());
}

std::unique_ptr<Subprocess> DesktopSession::StartWindowsProgram(const fs::path& exe,
                                                                const std::vector<std::string>& arguments,
                                                                const fs::path& log) const {
    std::vector<std::string> command{WineLoader(), exe.string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return std::make_unique<Subprocess>(command, Environment(), log);
}

testsupport::DecodedPng DesktopSession::ScreenShot() const {
    const std::string png = Run({"import", "-window", "root", "PNG24:-"}, Environment());
    return testsupport::DecodeWithLibpng(std::vector<std::uint8_t>(png.begin(), png.end()));
}

}  // namespace e2e
