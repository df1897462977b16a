#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/vcl/memory_dib.h"
#include "platform/vcl/sysutils.h"

namespace {

using vcl::BitmapInfo;
using vcl::DibFormat;
using vcl::MemoryDib;

BitmapInfo InfoFor(int width, int height, int bits) {
    BitmapInfo info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<std::uint16_t>(bits);
    return info;
}

// The first pixel of each bottom-up 24-bit row, as blue, green, red.
std::array<std::uint8_t, 3> Bgr(const std::vector<std::uint8_t>& bits, std::size_t stride, int bufferRow, int x) {
    const std::uint8_t* p = bits.data() + bufferRow * stride + 3 * x;
    return {p[0], p[1], p[2]};
}

struct PackedCase {
    const char* name;
    DibFormat format;
    std::uint32_t pixel;
    std::array<std::uint8_t, 3> bgr;
};

TEST(MemoryDibTest, WidensPackedChannelsByRepeatingTheirBits) {
    const PackedCase cases[] = {
        {"5-5-5 red", {1, 1, 16}, 0x7C00, {0, 0, 255}},
        {"5-5-5 mixed", {1, 1, 16}, (16u << 10) | (1u << 5) | 31u, {255, 8, 132}},
        {"5-6-5 green", {1, 1, 16, 0xF800, 0x07E0, 0x001F}, 32u << 5, {0, 130, 0}},
        {"5-6-5 white", {1, 1, 16, 0xF800, 0x07E0, 0x001F}, 0xFFFF, {255, 255, 255}},
        {"32 plain", {1, 1, 32}, 0x00112233, {0x33, 0x22, 0x11}},
        {"32 with masks", {1, 1, 32, 0x000000FF, 0x0000FF00, 0x00FF0000}, 0x00112233, {0x11, 0x22, 0x33}},
        {"10-10-10", {1, 1, 32, 0x3FF00000, 0x000FFC00, 0x000003FF}, (1023u << 20) | (512u << 10), {0, 128, 255}},
    };
    for (const PackedCase& c : cases) {
        MemoryDib dib(c.format);
        for (int i = 0; i < c.format.bitCount / 8; ++i) dib.ScanLine(0)[i] = static_cast<std::uint8_t>(c.pixel >> (8 * i));
        BitmapInfo info = InfoFor(1, 1, 24);
        std::vector<std::uint8_t> bits(4);
        ASSERT_EQ(dib.GetDIBits(0, 1, bits.data(), info), 1) << c.name;
        EXPECT_EQ(Bgr(bits, 4, 0, 0), c.bgr) << c.name;
    }
}

TEST(MemoryDibTest, DeliversRowsBottomUpWhateverTheStoredOrder) {
    for (const int storedHeight : {3, -3}) {
        MemoryDib dib({2, storedHeight, 24});
        for (int y = 0; y < 3; ++y) dib.ScanLine(y)[0] = static_cast<std::uint8_t>(10 + y);  // blue of pixel 0 = 10 + row
        BitmapInfo info = InfoFor(2, 3, 24);
        std::vector<std::uint8_t> bits(8 * 3);
        ASSERT_EQ(dib.GetDIBits(0, 3, bits.data(), info), 3);
        EXPECT_EQ(bits[0], 12) << "bottom row first, stored height " << storedHeight;
        EXPECT_EQ(bits[16], 10) << "top row last, stored height " << storedHeight;
    }
}

TEST(MemoryDibTest, IndexedBitmapsKeepTheirIndicesAndShareTheirColourTable) {
    DibFormat format{5, 1, 4};
    format.colors = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    MemoryDib dib(format);
    const std::uint8_t row[4] = {0x01, 0x2F, 0x30, 0};  // indices 0 1 2 15 3
    std::copy(row, row + 4, dib.ScanLine(0));

    BitmapInfo indexedInfo = InfoFor(5, 1, 4);
    std::vector<std::uint8_t> indices(4);
    ASSERT_EQ(dib.GetDIBits(0, 1, indices.data(), indexedInfo), 1);
    EXPECT_EQ(indices, std::vector<std::uint8_t>(row, row + 4));
    EXPECT_EQ(indexedInfo.bmiColors[2], (vcl::RGBQuad{7, 8, 9, 0}));
    EXPECT_EQ(indexedInfo.bmiColors[3], vcl::RGBQuad{}) << "entries past a short table are black";

    BitmapInfo rgbInfo = InfoFor(5, 1, 24);
    std::vector<std::uint8_t> bgr(16);
    ASSERT_EQ(dib.GetDIBits(0, 1, bgr.data(), rgbInfo), 1);
    EXPECT_EQ(Bgr(bgr, 16, 0, 1), (std::array<std::uint8_t, 3>{4, 5, 6}));
    EXPECT_EQ(Bgr(bgr, 16, 0, 3), (std::array<std::uint8_t, 3>{0, 0, 0})) << "index 15 has no colour";
}

TEST(MemoryDibTest, ReportsItsRecordAndRefusesWhatItCannotConvert) {
    MemoryDib dib({7, -3, 16});
    const vcl::BitmapRecord record = dib.GetObject();
    EXPECT_EQ(record.bmWidth, 7);
    EXPECT_EQ(record.bmHeight, -3);
    EXPECT_EQ(record.bmBitsPixel, 16);
    EXPECT_EQ(dib.Stride(), 16u);

    std::vector<std::uint8_t> bits(64);
    BitmapInfo toIndexed = InfoFor(7, 3, 8);
    EXPECT_EQ(dib.GetDIBits(0, 3, bits.data(), toIndexed), 0);
    BitmapInfo wrongWidth = InfoFor(6, 3, 24);
    EXPECT_EQ(dib.GetDIBits(0, 3, bits.data(), wrongWidth), 0);

    EXPECT_THROW(MemoryDib({1, 1, 2}), vcl::EConvertError);
    EXPECT_THROW(MemoryDib({0x7FFFFFFF, 0x7FFFFFFF, 32}), vcl::EOutOfMemory);
}

}  // namespace
