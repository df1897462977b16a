#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/sim/simulated_desktop.h"
#include "platform/vcl/memory_dib.h"
#include "platform/vcl/sysutils.h"
#include "platform_sim/recording_events.h"
#include "support/test_folder.h"

namespace {

using sim::Rgb;
using vcl::TRect;

constexpr Rgb kDesktop = 0x112131;

class ScreenTest : public ::testing::Test {
protected:
    ScreenTest() { desktop.SetDesktopColor(kDesktop); }

    // A translucent grey window of the program, as the region selector is.
    std::unique_ptr<vcl::NativeWindow> Selector(TRect bounds) {
        vcl::WindowStyle style;
        style.border = vcl::TBorderStyle::bsNone;
        style.stayOnTop = true;
        style.layered = true;
        style.alpha = 128;
        style.color = 0x00BCBCBC;
        auto window = desktop.CreateWindow(style, bounds, events);
        window->SetVisible(true);
        return window;
    }

    testsupport::TestFolder folder;
    sim::SimulatedDesktop desktop{{}, folder.Path()};
    sim_test::RecordingEvents events;
};

TEST_F(ScreenTest, LayeredWindowsAreSeenBlendedButNotCopied) {
    desktop.AddWindow({.bounds = {0, 0, 100, 100}, .fill = 0xFF0000});
    auto selector = Selector({50, 50, 150, 150});

    // Per channel (188 * 128 + under * 127 + 127) / 255: red 255 gives 221,
    // and the desktop's 17, 33, 49 give 103, 111, 119 (rounded, not cut).
    EXPECT_EQ(desktop.SeenPixel(60, 60), 0xDD5E5Eu);
    EXPECT_EQ(desktop.CopiedPixel(60, 60), 0xFF0000u);
    EXPECT_EQ(desktop.SeenPixel(120, 120), 0x676F77u) << "over the desktop colour";
    EXPECT_EQ(desktop.CopiedPixel(120, 120), kDesktop);
    EXPECT_EQ(desktop.SeenPixel(10, 10), 0xFF0000u);
    EXPECT_EQ(desktop.SeenPixel(200, 200), kDesktop);
}

TEST_F(ScreenTest, ProgramWindowsShowTheirColourSystemColoursIncluded) {
    vcl::WindowStyle style;
    style.color = static_cast<vcl::TColor>(0xFF00000F);  // clBtnFace
    auto face = desktop.CreateWindow(style, {0, 0, 10, 10}, events);
    style.color = 0x00332211;
    auto explicitColour = desktop.CreateWindow(style, {20, 0, 30, 10}, events);
    EXPECT_EQ(desktop.SeenPixel(5, 5), kDesktop) << "hidden windows show nothing";
    face->SetVisible(true);
    explicitColour->SetVisible(true);
    EXPECT_EQ(desktop.SeenPixel(5, 5), 0xF0F0F0u);
    EXPECT_EQ(desktop.SeenPixel(25, 5), 0x112233u) << "TColor is blue-green-red";
}

TEST_F(ScreenTest, ForeignPixelsAreRowMajorOverTheWindow) {
    desktop.AddWindow({.bounds = {10, 20, 12, 22}, .pixels = {1, 2, 3, 4}});
    EXPECT_EQ(desktop.CopiedPixel(10, 20), 1u);
    EXPECT_EQ(desktop.CopiedPixel(11, 20), 2u);
    EXPECT_EQ(desktop.CopiedPixel(10, 21), 3u);
    EXPECT_EQ(desktop.CopiedPixel(11, 21), 4u);
    EXPECT_THROW(desktop.AddWindow({.bounds = {0, 0, 2, 2}, .pixels = {1}}), std::invalid_argument);
}

TEST_F(ScreenTest, OnlyMonitorsShowPixels) {
    desktop.AddMonitor({{1280, 0, 2560, 768}, {1280, 0, 2560, 728}});
    desktop.AddWindow({.bounds = {1200, 700, 1400, 900}, .fill = 0x00FF00});
    EXPECT_EQ(desktop.CopiedPixel(1250, 800), 0x00FF00u) << "on the primary";
    EXPECT_EQ(desktop.CopiedPixel(1300, 750), 0x00FF00u) << "on the second monitor";
    EXPECT_EQ(desktop.CopiedPixel(1300, 800), 0u) << "below the shorter second monitor";
    EXPECT_EQ(desktop.SeenPixel(1300, 800), 0u);
    EXPECT_EQ(desktop.CopiedPixel(2000, 100), kDesktop);
    EXPECT_EQ(desktop.CopiedPixel(-1, 0), 0u);
    EXPECT_EQ(desktop.CopiedPixel(0, 1024), 0u);
    EXPECT_EQ(desktop.GetSystemMetrics(vcl::SM_CXSCREEN), 1280) << "the primary monitor alone";
    EXPECT_EQ(desktop.GetSystemMetrics(vcl::SM_CYSCREEN), 1024);
}

TEST_F(ScreenTest, WorkAreaOfTheMonitorHoldingMostOfTheRectangle) {
    const TRect primaryWork{0, 0, 1280, 984};
    const TRect secondWork{1280, 0, 2560, 728};
    desktop.AddMonitor({{1280, 0, 2560, 768}, secondWork});
    const struct {
        TRect rect;
        TRect workArea;
    } cases[] = {
        {{100, 100, 200, 200}, primaryWork},
        {{1200, 0, 1400, 100}, secondWork},     // 80 columns on the primary, 120 on the second
        {{1180, 0, 1380, 100}, primaryWork},    // equal shares: the primary comes first
        {{3000, 100, 3100, 200}, secondWork},   // nowhere: the nearest
        {{-500, -500, -400, -400}, primaryWork},
        {{1300, 900, 1400, 1000}, primaryWork},  // below the second, beside the primary: nearer to the primary
        {{1500, 50, 1500, 50}, secondWork},     // an empty rectangle inside a monitor
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktop.WorkAreaFor(c.rect), c.workArea) << c.rect.Left << "," << c.rect.Top;
}

// Four source pixels chosen to tell the conversions apart.
constexpr Rgb kStrip[] = {0xC86432, 0x400000, 0x030303, 0xB4B4B4};

struct DepthCase {
    int bits;
    std::vector<std::uint8_t> row;  // the stored bytes of the copied strip
    friend void PrintTo(const DepthCase& c, std::ostream* out) { *out << c.bits << " bits"; }
};

class BlockCopyDepthTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BlockCopyDepthTest, ConvertsToTheScreenFormat) {
    testsupport::TestFolder folder;
    sim::SimulatedDesktop desktop{{.bitsPerPixel = GetParam().bits}, folder.Path()};
    desktop.AddWindow({.bounds = {30, 40, 34, 41}, .pixels = {std::begin(kStrip), std::end(kStrip)}});

    auto bitmap = desktop.CreateCompatibleBitmap(4, 2);
    const vcl::BitmapRecord record = bitmap->GetObject();
    EXPECT_EQ(record.bmBitsPixel, GetParam().bits);
    EXPECT_EQ(record.bmWidth, 4);
    EXPECT_EQ(record.bmHeight, 2) << "a device bitmap is bottom-up";
    {
        auto dc = desktop.GetWindowDC(desktop.GetDesktopWindow());
        desktop.BlockCopy(*bitmap, {0, 0}, *dc, {30, 40, 34, 42}, vcl::SRCCOPY);
    }
    const auto& dib = dynamic_cast<const vcl::MemoryDib&>(*bitmap);
    const std::uint8_t* top = dib.ScanLine(0);
    EXPECT_EQ(std::vector<std::uint8_t>(top, top + GetParam().row.size()), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, BlockCopyDepthTest,
    ::testing::Values(
        DepthCase{32, {0x32, 0x64, 0xC8, 0, 0, 0, 0x40, 0, 3, 3, 3, 0, 0xB4, 0xB4, 0xB4, 0}},
        DepthCase{24, {0x32, 0x64, 0xC8, 0, 0, 0x40, 3, 3, 3, 0xB4, 0xB4, 0xB4}},
        // 5-6-5, each channel truncated: 0xCB26, 0x4000, 0x0000, 0xB5B6.
        DepthCase{16, {0x26, 0xCB, 0x00, 0x40, 0x00, 0x00, 0xB6, 0xB5}},
        // Cube (204,102,51) = 157 and (51,0,0) = 36; (3,3,3) is as near to
        // black (0) as to the first grey (216), and the first wins; grey 180 = 244.
        DepthCase{8, {157, 36, 0, 244}},
        // Olive 3; (64,0,0) ties black and maroon, black first; black; silver 7.
        DepthCase{4, {0x30, 0x07}},
        DepthCase{1, {0x10}}),
    [](const auto& info) { return std::to_string(info.param.bits) + "bits"; });

TEST(BlockCopyFormatTest, IndexedAndPackedFormatsCarryTheirPaletteAndMasks) {
    testsupport::TestFolder folder;
    const auto formatAt = [&](int bits) {
        sim::SimulatedDesktop desktop{{.bitsPerPixel = bits}, folder.Path()};
        return dynamic_cast<vcl::MemoryDib&>(*desktop.CreateCompatibleBitmap(1, 1)).Format();
    };
    const vcl::DibFormat eight = formatAt(8);
    ASSERT_EQ(eight.colors.size(), 256u);
    EXPECT_EQ(eight.colors[157], (vcl::RGBQuad{51, 102, 204, 0}));
    EXPECT_EQ(eight.colors[216], (vcl::RGBQuad{6, 6, 6, 0}));
    EXPECT_EQ(eight.colors[255], (vcl::RGBQuad{249, 249, 249, 0}));
    const vcl::DibFormat four = formatAt(4);
    ASSERT_EQ(four.colors.size(), 16u);
    EXPECT_EQ(four.colors[3], (vcl::RGBQuad{0, 128, 128, 0})) << "olive";
    EXPECT_EQ(four.colors[7], (vcl::RGBQuad{192, 192, 192, 0}));
    EXPECT_EQ(formatAt(1).colors, (std::vector<vcl::RGBQuad>{{0, 0, 0, 0}, {255, 255, 255, 0}}));
    const vcl::DibFormat sixteen = formatAt(16);
    EXPECT_EQ(sixteen.redMask, 0xF800u);
    EXPECT_EQ(sixteen.greenMask, 0x07E0u);
    EXPECT_EQ(sixteen.blueMask, 0x001Fu);
}

TEST(ScreenBitmapTest, BitmapsBeyondGdisMemoryAreRefusedBeforeAnythingIsAllocated) {
    testsupport::TestFolder folder;
    sim::SimulatedDesktop desktop{{.bitsPerPixel = 32, .bitmapMemory = 4096}, folder.Path()};
    EXPECT_NO_THROW(desktop.CreateCompatibleBitmap(32, 32));
    const std::pair<int, int> refused[] = {
        {32, 33},
        {65536, 65536},  // 2^34 bytes: a 32-bit count of them is 0
        {46341, 46341},  // more bytes than a signed 32-bit count holds
    };
    for (const auto& [width, height] : refused) {
        try {
            desktop.CreateCompatibleBitmap(width, height);
            ADD_FAILURE() << width << " x " << height << " was made";
        } catch (const vcl::EOSError& error) {
            EXPECT_EQ(error.Message(), "Not enough memory resources are available to process this command.");
        }
    }
}

TEST_F(ScreenTest, BlockCopyLeavesLayeredWindowsOutClipsAndCountsDeviceContexts) {
    desktop.AddWindow({.bounds = {0, 0, 4, 3}, .fill = 0xFF0000});
    auto selector = Selector({0, 0, 4, 4});
    auto bitmap = desktop.CreateCompatibleBitmap(3, 3);
    auto& dib = dynamic_cast<vcl::MemoryDib&>(*bitmap);
    const auto pixel = [&](int x, int y) {
        const std::uint8_t* p = dib.ScanLine(y) + 4 * x;
        return static_cast<Rgb>(p[2] << 16 | p[1] << 8 | p[0]);
    };
    {
        auto screen = desktop.GetWindowDC(0);
        auto desktopWindow = desktop.GetWindowDC(desktop.GetDesktopWindow());
        EXPECT_EQ(desktop.LiveDeviceContexts(), 2);
        // A 4 x 4 block placed at (1, 1) of a 3 x 3 bitmap: only 2 x 2 lands.
        desktop.BlockCopy(*bitmap, {1, 1}, *screen, {2, 2, 6, 6}, vcl::SRCCOPY);
    }
    EXPECT_EQ(desktop.LiveDeviceContexts(), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pixel(i, 0), 0u) << "untouched top row, column " << i;
        EXPECT_EQ(pixel(0, i), 0u) << "untouched left column, row " << i;
    }
    EXPECT_EQ(pixel(1, 1), 0xFF0000u) << "screen (2, 2), under the selector";
    EXPECT_EQ(pixel(2, 1), 0xFF0000u) << "screen (3, 2)";
    EXPECT_EQ(pixel(1, 2), kDesktop) << "screen (2, 3)";
    EXPECT_EQ(pixel(2, 2), kDesktop) << "screen (3, 3)";

    {
        auto dc = desktop.GetWindowDC(0);
        // Placed at (-1, -1): screen (1, 1) lands on the bitmap's (0, 0).
        desktop.BlockCopy(*bitmap, {-1, -1}, *dc, {0, 0, 2, 2}, vcl::SRCCOPY | 0x40000000);  // CAPTUREBLT
    }
    EXPECT_EQ(pixel(0, 0), desktop.SeenPixel(1, 1)) << "a copy with CAPTUREBLT takes layered windows too";
    EXPECT_NE(pixel(0, 0), 0xFF0000u);
}

TEST_F(ScreenTest, AWindowDCStartsAtTheWindowsOuterCorner) {
    const sim::HWND window = desktop.AddWindow({.bounds = {100, 50, 102, 51}, .pixels = {0x111111, 0x222222}});
    auto bitmap = desktop.CreateCompatibleBitmap(1, 1);
    {
        auto dc = desktop.GetWindowDC(window);
        desktop.BlockCopy(*bitmap, {0, 0}, *dc, {1, 0, 2, 1}, vcl::SRCCOPY);
    }
    EXPECT_EQ(dynamic_cast<vcl::MemoryDib&>(*bitmap).ScanLine(0)[0], 0x22);
}

}  // namespace
