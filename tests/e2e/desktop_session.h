// A virtual X display with the Windows program running on it under Wine,
// driven with real key presses and looked at through the X server.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <thread>
#include <filesystem>
#include <string>
#include <vector>

#include "support/libpng_decoder.h"

namespace e2e {

// A child process in its own process group, ended with the group.
class Subprocess {
public:
    Subprocess(const std::vector<std::string>& command, const std::vector<std::string>& environment,
               const std::filesystem::path& log);
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;
    bool Running() const;
    pid_t Pid() const { return FPid; }

private:
    pid_t FPid;
};

// The path under which Wine's programs see a host file (drive Z: is the root).
std::string WindowsPath(const std::filesystem::path& host);

// Runs a command to its end; returns its standard output. Throws when it fails.
std::string Run(const std::vector<std::string>& command, const std::vector<std::string>& environment = {});

class DesktopSession {
public:
    // Starts Xvfb at width x height x 24 and a fresh Wine prefix in `work`.
    DesktopSession(std::filesystem::path work, int width, int height);
    ~DesktopSession();

    // Starts the program from its folder; waits for its window.
    void StartProgram(const std::filesystem::path& exe);
    std::string MainWindow() const { return FMainWindow; }
    bool ProgramRunning() const { return FProgram && FProgram->Running(); }
    // The host process that runs the program: Wine runs a Windows process in
    // the process it was started in.
    pid_t ProgramProcess() const { return FProgram->Pid(); }
    // A click of a mouse button (1 left, 3 right) at a screen point.
    void Click(int x, int y, int button = 1);

    // Holds a key down for about 100 ms, as a person does; keys are X key names.
    void HoldKey(const std::string& key, std::chrono::milliseconds hold = std::chrono::milliseconds(100));
    void PressKeyDown(const std::string& key);
    void ReleaseKey(const std::string& key);
    // Puts the pointer at (x, y) in the window, so that keys reach it.
    void Focus(const std::string& window, int x = 5, int y = 5);
    std::string WindowName(const std::string& window) const;
    bool WindowVisible(const std::string& window) const;
    // Windows whose name matches the pattern exactly.
    std::vector<std::string> FindWindows(const std::string& name) const;

    // Shows a BMP picture through a Windows program, show-picture, whose usage
    // gives the options and the window's title: Wine's screen copies see only
    // Wine's own windows. Returns the new window.
    std::string ShowPicture(const std::filesystem::path& showPictureExe, const std::filesystem::path& picture,
                            const std::vector<std::string>& options = {}, const std::string& title = "Picture");
    // Wine hands the placement of framed windows to a window manager, and
    // without one a maximised window falls back to its X size. Programs
    // started afterwards place all their windows themselves.
    void LeaveWindowsUnmanaged();
    // Runs a Windows console program to its end; returns its standard output.
    std::string RunWindowsProgram(const std::filesystem::path& exe, const std::vector<std::string>& arguments) const;
    // Starts a Windows console program that runs on its own, its output going
    // to `log`; it ends with the returned object.
    std::unique_ptr<Subprocess> StartWindowsProgram(const std::filesystem::path& exe,
                                                    const std::vector<std::string>& arguments,
                                                    const std::filesystem::path& log) const;
    // The whole screen, as the X server holds it.
    testsupport::DecodedPng ScreenShot() const;

    // The host path of a file in the program's folder.
    std::filesystem::path ProgramFile(const std::string& relative) const { return FProgramFolder / relative; }

    // Waits until the condition holds, or the timeout passes; returns whether it held.
    template <class Condition>
    bool WaitFor(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

    std::vector<std::string> Environment() const;

private:
    std::filesystem::path FWork;
    std::string FDisplay;
    std::filesystem::path FPrefix;
    std::filesystem::path FProgramFolder;
    std::unique_ptr<Subprocess> FXServer;
    std::vector<std::unique_ptr<Subprocess>> FPictures;
    std::unique_ptr<Subprocess> FProgram;
    std::string FMainWindow;
};

template <class Condition>
bool DesktopSession::WaitFor(Condition condition, std::chrono::milliseconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

}  // namespace e2e
