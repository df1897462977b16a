// Images built by hand in the header's buffers, for every packer, saved and
// read back by libpng; the expected samples come from the buffer layouts.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

#include "png/png_chunks.h"
#include "png/png_image.h"
#include "png_oracle/oracle_checks.h"

namespace {

using pngoracle::PatternByte;

struct Format {
    std::uint8_t colorType;
    std::uint8_t bitDepth;
};

void PrintTo(const Format& format, std::ostream* os) {
    *os << "colour type " << int{format.colorType} << ", bit depth " << int{format.bitDepth};
}

constexpr Format kFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8},  {0, 16}, {2, 8},  {2, 16}, {3, 1},
                               {3, 2}, {3, 4}, {3, 8}, {4, 8},  {4, 16}, {6, 8},  {6, 16}};

struct FilterSet {
    const char* name;
    std::uint8_t filters;
};

const FilterSet kFilterSets[] = {
    {"Sub", png::FilterBit(png::pfSub)},
    {"None", png::FilterBit(png::pfNone)},
    {"Up+Paeth", static_cast<std::uint8_t>(png::FilterBit(png::pfUp) | png::FilterBit(png::pfPaeth))},
    {"all five", png::AllFilters},
    {"Paeth", png::FilterBit(png::pfPaeth)},
};

// Small IDAT limits on some sizes cut the stream into many chunks.
struct Shape {
    std::uint32_t width;
    std::uint32_t height;
    std::int32_t idatLimit;
};

constexpr Shape kShapes[] = {{1, 1, 65535},   {3, 2, 65535}, {7, 5, 65535}, {13, 11, 16},
                             {33, 17, 65535}, {301, 3, 61},  {5, 67, 65535}};

int Channels(std::uint8_t colorType) {
    switch (colorType) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;
    }
}

bool IsRgb(const Format& format) { return format.colorType == 2 || format.colorType == 6; }
bool HasAlpha(const Format& format) { return format.colorType == 4 || format.colorType == 6; }

// Bits per pixel of the header's pixel buffer: 24 for RGB at any depth, the
// bit depth for indices and grey, 4 for depth 2 and 8 for depth 16.
int BufferBits(const Format& format) {
    if (IsRgb(format)) return 24;
    if (format.bitDepth == 2) return 4;
    return format.bitDepth == 16 ? 8 : format.bitDepth;
}

std::uint8_t FileBitDepth(const Format& format) { return format.bitDepth == 2 ? 4 : format.bitDepth; }

// The index or grey level stored for a pixel of a buffer without RGB.
std::uint8_t StoredValue(const Format& format, std::uint32_t x, std::uint32_t y) {
    const int valueBits = format.bitDepth == 16 ? 8 : format.bitDepth;
    return static_cast<std::uint8_t>(PatternByte(x, y, 0) >> (8 - valueBits));
}

std::uint8_t StoredAlpha(std::uint32_t x, std::uint32_t y) { return PatternByte(x, y, 3); }

void FillPixels(png::TChunkIHDR& header, const Format& format) {
    const auto bits = static_cast<std::uint32_t>(BufferBits(format));
    ASSERT_EQ(header.DibRowBytes, (bits * header.Width + 31) / 32 * 4);
    // Row padding and the bits behind the last pixel must never reach the file.
    std::memset(header.PixelData, 0xA5, std::size_t{header.DibRowBytes} * header.Height);
    for (std::uint32_t y = 0; y < header.Height; ++y) {
        std::uint8_t* row = header.PixelData + std::size_t{header.DibRowBytes} * (header.Height - 1 - y);
        for (std::uint32_t x = 0; x < header.Width; ++x) {
            if (IsRgb(format)) {
                for (std::uint32_t c = 0; c < 3; ++c) row[3 * x + c] = PatternByte(x, y, c);  // blue, green, red
            } else {
                const std::uint32_t bit = x * bits;
                const auto shift = 8 - bits - bit % 8;
                const auto mask = static_cast<std::uint8_t>(((1u << bits) - 1) << shift);
                std::uint8_t& target = row[bit / 8];
                target = static_cast<std::uint8_t>((target & ~mask) | (StoredValue(format, x, y) << shift));
            }
            if (HasAlpha(format)) header.AlphaData[std::size_t{y} * header.Width + x] = StoredAlpha(x, y);
        }
    }
}

// The samples libpng must read: 16-bit samples are the stored byte times
// 256, RGB comes out of the blue, green, red buffer as red, green, blue.
std::vector<std::uint16_t> ExpectedSamples(const Format& format, const Shape& shape) {
    const std::uint16_t scale = format.bitDepth == 16 ? 256 : 1;
    std::vector<std::uint16_t> samples;
    for (std::uint32_t y = 0; y < shape.height; ++y) {
        for (std::uint32_t x = 0; x < shape.width; ++x) {
            if (IsRgb(format)) {
                for (std::uint32_t c : {2u, 1u, 0u}) samples.push_back(PatternByte(x, y, c) * scale);
            } else {
                samples.push_back(StoredValue(format, x, y) * scale);
            }
            if (HasAlpha(format)) samples.push_back(StoredAlpha(x, y) * scale);
        }
    }
    return samples;
}

// Builds the image the way every fill path does: chunks discarded first
// (which makes the gamma tables the identity), then IHDR, [PLTE], IDAT, IEND.
png::TChunkIHDR& BuildImage(png::TPNGObject& image, const Format& format, const Shape& shape,
                            std::uint8_t interlace, std::uint8_t filters) {
    image.DiscardChunks();
    image.RowFilters = filters;
    image.InterlaceMode = interlace;
    image.IdatLimit = shape.idatLimit;

    auto header = std::make_unique<png::TChunkIHDR>(image);
    png::TChunkIHDR& result = *header;
    header->Width = shape.width;
    header->Height = shape.height;
    header->BitDepth = format.bitDepth;
    header->ColorType = format.colorType;
    header->InterlaceMethod = interlace;
    image.ChunkSequence.Append(header.release());
    result.AllocateImage();
    FillPixels(result, format);

    if (format.colorType == 3) image.ChunkSequence.Append(std::make_unique<png::TChunkPLTE>(image).release());
    image.ChunkSequence.Append(std::make_unique<png::TChunkIDAT>(image).release());
    image.ChunkSequence.Append(std::make_unique<png::TChunkIEND>(image).release());
    return result;
}

std::vector<std::array<std::uint8_t, 3>> HeaderPalette(const png::TChunkIHDR& header, std::uint32_t count) {
    std::vector<png::PaletteEntry> entries(count);
    EXPECT_EQ(header.DibPalette->GetEntries(0, count, entries.data()), count);
    std::vector<std::array<std::uint8_t, 3>> colours;
    for (const png::PaletteEntry& entry : entries) colours.push_back({entry.peRed, entry.peGreen, entry.peBlue});
    return colours;
}

// A single filter type is used on every line; from a larger set the
// writer may also fall back to None.
std::uint8_t AllowedFilterTypes(std::uint8_t filters) {
    if (std::popcount(filters) == 1) return filters;
    return static_cast<std::uint8_t>(filters | png::FilterBit(png::pfNone));
}

class HandBuiltImageRoundTrip : public testing::TestWithParam<std::tuple<Format, std::uint8_t>> {};

TEST_P(HandBuiltImageRoundTrip, LibpngReadsEverySampleBack) {
    const auto& [format, interlace] = GetParam();
    for (const FilterSet& filterSet : kFilterSets) {
        for (const Shape& shape : kShapes) {
            SCOPED_TRACE(std::string("filters ") + filterSet.name + ", " + std::to_string(shape.width) + "x" +
                         std::to_string(shape.height) + ", IdatLimit " + std::to_string(shape.idatLimit));
            png::TPNGObject image;
            const png::TChunkIHDR& header = BuildImage(image, format, shape, interlace, filterSet.filters);
            const pngoracle::Bytes file = pngoracle::SaveToBytes(image);

            const auto chunks = pngoracle::ChunksOrFail(file);
            if (!chunks) continue;
            pngoracle::ExpectWellFormed(*chunks, shape.idatLimit);
            const int bitsPerPixel = Channels(format.colorType) * FileBitDepth(format);
            pngoracle::ExpectFilterTypes(*chunks, {shape.width, shape.height, bitsPerPixel, interlace == 1},
                                         AllowedFilterTypes(filterSet.filters));

            const auto decoded = pngoracle::DecodeOrFail(file);
            if (!decoded) continue;
            EXPECT_EQ(decoded->width, shape.width);
            EXPECT_EQ(decoded->height, shape.height);
            EXPECT_EQ(decoded->colorType, format.colorType);
            EXPECT_EQ(decoded->bitDepth, FileBitDepth(format));
            EXPECT_EQ(decoded->interlace, interlace);
            pngoracle::ExpectSamplesEqual(*decoded, ExpectedSamples(format, shape));
            if (format.colorType == 3) {
                EXPECT_EQ(decoded->palette, HeaderPalette(header, 1u << BufferBits(format)));
            }
        }
    }
}

std::string CaseName(const testing::TestParamInfo<HandBuiltImageRoundTrip::ParamType>& info) {
    const auto& [format, interlace] = info.param;
    return "Type" + std::to_string(format.colorType) + "Depth" + std::to_string(format.bitDepth) +
           (interlace ? "Adam7" : "Sequential");
}

INSTANTIATE_TEST_SUITE_P(EveryPacker, HandBuiltImageRoundTrip,
                         testing::Combine(testing::ValuesIn(kFormats), testing::Values<std::uint8_t>(0, 1)),
                         CaseName);

}  // namespace
