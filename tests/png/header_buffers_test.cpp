#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "png/pngimage.h"
#include "png_test_image.h"

namespace {

using namespace png;

struct LayoutCase {
    std::uint8_t colorType;
    std::uint8_t bitDepth;
    int bitsPerPixel;
    std::uint32_t paletteEntries;  // 0: no palette
    bool alpha;
    bool extra;
};

TEST(HeaderBuffersTest, EachFormatGetsItsBufferLayout) {
    const LayoutCase cases[] = {
        {2, 8, 24, 0, false, false},  {2, 16, 24, 0, false, true}, {6, 8, 24, 0, true, false},
        {6, 16, 24, 0, true, true},   {0, 1, 1, 2, false, false},  {0, 2, 4, 16, false, false},
        {0, 4, 4, 16, false, false},  {0, 8, 8, 256, false, false}, {0, 16, 8, 256, false, true},
        {3, 1, 1, 2, false, false},   {3, 2, 4, 16, false, false},  {3, 4, 4, 16, false, false},
        {3, 8, 8, 256, false, false}, {4, 8, 8, 256, true, false},  {4, 16, 8, 256, true, true},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour type " << int(c.colorType) << ", depth " << int(c.bitDepth));
        TPNGObject image;
        const TChunkIHDR& header = pngtest::BuildImage(image, 7, 3, c.colorType, c.bitDepth);
        const vcl::BitmapInfoHeader& info = header.DibInfo.bmiHeader;
        EXPECT_EQ(info.biSize, 40u);
        EXPECT_EQ(info.biWidth, 7);
        EXPECT_EQ(info.biHeight, 3);
        EXPECT_EQ(info.biPlanes, 1);
        EXPECT_EQ(info.biBitCount, c.bitsPerPixel);
        EXPECT_EQ(header.DibRowBytes, (c.bitsPerPixel * 7u + 31) / 32 * 4);
        EXPECT_EQ(header.UsesPalette, c.paletteEntries != 0);
        EXPECT_EQ(info.biClrUsed, c.paletteEntries);
        EXPECT_EQ(header.DibPalette ? header.DibPalette->EntryCount() : 0u, c.paletteEntries);
        EXPECT_EQ(header.AlphaData != nullptr, c.alpha);
        EXPECT_EQ(header.ExtraData != nullptr, c.extra);
        ASSERT_NE(header.PixelData, nullptr);
        EXPECT_TRUE(std::all_of(header.PixelData, header.PixelData + header.DibRowBytes * 3, [](auto b) { return b == 0; }));
    }
}

TEST(HeaderBuffersTest, RowsArePaddedToWholeWords) {
    struct Case {
        std::uint8_t colorType, bitDepth;
        std::uint32_t width, rowBytes;
    };
    for (const Case c : {Case{3, 1, 33, 8}, Case{3, 4, 9, 8}, Case{2, 8, 1, 4}, Case{2, 8, 3, 12}}) {
        TPNGObject image;
        EXPECT_EQ(pngtest::BuildImage(image, c.width, 2, c.colorType, c.bitDepth).DibRowBytes, c.rowBytes);
    }
}

TEST(HeaderBuffersTest, GreyImagesGetAGreyRampPaddedWithBlack) {
    TPNGObject image;
    const TChunkIHDR& header = pngtest::BuildImage(image, 2, 2, 0, 2);
    PaletteEntry entries[16];
    ASSERT_EQ(header.DibPalette->GetEntries(0, 16, entries), 16u);
    const std::uint8_t expected[16] = {0, 85, 170, 255};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(entries[i], (PaletteEntry{expected[i], expected[i], expected[i], 0})) << i;
        EXPECT_EQ(header.DibInfo.bmiColors[i], (vcl::RGBQuad{expected[i], expected[i], expected[i], 0})) << i;
    }
}

TEST(HeaderBuffersTest, IndexedImagesStartWithTheHalftonePalette) {
    TPNGObject image;
    const TChunkIHDR& header = pngtest::BuildImage(image, 2, 2, 3, 8);
    PaletteEntry entries[256];
    ASSERT_EQ(header.DibPalette->GetEntries(0, 256, entries), 256u);
    EXPECT_EQ(entries[0], (PaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(entries[255], (PaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(entries[249], (PaletteEntry{255, 0, 0, 0}));
    std::set<std::tuple<int, int, int>> colours;
    for (const PaletteEntry& e : entries) colours.insert({e.peRed, e.peGreen, e.peBlue});
    for (int r = 0; r < 256; r += 51)
        for (int b = 0; b < 256; b += 51) EXPECT_TRUE(colours.count({r, 102, b})) << "colour cube " << r << "," << b;
}

TEST(HeaderBuffersTest, RowOperationsAddressBottomUpPixelsAndTopDownAlpha) {
    TPNGObject image;
    const TChunkIHDR& header = pngtest::BuildImage(image, 5, 4, 6, 16);
    EXPECT_EQ(image.PixelRow(0), header.PixelData + 3 * header.DibRowBytes);
    EXPECT_EQ(image.PixelRow(3), header.PixelData);
    EXPECT_EQ(image.ExtraRow(0), header.ExtraData + 3 * header.DibRowBytes);
    EXPECT_EQ(image.AlphaRow(2), header.AlphaData + 10);
    const RowGeometryResult geometry = image.RowGeometry();
    EXPECT_EQ(geometry.rowBytes, 40u);
    EXPECT_EQ(geometry.pixelStride, 8u);

    TPNGObject rgb;
    pngtest::BuildImage(rgb, 5, 4, 2, 8);
    EXPECT_EQ(rgb.AlphaRow(0), nullptr);
}

TEST(HeaderBuffersTest, PackedRowBytesFollowTheSampleLayout) {
    EXPECT_EQ(PackedRowBytes(9, 0, 1), 2u);
    EXPECT_EQ(PackedRowBytes(9, 3, 4), 5u);
    EXPECT_EQ(PackedRowBytes(9, 0, 16), 18u);
    EXPECT_EQ(PackedRowBytes(9, 2, 8), 27u);
    EXPECT_EQ(PackedRowBytes(9, 2, 16), 54u);
    EXPECT_EQ(PackedRowBytes(9, 4, 8), 18u);
    EXPECT_EQ(PackedRowBytes(9, 6, 16), 72u);
    EXPECT_EQ(PackedRowBytes(9, 5, 8), 0u);
}

TEST(HeaderBuffersTest, AllocatingAgainReplacesTheBuffersWithZeroedOnes) {
    TPNGObject image;
    TChunkIHDR& header = pngtest::BuildImage(image, 4, 4, 4, 8);
    header.PixelData[0] = 7;
    header.AlphaData[0] = 7;
    header.ColorType = 2;
    header.AllocateImage();
    EXPECT_EQ(header.PixelData[0], 0);
    EXPECT_EQ(header.AlphaData, nullptr);
    EXPECT_EQ(header.DibPalette, nullptr);
    EXPECT_FALSE(header.UsesPalette);
}

// Byte counts that do not fit in 32 bits are refused before anything is allocated.
TEST(HeaderBuffersTest, OversizedImagesAreRefused) {
    struct Case {
        std::uint32_t width, height;
        std::uint8_t colorType, bitDepth;
    };
    for (const Case c : {Case{70000, 70000, 2, 8}, Case{0x80000000u, 1, 0, 1}, Case{40000, 40000, 6, 16},
                         Case{1, 0x80000000u, 0, 8}}) {
        TPNGObject image;
        EXPECT_THROW(pngtest::BuildImage(image, c.width, c.height, c.colorType, c.bitDepth), EPNGOutMemory)
            << c.width << "x" << c.height;
    }
}

}  // namespace
