// The fixture of the end-to-end tests: the program started under Wine on a
// virtual display, in front of a made-up desktop, with the pointer on its window.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/desktop_session.h"
#include "support/test_folder.h"

namespace e2e {

namespace fs = std::filesystem;

constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;

// What the window probe tells of a top-level window.
struct Placement {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool maximised = false;
};

// A child control; top is its place in its top-level window's client area.
struct Control {
    std::string className;
    int top = 0;
    std::string text;
};

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

inline WindowGeometry GeometryOf(const e2e::DesktopSession& session, const std::string& window) {
    std::istringstream shell(e2e::Run({"xdotool", "getwindowgeometry", "--shell", window}, session.Environment()));
    WindowGeometry geometry;
    for (std::string line; std::getline(shell, line);) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const int value = std::atoi(line.c_str() + equals + 1);
        if (key == "X") geometry.x = value;
        if (key == "Y") geometry.y = value;
        if (key == "WIDTH") geometry.width = value;
        if (key == "HEIGHT") geometry.height = value;
    }
    return geometry;
}

class ProgramE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("TIVALO_EXE");
        const char* showPicture = std::getenv("TIVALO_SHOW_PICTURE");
        if (exe == nullptr || showPicture == nullptr)
            GTEST_SKIP() << "TIVALO_EXE and TIVALO_SHOW_PICTURE name no Windows builds";
        session = std::make_unique<e2e::DesktopSession>(folder.Path(), ScreenWidth, ScreenHeight);
        showPictureExe = showPicture;
        windowProbeExe = showPictureExe.parent_path().parent_path() / "window_probe" / "window-probe.exe";
        fileToolExe = showPictureExe.parent_path().parent_path() / "file_tool" / "file-tool.exe";
        session->ShowPicture(showPictureExe, SamplePicture("desktop.bmp", ScreenWidth, ScreenHeight));
        session->StartProgram(exe);
        session->Focus(session->MainWindow());
    }

    // The main window's "Exit" button, at its place in the lower right corner.
    void ClickExit() const {
        const WindowGeometry window = GeometryOf(*session, session->MainWindow());
        session->Click(window.x + window.width - 3 - 45, window.y + window.height - 3 - 19);
    }

    fs::path Shot(int number) const {
        char name[32];
        std::snprintf(name, sizeof name, "Output/screen%03d.png", number);
        return session->ProgramFile(name);
    }

    // Waits for a saved file; the save writes beside it and renames, so it is complete once it exists.
    bool Saved(int number) const {
        return session->WaitFor([&] { return fs::exists(Shot(number)); });
    }

    // The program's error box: a second window titled "Tivalo". Empty when
    // none comes.
    std::string ErrorBox() const {
        std::string box;
        session->WaitFor([&] {
            for (const std::string& window : session->FindWindows("Tivalo"))
                if (window != session->MainWindow()) box = window;
            return !box.empty();
        }, std::chrono::seconds(10));
        return box;
    }

    // The error box's text, which X cannot read.
    std::string ErrorMessage() const {
        std::string text = session->RunWindowsProgram(windowProbeExe, {"message", "Tivalo"});
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }

    // Presses its OK button with Enter; returns whether it went away.
    bool DismissErrorBox(const std::string& box) {
        if (box.empty()) return false;
        session->Focus(box);
        session->HoldKey("Return");
        return session->WaitFor([&] { return !session->WindowVisible(box); }, std::chrono::seconds(10));
    }

    Placement PlacementOf(const std::string& title) const {
        std::istringstream line(session->RunWindowsProgram(windowProbeExe, {"placement", title}));
        Placement placement;
        line >> placement.left >> placement.top >> placement.right >> placement.bottom >> placement.maximised;
        return placement;
    }

    std::vector<Control> ControlsOf(const std::string& title) const {
        std::istringstream lines(session->RunWindowsProgram(windowProbeExe, {"controls", title}));
        std::vector<Control> controls;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            Control control;
            std::string left, top;
            std::getline(fields, control.className, '\t');
            std::getline(fields, left, '\t');
            std::getline(fields, top, '\t');
            std::getline(fields, control.text);
            control.top = std::atoi(top.c_str());
            controls.push_back(control);
        }
        return controls;
    }

    // A made-up desktop of the given size, as a BMP file for show-picture.
    fs::path SamplePicture(const std::string& name, int width, int height) const {
        const fs::path picture = folder.Path() / name;
        e2e::Run({SAMPLE_SCREENSHOT_PATH, picture.string(), std::to_string(width), std::to_string(height)});
        return picture;
    }

    testsupport::TestFolder folder;
    std::unique_ptr<e2e::DesktopSession> session;
    fs::path showPictureExe;
    // Built beside show-picture.
    fs::path windowProbeExe;
    fs::path fileToolExe;
};

}  // namespace e2e
