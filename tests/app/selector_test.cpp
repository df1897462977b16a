#include <gtest/gtest.h>

#include "program_fixture.h"

namespace {

using vcl::TPoint;
using vcl::TRect;

class SelectorTest : public apptest::ProgramTest {
protected:
    SelectorTest() : ProgramTest({1024, 768, 32}) {
        desktop.SelectItem(form->Handle(), "AreaCombo", 1);
        selector = form->CurrentSelector;
    }

    vcl::HWND Handle() const { return selector->Handle(); }
    TRect Bounds() const {
        TRect bounds;
        desktop.GetWindowRect(Handle(), bounds);
        return bounds;
    }
    // Moves the mouse to a client point, presses and drags by `offset`.
    TRect DragFrom(TPoint client, TPoint offset, vcl::TMouseButton button = vcl::TMouseButton::mbLeft) {
        desktop.MoveMouse(Handle(), client);
        desktop.PressMouse(Handle(), button, {offset});
        return Bounds();
    }

    selector::TForm53* selector = nullptr;
};

TEST_F(SelectorTest, StartsCentredTranslucentOnTopAndActive) {
    ASSERT_NE(selector, nullptr);
    const TRect bounds = Bounds();
    EXPECT_EQ(bounds, (TRect{(1024 - 455) / 2, (768 - 232) / 2, (1024 - 455) / 2 + 455, (768 - 232) / 2 + 232}));
    EXPECT_TRUE(desktop.IsTopmost(Handle()));
    EXPECT_TRUE(desktop.IsLayered(Handle()));
    EXPECT_EQ(desktop.Alpha(Handle()), 128);
    EXPECT_EQ(desktop.Caption(Handle()), "Select area");
    EXPECT_EQ(desktop.Border(Handle()), vcl::TBorderStyle::bsNone);
    EXPECT_EQ(desktop.Foreground(), Handle());
    EXPECT_FALSE(desktop.IsVisible(form->Handle()));
}

struct ZoneCase {
    const char* name;
    TPoint point;  // relative to the width W and height H: negative values count from W or H
    std::uint32_t command;
    vcl::TCursor cursor;
};

TEST_F(SelectorTest, TheBandsDecideBetweenMovingAndSizing) {
    const int w = 455, h = 232;
    const ZoneCase cases[] = {
        {"interior", {w / 2, h / 2}, 0xF012, vcl::crSizeAll},
        {"just left of the right band", {w - 20, h / 2}, 0xF012, vcl::crSizeAll},
        {"right band", {w - 19, h / 2}, 0xF002, vcl::crSizeWE},
        {"left band", {19, h / 2}, 0xF001, vcl::crSizeWE},
        {"just right of the left band", {20, h / 2}, 0xF012, vcl::crSizeAll},
        {"top-right corner", {w - 1, 0}, 0xF002, vcl::crSizeWE},
        {"bottom-left corner", {0, h - 1}, 0xF001, vcl::crSizeWE},
        {"bottom-right corner", {w - 1, h - 1}, 0xF008, vcl::crSizeNWSE},
        {"top band", {w / 2, 19}, 0xF003, vcl::crSizeNS},
        {"bottom band", {w / 2, h - 19}, 0xF006, vcl::crSizeNS},
    };
    EXPECT_EQ(selector->PressCommand(), 0xF012u) << "before any move";
    for (const ZoneCase& c : cases) {
        desktop.MoveMouse(Handle(), c.point);
        EXPECT_EQ(selector->PressCommand(), c.command) << c.name;
        EXPECT_EQ(desktop.Cursor(Handle()), c.cursor) << c.name;
        const int flags = selector->FAtLeftEdge + selector->FAtRightEdge + selector->FAtTopEdge +
                          selector->FAtBottomEdge + selector->FAtBottomRightCorner;
        EXPECT_LE(flags, 1) << c.name;
    }
}

TEST_F(SelectorTest, PressesMoveOrSizeTheWindowWithAnyButton) {
    const TRect start = Bounds();
    EXPECT_EQ(DragFrom({200, 100}, {30, 40}), (TRect{start.Left + 30, start.Top + 40, start.Right + 30, start.Bottom + 40}));
    const TRect moved = Bounds();
    EXPECT_EQ(DragFrom({454, 100}, {25, 0}, vcl::TMouseButton::mbRight),
              (TRect{moved.Left, moved.Top, moved.Right + 25, moved.Bottom}));
    const TRect wider = Bounds();
    EXPECT_EQ(DragFrom({479, 231}, {-10, 12}, vcl::TMouseButton::mbMiddle),
              (TRect{wider.Left, wider.Top, wider.Right - 10, wider.Bottom + 12}));
}

TEST_F(SelectorTest, OnANarrowWindowBothBandsCountAsTheRightOne) {
    DragFrom({454, 100}, {-420, 0});  // 35 pixels wide now
    ASSERT_EQ(Bounds().Width(), 35);
    desktop.MoveMouse(Handle(), {17, 100});
    EXPECT_EQ(selector->PressCommand(), 0xF002u);
}

TEST_F(SelectorTest, MovesSnapToTheWorkAreaWithinNinePixels) {
    struct Case {
        int left, top;
        TRect expected;
    };
    const int w = 455, h = 232, bottom = 768 - 40;
    const Case cases[] = {
        {9, 300, {0, 300, w, 300 + h}},
        {10, 300, {10, 300, 10 + w, 300 + h}},
        {300, -9, {300, 0, 300 + w, h}},
        {1024 - w - 9, 300, {1024 - w, 300, 1024, 300 + h}},
        {300, bottom - h + 9, {300, bottom - h, 300 + w, bottom}},
        {300, bottom - h + 10, {300, bottom - h + 10, 300 + w, bottom + 10}},
    };
    for (const Case& c : cases) {
        const TRect now = Bounds();
        EXPECT_EQ(DragFrom({200, 100}, {c.left - now.Left, c.top - now.Top}), c.expected) << c.left << "," << c.top;
    }
}

TEST_F(SelectorTest, SizingDoesNotSnap) {
    const TRect start = Bounds();
    const int toEdge = 1024 - start.Right - 5;
    EXPECT_EQ(DragFrom({454, 100}, {toEdge, 0}).Right, 1024 - 5);
}

TEST_F(SelectorTest, ACloseRequestHidesItAndBringsTheMainWindowBack) {
    desktop.CloseWindow(Handle());
    EXPECT_FALSE(desktop.IsVisible(Handle()));
    EXPECT_TRUE(desktop.IsVisible(form->Handle()));
    EXPECT_EQ(desktop.Foreground(), form->Handle());
    EXPECT_TRUE(desktop.IsWindow(Handle())) << "the selector lives on";
}

TEST_F(SelectorTest, PickingTheRegionAgainMakesASecondSelector) {
    form->Show1Click();
    desktop.SelectItem(form->Handle(), "AreaCombo", 0);
    EXPECT_TRUE(desktop.IsVisible(Handle())) << "another pick leaves the selector on screen";
    desktop.SelectItem(form->Handle(), "AreaCombo", 1);
    ASSERT_NE(form->CurrentSelector, selector);
    EXPECT_TRUE(desktop.IsVisible(Handle()));
    EXPECT_TRUE(desktop.IsVisible(form->CurrentSelector->Handle()));
    EXPECT_EQ(desktop.Foreground(), form->CurrentSelector->Handle());
}

}  // namespace
