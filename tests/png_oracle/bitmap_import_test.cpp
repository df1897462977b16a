// Device bitmaps of every depth assigned to an image, saved and decoded by
// libpng; the expected colours come from the bitmap's own pixel layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/vcl/graphics.h"
#include "platform/vcl/memory_dib.h"
#include "png/png_image.h"
#include "png_oracle/oracle_checks.h"

namespace {

using pngoracle::Bytes;
using pngoracle::PatternByte;
using Layout = std::vector<std::string>;

constexpr std::int32_t kWidth = 37;
constexpr std::int32_t kHeight = 9;

// Entry i: red i, green 255 - i, blue 128 + i / 2; never black.
std::vector<vcl::RGBQuad> ColourTable(std::size_t count) {
    std::vector<vcl::RGBQuad> table;
    for (std::size_t i = 0; i < count; ++i)
        table.push_back({static_cast<std::uint8_t>(0x80 | i / 2), static_cast<std::uint8_t>(255 - i),
                         static_cast<std::uint8_t>(i), 0});
    return table;
}

bool IsIndexed(int bitCount) { return bitCount <= 8; }

// The stored pixel as a little-endian number: an index, a masked 16-bit
// value, blue-green-red, or blue-green-red plus an unused byte.
std::uint32_t RawPixel(int bitCount, std::uint32_t x, std::uint32_t y) {
    if (IsIndexed(bitCount)) return PatternByte(x, y, 0) >> (8 - bitCount);
    std::uint32_t value = 0;
    for (int byte = bitCount / 8 - 1; byte >= 0; --byte)
        value = value << 8 | PatternByte(x, y, static_cast<std::uint32_t>(byte));
    return value;
}

std::unique_ptr<vcl::MemoryDib> MakeDib(vcl::DibFormat format) {
    auto dib = std::make_unique<vcl::MemoryDib>(std::move(format));
    const int bits = dib->Format().bitCount;
    for (int y = 0; y < dib->Height(); ++y) {
        std::uint8_t* row = dib->ScanLine(y);
        for (std::uint32_t x = 0; x < static_cast<std::uint32_t>(dib->Format().width); ++x) {
            const std::uint32_t pixel = RawPixel(bits, x, static_cast<std::uint32_t>(y));
            if (IsIndexed(bits)) {
                const auto shift = 8 - bits - static_cast<int>(x * bits % 8);
                row[x * bits / 8] |= static_cast<std::uint8_t>(pixel << shift);
            } else {
                for (int byte = 0; byte < bits / 8; ++byte) row[x * bits / 8 + byte] = pixel >> (8 * byte) & 0xFF;
            }
        }
    }
    return dib;
}

Bytes SaveAssigned(vcl::TBitmap& bitmap) {
    png::TPNGObject image;
    image.Assign(&bitmap);
    return pngoracle::SaveToBytes(image);
}

// A channel of `bits` bits widened to 8 by repeating its high bits.
std::uint16_t Widen(std::uint32_t value, int bits) {
    switch (bits) {
        case 5: return static_cast<std::uint16_t>(value << 3 | value >> 2);
        case 6: return static_cast<std::uint16_t>(value << 2 | value >> 4);
        default: return static_cast<std::uint16_t>(value);
    }
}

std::uint16_t Channel(std::uint32_t pixel, std::uint32_t mask) {
    return Widen((pixel & mask) >> std::countr_zero(mask), std::popcount(mask));
}

struct DibCase {
    const char* name;
    std::uint16_t bitCount;
    std::uint32_t redMask, greenMask, blueMask;  // of the non-indexed pixels
    std::size_t colourCount;                     // of the indexed ones; fewer than 2^bitCount
};

const DibCase kDibCases[] = {
    {"Indexed1", 1, 0, 0, 0, 1},
    {"Indexed4", 4, 0, 0, 0, 11},
    {"Indexed8", 8, 0, 0, 0, 200},
    {"Rgb555", 16, 0x7C00, 0x03E0, 0x001F, 0},
    {"Rgb565", 16, 0xF800, 0x07E0, 0x001F, 0},
    {"Rgb24", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0},
    {"Rgb32", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0},
};

void PrintTo(const DibCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::uint16_t> ExpectedSamples(const DibCase& c) {
    std::vector<std::uint16_t> samples;
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const std::uint32_t pixel = RawPixel(c.bitCount, x, y);
            if (IsIndexed(c.bitCount)) {
                samples.push_back(static_cast<std::uint16_t>(pixel));
            } else {
                for (std::uint32_t mask : {c.redMask, c.greenMask, c.blueMask}) samples.push_back(Channel(pixel, mask));
            }
        }
    }
    return samples;
}

// The bitmap's colour table, padded with black to 2^bitCount entries.
std::vector<std::array<std::uint8_t, 3>> ExpectedPalette(const DibCase& c) {
    std::vector<std::array<std::uint8_t, 3>> palette(std::size_t{1} << c.bitCount, {0, 0, 0});
    const auto table = ColourTable(c.colourCount);
    for (std::size_t i = 0; i < table.size(); ++i) palette[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue};
    return palette;
}

class BitmapImport : public testing::TestWithParam<std::tuple<DibCase, bool>> {};

TEST_P(BitmapImport, LibpngSeesTheBitmapsColours) {
    const auto& [c, topDown] = GetParam();
    vcl::TBitmap bitmap(MakeDib({kWidth, topDown ? -kHeight : kHeight, c.bitCount, c.redMask, c.greenMask, c.blueMask,
                                 ColourTable(c.colourCount)}));
    const Bytes file = SaveAssigned(bitmap);

    const bool indexed = IsIndexed(c.bitCount);
    const auto chunks = pngoracle::ChunksOrFail(file);
    ASSERT_TRUE(chunks);
    pngoracle::ExpectWellFormed(*chunks, 65535);
    const Layout layout = indexed ? Layout{"IHDR", "PLTE", "IDAT", "IEND"} : Layout{"IHDR", "IDAT", "IEND"};
    EXPECT_EQ(pngoracle::ChunkLayout(*chunks), layout);
    pngoracle::ExpectFilterTypes(*chunks, {kWidth, kHeight, indexed ? c.bitCount : 24, false},
                                 png::FilterBit(png::pfSub));

    const auto decoded = pngoracle::DecodeOrFail(file);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->colorType, indexed ? 3 : 2);
    EXPECT_EQ(decoded->bitDepth, indexed ? c.bitCount : 8);
    EXPECT_EQ(decoded->interlace, 0);
    pngoracle::ExpectSamplesEqual(*decoded, ExpectedSamples(c));
    if (indexed) {
        EXPECT_EQ(decoded->palette, ExpectedPalette(c));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, BitmapImport, testing::Combine(testing::ValuesIn(kDibCases), testing::Bool()),
                         [](const testing::TestParamInfo<BitmapImport::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "TopDown" : "BottomUp");
                         });

// 0x00BBGGRR, as a TColor holds it.
constexpr vcl::TColor Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return red | green << 8 | blue << 16;
}

struct KeyCase {
    const char* name;
    std::uint16_t bitCount;
    std::vector<vcl::RGBQuad> colours;
    vcl::TColor key;
    Bytes expectedTransparency;  // tRNS data as stored
};

const vcl::RGBQuad kKeyQuad{30, 20, 10, 0};  // blue, green, red
const vcl::RGBQuad kOther1{1, 1, 1, 0}, kOther2{2, 2, 2, 0}, kOther3{3, 3, 3, 0};

const KeyCase kKeyCases[] = {
    {"Truecolour", 24, {}, Rgb(10, 20, 30), {0, 10, 0, 20, 0, 30}},
    {"PaletteFirstMatchAtEntry3", 8, {kOther1, kOther2, kOther3, kKeyQuad, kOther1, kKeyQuad}, Rgb(10, 20, 30),
     {255, 255, 255, 0}},
    {"PaletteMatchAtEntry0", 1, {kKeyQuad, kOther1}, Rgb(10, 20, 30), {0}},
    // Entries behind a short colour table are black.
    {"PaletteBlackBehindShortTable", 4, {kOther1, kOther2, kOther3}, Rgb(0, 0, 0), {255, 255, 255, 0}},
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class BitmapImportKeyColour : public testing::TestWithParam<KeyCase> {};

TEST_P(BitmapImportKeyColour, TrnsMakesTheKeyColourTransparent) {
    const KeyCase& c = GetParam();
    vcl::TBitmap bitmap(MakeDib({kWidth, kHeight, c.bitCount, 0, 0, 0, c.colours}));
    bitmap.Transparent = true;
    bitmap.TransparentColor = c.key;
    const Bytes file = SaveAssigned(bitmap);

    const auto chunks = pngoracle::ChunksOrFail(file);
    ASSERT_TRUE(chunks);
    pngoracle::ExpectWellFormed(*chunks, 65535);
    const Layout layout = IsIndexed(c.bitCount) ? Layout{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}
                                                : Layout{"IHDR", "tRNS", "IDAT", "IEND"};
    EXPECT_EQ(pngoracle::ChunkLayout(*chunks), layout);
    const auto decoded = pngoracle::DecodeOrFail(file);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->transparency, c.expectedTransparency);
}

INSTANTIATE_TEST_SUITE_P(Keys, BitmapImportKeyColour, testing::ValuesIn(kKeyCases),
                         [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

// A key colour that no palette entry holds must not turn any entry
// transparent, and the tRNS chunk must stay one that decoders accept.
TEST(BitmapImportKeyColourMissing, PaletteStaysOpaqueAndValid) {
    for (std::uint16_t bitCount : {1, 4, 8}) {
        SCOPED_TRACE("bits per pixel " + std::to_string(bitCount));
        vcl::TBitmap bitmap(MakeDib({kWidth, kHeight, bitCount, 0, 0, 0, ColourTable(std::size_t{1} << bitCount)}));
        bitmap.Transparent = true;
        bitmap.TransparentColor = Rgb(1, 2, 3);
        const Bytes file = SaveAssigned(bitmap);

        const auto chunks = pngoracle::ChunksOrFail(file);
        ASSERT_TRUE(chunks);
        EXPECT_EQ(pngoracle::ChunkLayout(*chunks), (Layout{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));
        const auto decoded = pngoracle::DecodeOrFail(file);
        ASSERT_TRUE(decoded);
        EXPECT_FALSE(decoded->transparency.empty());
        EXPECT_LE(decoded->transparency.size(), decoded->palette.size());
        EXPECT_TRUE(std::all_of(decoded->transparency.begin(), decoded->transparency.end(),
                                [](std::uint8_t alpha) { return alpha == 255; }));
    }
}

}  // namespace
