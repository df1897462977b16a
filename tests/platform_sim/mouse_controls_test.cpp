#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/simulated_desktop.h"
#include "platform_sim/recording_events.h"
#include "support/test_folder.h"

namespace {

using vcl::TMouseButton;
using vcl::TPoint;
using vcl::TRect;

class MouseTest : public ::testing::Test {
protected:
    MouseTest() {
        vcl::WindowStyle style;
        style.border = vcl::TBorderStyle::bsNone;
        window = desktop.CreateWindow(style, {100, 100, 300, 200}, events);
        window->SetVisible(true);
    }

    // Presses the window as the region selector does: release the capture,
    // then run the system command.
    void Drag(std::uint32_t command, std::vector<TPoint> path, TMouseButton button = TMouseButton::mbLeft) {
        events.onPress = [&, command](TMouseButton) {
            window->ReleaseCapture();
            window->SystemCommand(command);
        };
        desktop.PressMouse(window->Handle(), button, std::move(path));
    }

    testsupport::TestFolder folder;
    sim::SimulatedDesktop desktop{{}, folder.Path()};
    sim_test::RecordingEvents events;
    std::unique_ptr<vcl::NativeWindow> window;
};

TEST_F(MouseTest, MovesArePressPositionsAndPressesActivate) {
    const sim::HWND other = desktop.AddWindow({.bounds = {0, 0, 10, 10}});
    desktop.Activate(other);

    desktop.PressMouse(window->Handle(), TMouseButton::mbRight);
    ASSERT_EQ(events.presses.size(), 1u);
    EXPECT_EQ(events.presses[0].client, (TPoint{0, 0})) << "no move seen yet";
    EXPECT_EQ(events.presses[0].button, TMouseButton::mbRight);
    EXPECT_EQ(desktop.Foreground(), window->Handle());
    EXPECT_EQ(desktop.ZOrder().front(), window->Handle());

    desktop.MoveMouse(window->Handle(), {181, 50});
    desktop.PressMouse(window->Handle(), TMouseButton::mbLeft);
    EXPECT_EQ(events.moves, (std::vector<TPoint>{{181, 50}}));
    EXPECT_EQ(events.presses[1].client, (TPoint{181, 50}));

    window->SetCursor(vcl::crSizeWE);
    EXPECT_EQ(desktop.Cursor(window->Handle()), vcl::crSizeWE);
    desktop.CloseWindow(window->Handle());
    EXPECT_EQ(events.closeRequests, 1);
    EXPECT_TRUE(window->Visible()) << "closing is the owner's decision";
}

struct LoopCase {
    const char* name;
    std::uint32_t command;
    TRect result;  // after the path (+10, +5), (+30, -20) from (100, 100, 300, 200)
    friend void PrintTo(const LoopCase& c, std::ostream* out) { *out << c.name; }
};

class SystemLoopTest : public MouseTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(SystemLoopTest, FollowsTheDragPathFromWhereTheLoopBegan) {
    Drag(GetParam().command, {{10, 5}, {30, -20}});
    EXPECT_EQ(window->Bounds(), GetParam().result);
    EXPECT_EQ(events.proposals.size(), 2u) << "one proposal per point";
}

INSTANTIATE_TEST_SUITE_P(Commands, SystemLoopTest,
                         ::testing::Values(LoopCase{"Move", 0xF012, {130, 80, 330, 180}},
                                           LoopCase{"Left", 0xF001, {130, 100, 300, 200}},
                                           LoopCase{"Right", 0xF002, {100, 100, 330, 200}},
                                           LoopCase{"Top", 0xF003, {100, 80, 300, 200}},
                                           LoopCase{"Bottom", 0xF006, {100, 100, 300, 180}},
                                           LoopCase{"BottomRight", 0xF008, {100, 100, 330, 180}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MouseTest, TheOwnerAdjustsEachProposal) {
    // Snap the left edge onto 0 when it comes within 10 pixels of it.
    events.adjust = [](TRect& proposed) {
        if (proposed.Left < 10) {
            proposed.Right -= proposed.Left;
            proposed.Left = 0;
        }
    };
    Drag(0xF012, {{-50, 0}, {-95, 7}});
    EXPECT_EQ(events.proposals, (std::vector<TRect>{{50, 100, 250, 200}, {5, 107, 205, 207}}))
        << "proposals come from the start, not from the adjusted place";
    EXPECT_EQ(window->Bounds(), (TRect{0, 107, 200, 207}));
}

TEST_F(MouseTest, SizingStopsAtTheMinimumSize) {
    Drag(0xF008, {{-500, -500}});
    EXPECT_EQ(window->Bounds(), (TRect{100, 100, 120, 120}));
    Drag(0xF001, {{500, 0}});
    EXPECT_EQ(window->Bounds(), (TRect{100, 100, 120, 120}));
}

TEST_F(MouseTest, TheModalLoopRunsOnceInsideAtTheEndOfThePath) {
    std::vector<TRect> seen;
    desktop.DuringModalLoop = [&] { seen.push_back(window->Bounds()); };
    Drag(0xF012, {{1, 1}, {2, 2}});
    EXPECT_EQ(seen, (std::vector<TRect>{{102, 102, 302, 202}}));
    EXPECT_EQ(desktop.ReleaseCaptureCount(), 1);
}

TEST_F(MouseTest, TheLoopNeedsTheLeftButtonsCaptureReleased) {
    events.onPress = [&](TMouseButton) { window->SystemCommand(0xF012); };
    desktop.PressMouse(window->Handle(), TMouseButton::mbLeft, {{40, 40}});
    EXPECT_EQ(window->Bounds(), (TRect{100, 100, 300, 200})) << "the window keeps the capture";
    desktop.PressMouse(window->Handle(), TMouseButton::mbMiddle, {{40, 40}});
    EXPECT_EQ(window->Bounds(), (TRect{140, 140, 340, 240})) << "other buttons take no capture";
    window->SystemCommand(0xF012);
    EXPECT_EQ(window->Bounds(), (TRect{140, 140, 340, 240})) << "no button is down";
}

class RecordingControlEvents : public vcl::ControlEvents {
public:
    void Changed() override { log.push_back("changed"); }
    void Clicked() override { log.push_back("clicked"); }
    std::vector<std::string> log;
};

TEST_F(MouseTest, ControlsReportOnlyTheUsersChanges) {
    RecordingControlEvents comboEvents, buttonEvents;
    auto combo = window->CreateControl({.kind = vcl::ControlKind::ComboBox,
                                        .name = "AreaCombo",
                                        .items = {"Whole Screen", "Selected Region", "Active Window"}},
                                       comboEvents);
    auto button = window->CreateControl({.kind = vcl::ControlKind::Button, .name = "Button1", .text = "Exit"},
                                        buttonEvents);
    const sim::HWND handle = window->Handle();
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(&desktop.Control(handle, "Button1"), button.get());
    EXPECT_EQ(desktop.Control(handle, "Button1").Text(), "Exit");

    combo->SetItemIndex(0);
    EXPECT_EQ(combo->Text(), "Whole Screen");
    button->SetText("Quit");
    EXPECT_TRUE(comboEvents.log.empty() && buttonEvents.log.empty()) << "the program's own changes are silent";

    desktop.SelectItem(handle, "AreaCombo", 2);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "Active Window");
    desktop.TypeText(handle, "AreaCombo", "typed");
    EXPECT_EQ(comboEvents.log, (std::vector<std::string>{"changed", "changed"}));
    EXPECT_THROW(desktop.SelectItem(handle, "AreaCombo", 3), std::out_of_range);

    desktop.Click(handle, "Button1");
    EXPECT_EQ(buttonEvents.log, (std::vector<std::string>{"clicked"}));

    EXPECT_THROW(desktop.Control(handle, "Missing"), std::out_of_range);
    button.reset();
    EXPECT_THROW(desktop.Control(handle, "Button1"), std::out_of_range);
}

}  // namespace
