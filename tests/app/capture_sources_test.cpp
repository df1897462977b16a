#include <gtest/gtest.h>

#include "platform/vcl/memory_dib.h"
#include "program_fixture.h"

namespace {

using apptest::DecodedRgb;
using apptest::ProgramTest;

constexpr int AreaRegion = 1;
constexpr int AreaWindow = 2;

// A window of another program filled with a pattern that differs at every pixel.
sim::ForeignWindow Patterned(vcl::TRect bounds, bool layered = false) {
    sim::ForeignWindow window{bounds};
    for (int y = bounds.Top; y < bounds.Bottom; ++y)
        for (int x = bounds.Left; x < bounds.Right; ++x)
            window.pixels.push_back(static_cast<sim::Rgb>((x * 7 & 0xFF) << 16 | (y * 5 & 0xFF) << 8 | ((x ^ y) & 0xFF)));
    window.layered = layered;
    return window;
}

class CaptureSourcesTest : public ProgramTest {
protected:
    CaptureSourcesTest() : ProgramTest({640, 480, 32}) {}

    void ExpectCopiedScreen(const testsupport::DecodedPng& image, const vcl::TRect& rect) {
        ASSERT_EQ(image.width, static_cast<std::uint32_t>(rect.Width()));
        ASSERT_EQ(image.height, static_cast<std::uint32_t>(rect.Height()));
        for (int y = 0; y < rect.Height(); ++y)
            for (int x = 0; x < rect.Width(); ++x)
                ASSERT_EQ(DecodedRgb(image, x, y), desktop.CopiedPixel(rect.Left + x, rect.Top + y)) << x << "," << y;
    }
};

TEST_F(CaptureSourcesTest, TheWholeScreenIsThePrimaryMonitorWithoutLayeredWindows) {
    desktop.AddMonitor({{640, 0, 1280, 480}, {640, 0, 1280, 480}});
    desktop.AddWindow(Patterned({100, 50, 400, 300}));
    desktop.AddWindow(sim::ForeignWindow{{300, 200, 500, 420}, 0x00FF00, {}, false, true});
    desktop.AddWindow(Patterned({600, 100, 700, 200}));
    PressPrintScreen();
    const testsupport::DecodedPng image = Decode(OutputFile("screen001.png"));
    EXPECT_EQ(image.colorType, 2);
    EXPECT_EQ(image.bitDepth, 8);
    ExpectCopiedScreen(image, {0, 0, 640, 480});
    EXPECT_NE(desktop.SeenPixel(350, 250), desktop.CopiedPixel(350, 250)) << "the layered window is really there";
}

TEST_F(CaptureSourcesTest, TheActiveWindowIsBroughtInFrontOfItsBackdropAndCopiedAlone) {
    const vcl::HWND target = desktop.AddWindow(Patterned({100, 80, 300, 220}));
    desktop.AddWindow(Patterned({250, 150, 450, 400}));  // covers part of the target
    desktop.Activate(target);
    desktop.AddWindow(Patterned({0, 0, 120, 100}));  // in front again, not active
    desktop.SelectItem(form->Handle(), "AreaCombo", AreaWindow);
    const std::size_t windows = desktop.ZOrder().size();
    PressPrintScreen();
    const testsupport::DecodedPng image = Decode(OutputFile("screen001.png"));
    ASSERT_EQ(image.width, 200u);
    ASSERT_EQ(image.height, 140u);
    const sim::ForeignWindow expected = Patterned({100, 80, 300, 220});
    for (std::uint32_t y = 0; y < 140; ++y)
        for (std::uint32_t x = 0; x < 200; ++x) ASSERT_EQ(DecodedRgb(image, x, y), expected.pixels[y * 200 + x]);
    EXPECT_EQ(desktop.ZOrder().size(), windows) << "no backdrop is left behind";
    EXPECT_EQ(desktop.ZOrder().front(), target);
}

TEST_F(CaptureSourcesTest, WhereTheActiveWindowLetsThroughTheBackdropShowsWhite) {
    const vcl::HWND target = desktop.AddWindow(Patterned({100, 80, 300, 220}, true));
    desktop.Activate(target);
    desktop.SelectItem(form->Handle(), "AreaCombo", AreaWindow);
    PressPrintScreen();
    const testsupport::DecodedPng image = Decode(OutputFile("screen001.png"));
    for (std::uint32_t y = 0; y < image.height; ++y)
        for (std::uint32_t x = 0; x < image.width; ++x) ASSERT_EQ(DecodedRgb(image, x, y), 0xFFFFFFu);
}

TEST_F(CaptureSourcesTest, WithoutAnActiveWindowNothingIsWritten) {
    desktop.SelectItem(form->Handle(), "AreaCombo", AreaWindow);
    desktop.CloseWindow(form->Handle());
    ASSERT_EQ(desktop.Foreground(), 0u);
    PressPrintScreen();
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"There is no active window to capture."});
    EXPECT_FALSE(Exists(OutputFile("screen001.png")));
    EXPECT_EQ(form->ShotNumber(), 1);
}

TEST_F(CaptureSourcesTest, ARegionCaptureCopiesWhatLiesBeneathTheSelectorAndBringsTheMainWindowBack) {
    desktop.AddWindow(Patterned({0, 0, 640, 440}));
    desktop.SelectItem(form->Handle(), "AreaCombo", AreaRegion);
    ASSERT_NE(form->CurrentSelector, nullptr);
    const vcl::HWND selector = form->CurrentSelector->Handle();
    EXPECT_FALSE(desktop.IsVisible(form->Handle()));
    EXPECT_EQ(desktop.Foreground(), selector);
    vcl::TRect region;
    ASSERT_TRUE(desktop.GetWindowRect(selector, region));
    EXPECT_EQ(region.Width(), 455);
    EXPECT_EQ(region.Height(), 232);

    PressPrintScreen();
    ExpectCopiedScreen(Decode(OutputFile("screen001.png")), region);
    EXPECT_FALSE(desktop.IsVisible(selector));
    EXPECT_TRUE(desktop.IsVisible(form->Handle()));
    EXPECT_EQ(desktop.Foreground(), form->Handle());
    EXPECT_EQ(desktop.Border(selector), vcl::TBorderStyle::bsSizeToolWin);

    // Without picking a new region, the foreground window gives the rectangle.
    PressPrintScreen();
    vcl::TRect mainWindow;
    ASSERT_TRUE(desktop.GetWindowRect(form->Handle(), mainWindow));
    ExpectCopiedScreen(Decode(OutputFile("screen002.png")), mainWindow);
    EXPECT_TRUE(desktop.IsVisible(form->Handle()));
}

class ScreenDepthTest : public ProgramTest, public ::testing::WithParamInterface<int> {
protected:
    ScreenDepthTest() : ProgramTest({96, 64, GetParam()}) {}
};

// The colour the screen's own format stores for an RGB colour.
sim::Rgb StoredColour(sim::SimulatedDesktop& desktop, sim::Rgb colour) {
    const auto bitmap = desktop.CreateCompatibleBitmap(1, 1);
    const auto& dib = dynamic_cast<const vcl::MemoryDib&>(*bitmap);
    const int r = colour >> 16 & 0xFF, g = colour >> 8 & 0xFF, b = colour & 0xFF;
    if (dib.Format().bitCount == 16) {
        const int r5 = r >> 3, g6 = g >> 2, b5 = b >> 3;
        return static_cast<sim::Rgb>((r5 << 3 | r5 >> 2) << 16 | (g6 << 2 | g6 >> 4) << 8 | (b5 << 3 | b5 >> 2));
    }
    if (dib.Format().bitCount > 16) return colour;
    long best = -1;
    sim::Rgb nearest = 0;
    for (const vcl::RGBQuad& entry : dib.Format().colors) {
        const long dr = r - entry.rgbRed, dg = g - entry.rgbGreen, db = b - entry.rgbBlue;
        const long distance = dr * dr + dg * dg + db * db;
        if (best < 0 || distance < best) {
            best = distance;
            nearest = static_cast<sim::Rgb>(entry.rgbRed << 16 | entry.rgbGreen << 8 | entry.rgbBlue);
        }
    }
    return nearest;
}

TEST_P(ScreenDepthTest, CapturesKeepTheScreensFormat) {
    const int depth = GetParam();
    desktop.AddWindow(Patterned({5, 5, 90, 60}));
    PressPrintScreen();
    const testsupport::DecodedPng image = Decode(OutputFile("screen001.png"));
    ASSERT_EQ(image.width, 96u);
    ASSERT_EQ(image.height, 64u);
    EXPECT_EQ(image.colorType, depth <= 8 ? 3 : 2);
    EXPECT_EQ(image.bitDepth, depth <= 8 ? depth : 8);
    if (depth <= 8) {
        EXPECT_EQ(image.palette.size(), std::size_t{1} << depth);
    }
    for (std::uint32_t y = 0; y < 64; ++y)
        for (std::uint32_t x = 0; x < 96; ++x) {
            const sim::Rgb expected = StoredColour(desktop, desktop.CopiedPixel(x, y));
            const sim::Rgb actual = depth <= 8 ? static_cast<sim::Rgb>(image.palette[image.Sample(x, y, 0)][0] << 16 |
                                                                       image.palette[image.Sample(x, y, 0)][1] << 8 |
                                                                       image.palette[image.Sample(x, y, 0)][2])
                                               : DecodedRgb(image, x, y);
            ASSERT_EQ(actual, expected) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Depths, ScreenDepthTest, ::testing::Values(32, 24, 16, 8, 4, 1));

}  // namespace
