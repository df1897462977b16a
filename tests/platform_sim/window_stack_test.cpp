#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/sim/simulated_desktop.h"
#include "platform_sim/recording_events.h"
#include "support/test_folder.h"

namespace {

using sim::HWND;
using vcl::TBorderStyle;
using vcl::TRect;

class WindowStackTest : public ::testing::Test {
protected:
    std::unique_ptr<vcl::NativeWindow> ProgramWindow(TRect bounds, bool stayOnTop = false,
                                                     TBorderStyle border = TBorderStyle::bsNone) {
        vcl::WindowStyle style;
        style.border = border;
        style.stayOnTop = stayOnTop;
        return desktop.CreateWindow(style, bounds, events);
    }

    HWND Foreign(bool topmost = false, bool visible = true) {
        return desktop.AddWindow({.bounds = {0, 0, 50, 50}, .topmost = topmost, .visible = visible});
    }

    testsupport::TestFolder folder;
    sim::SimulatedDesktop desktop{{}, folder.Path()};
    sim_test::RecordingEvents events;
};

TEST_F(WindowStackTest, ShowingRaisesAndActivatesAndHidingHandsTheForegroundOn) {
    const HWND a = Foreign();
    const HWND b = Foreign();
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{b, a})) << "added at the top, front first";
    EXPECT_EQ(desktop.Foreground(), 0u) << "adding a window does not activate it";

    auto main = ProgramWindow({10, 10, 90, 90});
    EXPECT_FALSE(main->Visible()) << "created hidden";
    main->SetVisible(true);
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{main->Handle(), b, a}));
    EXPECT_EQ(desktop.Foreground(), main->Handle());

    desktop.Activate(a);
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{a, main->Handle(), b}));
    EXPECT_EQ(desktop.Foreground(), a);

    desktop.ShowWindow(a, vcl::SW_HIDE);
    EXPECT_EQ(desktop.Foreground(), main->Handle()) << "the frontmost visible window takes over";
    main->SetVisible(false);
    EXPECT_EQ(desktop.Foreground(), b);
    desktop.CloseForeignWindow(b);
    EXPECT_EQ(desktop.Foreground(), 0u) << "no visible window is left";
    EXPECT_TRUE(desktop.ZOrder().empty());
}

TEST_F(WindowStackTest, TopmostWindowsStayAboveActivatedNormalWindows) {
    const HWND normal = Foreign();
    auto selector = ProgramWindow({0, 0, 20, 20}, /*stayOnTop=*/true);
    selector->SetVisible(true);
    const HWND laterTopmost = Foreign(/*topmost=*/true);
    const HWND laterNormal = Foreign();

    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{laterTopmost, selector->Handle(), laterNormal, normal}));
    desktop.BringWindowToTop(normal);
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{laterTopmost, selector->Handle(), normal, laterNormal}));
    EXPECT_EQ(desktop.Foreground(), normal) << "activated though below the topmost band";
    selector->BringToFront();
    EXPECT_EQ(desktop.ZOrder().front(), selector->Handle());
    EXPECT_EQ(desktop.Foreground(), selector->Handle());

    vcl::WindowStyle normalStyle;
    normalStyle.border = TBorderStyle::bsNone;
    selector->SetStyle(normalStyle);
    EXPECT_FALSE(desktop.IsTopmost(selector->Handle()));
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{laterTopmost, selector->Handle(), normal, laterNormal}))
        << "leaving the topmost band puts it at the top of the normal band";
}

TEST_F(WindowStackTest, ShowWithoutActivationLeavesAVisibleWindowAlone) {
    const HWND target = Foreign();
    const HWND other = Foreign();
    desktop.Activate(other);
    desktop.ShowWindow(target, vcl::SW_SHOWNOACTIVATE);
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{other, target}));
    EXPECT_EQ(desktop.Foreground(), other);

    const HWND hidden = Foreign(false, /*visible=*/false);
    desktop.ShowWindow(hidden, vcl::SW_SHOWNOACTIVATE);
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{hidden, other, target})) << "shown at the top of its band";
    EXPECT_EQ(desktop.Foreground(), other) << "but not activated";

    desktop.ShowWindow(target, vcl::SW_SHOW);
    EXPECT_EQ(desktop.ZOrder().front(), target);
    EXPECT_EQ(desktop.Foreground(), target);
}

// The sequence of an active-window capture: a backdrop is shown over the
// foreground window, which is then shown without activation and raised.
TEST_F(WindowStackTest, BackdropSequenceLeavesTheTargetInFrontOfTheBackdrop) {
    const HWND target = Foreign();
    desktop.Activate(target);
    auto backdrop = ProgramWindow({-7, -8, 58, 57});
    backdrop->SetVisible(true);
    EXPECT_EQ(desktop.Foreground(), backdrop->Handle());

    desktop.ShowWindow(target, vcl::SW_SHOWNOACTIVATE);
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{backdrop->Handle(), target}));
    desktop.BringWindowToTop(target);
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{target, backdrop->Handle()}));
    EXPECT_EQ(desktop.Foreground(), target);

    backdrop.reset();
    EXPECT_EQ(desktop.ZOrder(), (std::vector<HWND>{target}));
    EXPECT_EQ(desktop.Foreground(), target);
}

TEST_F(WindowStackTest, DestroyingTheForegroundWindowHandsTheForegroundOn) {
    const HWND below = Foreign();
    auto window = ProgramWindow({0, 0, 10, 10});
    window->SetVisible(true);
    const HWND handle = window->Handle();
    window.reset();
    EXPECT_FALSE(desktop.IsWindow(handle));
    EXPECT_EQ(desktop.Foreground(), below);
}

TEST_F(WindowStackTest, TheDesktopWindowAndUnknownHandles) {
    const HWND desktopWindow = desktop.GetDesktopWindow();
    EXPECT_NE(desktopWindow, 0u);
    EXPECT_FALSE(desktop.IsWindow(desktopWindow)) << "not part of the window stack";
    TRect rect;
    ASSERT_TRUE(desktop.GetWindowRect(desktopWindow, rect));
    EXPECT_EQ(rect, (TRect{0, 0, 1280, 1024}));

    const HWND window = desktop.AddWindow({.bounds = {5, 6, 70, 80}});
    ASSERT_TRUE(desktop.GetWindowRect(window, rect));
    EXPECT_EQ(rect, (TRect{5, 6, 70, 80}));
    EXPECT_FALSE(desktop.GetWindowRect(window + 1, rect));
    EXPECT_FALSE(desktop.GetWindowRect(0, rect));
    // With no foreground window the program may be handed 0.
    desktop.ShowWindow(0, vcl::SW_SHOWNOACTIVATE);
    desktop.BringWindowToTop(0);
    EXPECT_EQ(desktop.Foreground(), 0u);
    EXPECT_THROW(desktop.Activate(Foreign(false, /*visible=*/false)), std::invalid_argument)
        << "a hidden window cannot be clicked";
}

struct FrameCase {
    TBorderStyle border;
    TRect client;
    friend void PrintTo(const FrameCase& c, std::ostream* out) { *out << "border " << static_cast<int>(c.border); }
};

class FrameTest : public WindowStackTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, ClientAreaLeavesTheFrameAndCaption) {
    auto window = ProgramWindow({100, 200, 400, 500}, false, GetParam().border);
    EXPECT_EQ(window->Bounds(), (TRect{100, 200, 400, 500}));
    EXPECT_EQ(window->ClientRect(), GetParam().client);
}

INSTANTIATE_TEST_SUITE_P(BorderStyles, FrameTest,
                         ::testing::Values(FrameCase{TBorderStyle::bsNone, {100, 200, 400, 500}},
                                           FrameCase{TBorderStyle::bsSingle, {103, 226, 397, 497}},
                                           FrameCase{TBorderStyle::bsDialog, {103, 226, 397, 497}},
                                           FrameCase{TBorderStyle::bsSizeable, {108, 231, 392, 492}},
                                           FrameCase{TBorderStyle::bsToolWindow, {103, 220, 397, 497}},
                                           FrameCase{TBorderStyle::bsSizeToolWin, {104, 221, 396, 496}}));

TEST_F(WindowStackTest, ABorderChangeRecreatesTheWindowInPlace) {
    Foreign();
    auto selector = ProgramWindow({10, 20, 110, 220}, /*stayOnTop=*/true, TBorderStyle::bsNone);
    selector->SetVisible(true);
    Foreign(/*topmost=*/true);
    const std::vector<HWND> order = desktop.ZOrder();

    vcl::WindowStyle style;
    style.stayOnTop = true;
    style.border = TBorderStyle::bsSizeToolWin;
    selector->SetStyle(style);
    EXPECT_EQ(desktop.RecreationCount(selector->Handle()), 1);
    EXPECT_EQ(desktop.Border(selector->Handle()), TBorderStyle::bsSizeToolWin);
    EXPECT_EQ(selector->Bounds(), (TRect{10, 20, 110, 220}));
    EXPECT_EQ(selector->ClientRect(), (TRect{14, 41, 106, 216}));
    EXPECT_EQ(desktop.ZOrder(), order);
    EXPECT_EQ(desktop.Foreground(), selector->Handle());
    EXPECT_TRUE(selector->Visible());

    style.caption = "Select area";
    selector->SetStyle(style);
    EXPECT_EQ(desktop.RecreationCount(selector->Handle()), 1) << "the same border is no change";
    EXPECT_EQ(desktop.Caption(selector->Handle()), "Select area");
}

TEST_F(WindowStackTest, PlacingAWindowLetsItsOwnerAdjustThePlace) {
    auto window = ProgramWindow({0, 0, 100, 100});
    events.adjust = [](TRect& proposed) { proposed.Left = proposed.Top = 0; };
    window->SetBounds({5, 6, 105, 106});
    ASSERT_EQ(events.proposals.size(), 1u);
    EXPECT_EQ(events.proposals[0], (TRect{5, 6, 105, 106}));
    EXPECT_EQ(window->Bounds(), (TRect{0, 0, 105, 106}));
}

}  // namespace
