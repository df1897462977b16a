// The Windows program under Wine on a virtual display, driven by real keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <tuple>

#include "e2e/program_test.h"
#include "support/png_chunks.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::Control;
using e2e::GeometryOf;
using e2e::Placement;
using e2e::ProgramE2eTest;
using e2e::ScreenHeight;
using e2e::ScreenWidth;
using e2e::WindowGeometry;

// X cannot read Windows controls' texts: the window probe asks Windows.
TEST_F(ProgramE2eTest, TheWindowStartsWithTheDefaultSettings) {
    std::vector<Control> areaLists, edits;
    for (const Control& control : ControlsOf("Tivalo")) {
        if (control.className == "ComboBox") areaLists.push_back(control);
        if (control.className == "Edit") edits.push_back(control);
    }
    ASSERT_EQ(areaLists.size(), 1u);
    EXPECT_EQ(areaLists[0].text, "Whole Screen");
    ASSERT_EQ(edits.size(), 2u);
    std::sort(edits.begin(), edits.end(), [](const Control& a, const Control& b) { return a.top < b.top; });
    EXPECT_EQ(edits[0].text, "Output") << "the folder, the upper field";
    EXPECT_EQ(edits[1].text, "screen") << "the prefix, the lower field";
}

TEST_F(ProgramE2eTest, PrintScreenSavesWhatTheScreenShows) {
    EXPECT_EQ(session->WindowName(session->MainWindow()), "Tivalo");
    const WindowGeometry mainWindow = GeometryOf(*session, session->MainWindow());
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));
    const testsupport::DecodedPng screen = session->ScreenShot();
    const auto file = testsupport::ReadFileBytes(Shot(1).string());
    const testsupport::DecodedPng shot = testsupport::DecodeWithLibpng(file);

    ASSERT_EQ(shot.width, static_cast<std::uint32_t>(ScreenWidth));
    ASSERT_EQ(shot.height, static_cast<std::uint32_t>(ScreenHeight));
    EXPECT_EQ(shot.colorType, 2);
    EXPECT_EQ(shot.bitDepth, 8);
    int compared = 0;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            if (mainWindow.Contains(x, y)) continue;  // its caption changed after the save
            for (int c = 0; c < 3; ++c) ASSERT_EQ(shot.Sample(x, y, c), screen.Sample(x, y, c)) << x << "," << y;
            ++compared;
        }
    EXPECT_GT(compared, ScreenWidth * ScreenHeight / 2);

    const auto chunks = testsupport::ReadChunks(file);
    std::vector<std::size_t> idatSizes;
    for (const auto& chunk : chunks)
        if (chunk.type == "IDAT") idatSizes.push_back(chunk.data.size());
    ASSERT_FALSE(idatSizes.empty());
    for (std::size_t i = 0; i + 1 < idatSizes.size(); ++i) EXPECT_EQ(idatSizes[i], 65535u);
    const auto lines = testsupport::Inflate(testsupport::JoinedIdat(chunks));
    for (std::size_t at = 0; at < lines.size(); at += 3 * ScreenWidth + 1) ASSERT_EQ(lines[at], 1) << "Sub";

    EXPECT_TRUE(session->WaitFor([&] { return session->WindowName(session->MainWindow()) == "Brendal, saved: screen001.png"; }));
}

TEST_F(ProgramE2eTest, LettersCaptureOnlyWhilePrintScreenIsHeld) {
    session->HoldKey("a");
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(fs::exists(Shot(1))) << "a letter alone";
    session->PressKeyDown("Print");
    ASSERT_TRUE(Saved(1));
    session->HoldKey("b");
    EXPECT_TRUE(Saved(2)) << "a letter with Print Screen held";
    session->ReleaseKey("Print");
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(fs::exists(Shot(3)));
}

// "Exit" sits 45 pixels left of the client area's right edge and 19 above its
// bottom (its centre, at 96 pixels per inch); the frame is 3 pixels wide.
TEST_F(ProgramE2eTest, ExitHidesTheWindowAndCapturingGoesOn) {
    ClickExit();
    ASSERT_TRUE(session->WaitFor([&] { return !session->WindowVisible(session->MainWindow()); }, 10s));
    // Key events reach Wine through one of its windows: the picture's.
    session->Focus(session->FindWindows("Picture").front());
    session->HoldKey("Print");
    EXPECT_TRUE(Saved(1));
}

TEST_F(ProgramE2eTest, F6BringsTheHiddenWindowBack) {
    ClickExit();
    ASSERT_TRUE(session->WaitFor([&] { return !session->WindowVisible(session->MainWindow()); }, 10s));
    session->Focus(session->FindWindows("Picture").front());
    session->HoldKey("F6");
    EXPECT_TRUE(session->WaitFor([&] { return session->WindowVisible(session->MainWindow()); }, 10s));
}

// Without a desktop panel, Wine shows notification-area icons in a window of
// its own, the first icon at its left end.
TEST_F(ProgramE2eTest, QuitInTheTrayMenuEndsTheProgram) {
    std::vector<std::string> trays;
    ASSERT_TRUE(session->WaitFor([&] { return !(trays = session->FindWindows("Wine System Tray")).empty(); }, 20s));
    const WindowGeometry tray = GeometryOf(*session, trays.front());
    const int iconX = tray.x + tray.height / 2, iconY = tray.y + tray.height / 2;
    session->Click(iconX, iconY, 3);
    // The menu opens at the pointer, "Show" above "Quit".
    std::this_thread::sleep_for(1s);
    session->Click(iconX + 20, iconY + 28);
    EXPECT_TRUE(session->WaitFor([&] { return !session->ProgramRunning(); }, 20s));
}

TEST_F(ProgramE2eTest, ARegionCaptureIsExactlyTheDraggedSelector) {
    session->HoldKey("Down");  // the area list has the focus: "Selected Region"
    ASSERT_TRUE(session->WaitFor([&] { return !session->FindWindows("Select area").empty(); }, 10s));
    const std::string selector = session->FindWindows("Select area").front();
    EXPECT_TRUE(session->WaitFor([&] { return !session->WindowVisible(session->MainWindow()); }, 5s));
    const WindowGeometry before = GeometryOf(*session, selector);

    const int x = before.x + before.width / 2, y = before.y + before.height / 2;
    e2e::Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"}, session->Environment());
    for (int step = 1; step <= 4; ++step)
        e2e::Run({"xdotool", "mousemove", std::to_string(x + 10 * step), std::to_string(y + 8 * step)},
                 session->Environment());
    e2e::Run({"xdotool", "mouseup", "1"}, session->Environment());
    ASSERT_TRUE(session->WaitFor([&] { return GeometryOf(*session, selector).x == before.x + 40; }, 5s));
    const WindowGeometry region = GeometryOf(*session, selector);
    EXPECT_EQ(region.y, before.y + 32);

    session->Focus(selector);
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));
    const testsupport::DecodedPng shot = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(Shot(1).string()));
    EXPECT_EQ(shot.width, static_cast<std::uint32_t>(region.width));
    EXPECT_EQ(shot.height, static_cast<std::uint32_t>(region.height));
    EXPECT_TRUE(session->WaitFor([&] { return session->WindowVisible(session->MainWindow()); }, 5s));
    EXPECT_FALSE(session->WindowVisible(selector));
}

TEST_F(ProgramE2eTest, AnActiveWindowCaptureIsThatWindowAtItsOuterSize) {
    session->HoldKey("End");  // the area list has the focus: "Active Window"
    std::this_thread::sleep_for(500ms);
    const WindowGeometry window = GeometryOf(*session, session->MainWindow());
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));
    const testsupport::DecodedPng shot = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(Shot(1).string()));
    EXPECT_EQ(shot.width, static_cast<std::uint32_t>(window.width));
    EXPECT_EQ(shot.height, static_cast<std::uint32_t>(window.height));
    EXPECT_TRUE(session->FindWindows("Form54").empty()) << "no backdrop is left";
}

// Another window over part of the active one: the capture brings the active
// window to the front first, so the image is the window alone.
TEST_F(ProgramE2eTest, AnActiveWindowCaptureBringsTheWindowInFrontOfOthers) {
    session->HoldKey("End");  // "Active Window"
    const WindowGeometry window = GeometryOf(*session, session->MainWindow());
    const testsupport::DecodedPng uncovered = session->ScreenShot();
    session->ShowPicture(showPictureExe, SamplePicture("cover.bmp", 200, 150),
                         {std::to_string(window.x + window.width / 2), std::to_string(window.y + window.height / 2)});
    const testsupport::DecodedPng covered = session->ScreenShot();
    session->Focus(session->MainWindow());  // the pointer at the window's top-left corner, away from the cover
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));
    const testsupport::DecodedPng shot = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(Shot(1).string()));
    ASSERT_EQ(shot.width, static_cast<std::uint32_t>(window.width));
    ASSERT_EQ(shot.height, static_cast<std::uint32_t>(window.height));
    // The window's lower half, where the cover lay, as it looked before the
    // cover came (the area list above changes its highlight with the focus).
    int coveredBefore = 0;
    for (int y = window.height / 2; y < window.height; ++y)
        for (int x = 0; x < window.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int px = window.x + x, py = window.y + y;
                ASSERT_EQ(shot.Sample(x, y, c), uncovered.Sample(px, py, c)) << x << "," << y;
                coveredBefore += covered.Sample(px, py, c) != uncovered.Sample(px, py, c);
            }
    EXPECT_GT(coveredBefore, 0) << "the cover lay over the window before the capture";
}

// Showing the window without activating it, as the capture does to bring it in
// front of the backdrop, would restore a maximised window to its normal place.
TEST_F(ProgramE2eTest, AnActiveWindowCaptureKeepsAMaximisedWindowMaximised) {
    session->HoldKey("End");  // "Active Window"
    session->LeaveWindowsUnmanaged();
    const std::string window =
        session->ShowPicture(showPictureExe, SamplePicture("small.bmp", 300, 200), {"--maximized"}, "Maximized picture");
    const Placement before = PlacementOf("Maximized picture");
    ASSERT_TRUE(before.maximised);
    session->Focus(window, ScreenWidth / 2, ScreenHeight / 2);
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));
    const testsupport::DecodedPng shot = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(Shot(1).string()));
    EXPECT_EQ(shot.width, static_cast<std::uint32_t>(before.right - before.left));
    EXPECT_EQ(shot.height, static_cast<std::uint32_t>(before.bottom - before.top));
    const Placement after = PlacementOf("Maximized picture");
    EXPECT_TRUE(after.maximised);
    EXPECT_EQ(std::tie(after.left, after.top, after.right, after.bottom),
              std::tie(before.left, before.top, before.right, before.bottom));

    // The frame reaches past the screen: the part on screen is copied, the
    // part beyond it is black.
    const testsupport::DecodedPng screen = session->ScreenShot();
    for (int y = ScreenHeight / 2 - 50; y < ScreenHeight / 2 + 50; ++y)
        for (int x = ScreenWidth / 2 - 50; x < ScreenWidth / 2 + 50; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(shot.Sample(x - before.left, y - before.top, c), screen.Sample(x, y, c)) << x << "," << y;
    if (before.left < 0 && before.top < 0) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(shot.Sample(0, 0, c), 0) << "beyond the screen";
    }
}

// An elliptic window leaves the corners of its rectangle uncovered: there the
// white backdrop behind it shows in the image.
TEST_F(ProgramE2eTest, AnActiveWindowCaptureIsWhiteWhereTheWindowLeavesItsRectangleUncovered) {
    constexpr int Width = 300, Height = 200, Corner = 4;
    session->HoldKey("End");  // "Active Window"
    // Over the made-up desktop's blue background and task bar: no white there.
    const std::string window = session->ShowPicture(showPictureExe, SamplePicture("oval.bmp", Width, Height),
                                                    {"40", "540", "--rounded"}, "Rounded picture");
    session->Focus(window, Width / 2, Height / 2);  // inside the ellipse
    const WindowGeometry rect = GeometryOf(*session, window);
    const testsupport::DecodedPng screen = session->ScreenShot();
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));
    const testsupport::DecodedPng shot = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(Shot(1).string()));
    ASSERT_EQ(shot.width, static_cast<std::uint32_t>(Width));
    ASSERT_EQ(shot.height, static_cast<std::uint32_t>(Height));

    int whiteInImage = 0, whiteOnScreen = 0;
    for (const int cornerX : {0, Width - Corner})
        for (const int cornerY : {0, Height - Corner})
            for (int y = cornerY; y < cornerY + Corner; ++y)
                for (int x = cornerX; x < cornerX + Corner; ++x)
                    for (int c = 0; c < 3; ++c) {
                        whiteInImage += shot.Sample(x, y, c) == 0xFF;
                        whiteOnScreen += screen.Sample(rect.x + x, rect.y + y, c) == 0xFF;
                    }
    EXPECT_EQ(whiteInImage, 4 * Corner * Corner * 3) << "white samples in the image's corners";
    EXPECT_EQ(whiteOnScreen, 0) << "the desktop behind the corners is not white itself";
    for (int y = Height / 4; y < Height * 3 / 4; ++y)
        for (int x = Width / 4; x < Width * 3 / 4; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(shot.Sample(x, y, c), screen.Sample(rect.x + x, rect.y + y, c)) << "middle " << x << "," << y;
}

TEST_F(ProgramE2eTest, AFolderThatCannotBeMadeShowsAnErrorBoxAndTheProgramGoesOn) {
    session->HoldKey("Tab");
    session->HoldKey("Tab");  // the folder field, its text selected
    e2e::Run({"xdotool", "type", "--delay", "60", "Q:\\Nowhere"}, session->Environment());
    session->HoldKey("Print");
    const std::string box = ErrorBox();
    ASSERT_FALSE(box.empty()) << "an error box";
    const std::string message = ErrorMessage();
    EXPECT_TRUE(message.starts_with("Cannot create file \"Q:\\Nowhere\\screen001.png\". ")) << message;
    EXPECT_FALSE(fs::exists(Shot(1)));
    ASSERT_TRUE(DismissErrorBox(box));

    session->Focus(session->MainWindow());  // the folder field has the focus again
    e2e::Run({"xdotool", "key", "--delay", "60", "End", "shift+Home"}, session->Environment());
    e2e::Run({"xdotool", "type", "--delay", "60", "Output"}, session->Environment());
    session->HoldKey("Print");
    EXPECT_TRUE(Saved(2)) << "the number of the failed shot stays used";
}

}  // namespace
