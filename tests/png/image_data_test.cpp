#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "png/pngimage.h"
#include "png_test_image.h"
#include "support/png_chunks.h"

namespace {

using namespace png;
using Bytes = std::vector<std::uint8_t>;

// The inflated image data of a saved image.
Bytes FilteredData(TPNGObject& image) {
    return testsupport::Inflate(testsupport::JoinedIdat(testsupport::ReadChunks(pngtest::SaveToBytes(image))));
}

// The filter-type byte of each line of `lineBytes` data bytes.
std::vector<int> FilterTypes(const Bytes& data, std::size_t lineBytes) {
    std::vector<int> types;
    for (std::size_t at = 0; at < data.size(); at += lineBytes + 1) types.push_back(data[at]);
    return types;
}

// A grey image of one row per entry of `rows`.
TPNGObject& GreyImage(TPNGObject& image, const std::vector<Bytes>& rows) {
    const auto width = static_cast<std::uint32_t>(rows[0].size());
    pngtest::BuildImage(image, width, static_cast<std::uint32_t>(rows.size()), 0, 8);
    for (std::uint32_t y = 0; y < rows.size(); ++y) std::copy(rows[y].begin(), rows[y].end(), image.PixelRow(y));
    return image;
}

void FillNoise(TChunkIHDR& header, unsigned seed) {
    std::mt19937 random(seed);
    for (std::uint32_t i = 0; i < header.DibRowBytes * header.Height; ++i) header.PixelData[i] = static_cast<std::uint8_t>(random());
    if (header.AlphaData)
        for (std::uint32_t i = 0; i < header.Width * header.Height; ++i) header.AlphaData[i] = static_cast<std::uint8_t>(random());
}

TEST(ImageDataTest, DefaultSettingsSubFilterEveryLine) {
    for (const std::uint8_t colorType : {2, 3}) {
        TPNGObject image;
        FillNoise(pngtest::BuildImage(image, 13, 9, colorType, 8), 1);
        const std::size_t lineBytes = colorType == 2 ? 39 : 13;
        const Bytes data = FilteredData(image);
        ASSERT_EQ(data.size(), 9 * (lineBytes + 1));
        EXPECT_EQ(FilterTypes(data, lineBytes), std::vector<int>(9, 1)) << "colour type " << int(colorType);
    }
}

struct FilterChoiceCase {
    const char* name;
    std::uint8_t filters;
    std::vector<Bytes> rows;
    std::vector<int> expectedTypes;
};

TEST(ImageDataTest, FilterChoiceFollowsTheScoringRules) {
    const std::uint8_t all = AllFilters;
    const std::uint8_t upPaeth = FilterBit(pfUp) | FilterBit(pfPaeth);
    const std::uint8_t subUp = FilterBit(pfSub) | FilterBit(pfUp);
    const FilterChoiceCase cases[] = {
        {"one-byte lines score nothing", all, {{9}, {200}, {7}}, {0, 0, 0}},
        {"two-byte lines score nothing", all, {{9, 9}, {9, 9}}, {0, 0}},
        {"no allowed type scores: None", upPaeth, {{1, 2, 4, 8}}, {0}},
        {"ties go to the lower type", subUp, {{5, 5, 5, 5}}, {1}},
        {"None is visited first", all, {{5, 5, 5, 5}}, {0}},
        {"Up wins on a repeated row", subUp, {{1, 2, 4, 8, 16}, {1, 2, 4, 8, 16}}, {0, 2}},
        {"a single type is never scored", FilterBit(pfPaeth), {{1, 2, 4, 8}, {3, 3, 3, 3}}, {4, 4}},
        {"an empty set writes None", 0, {{5, 5, 5, 5}}, {0}},
    };
    for (const FilterChoiceCase& c : cases) {
        TPNGObject image;
        GreyImage(image, c.rows).RowFilters = c.filters;
        EXPECT_EQ(FilterTypes(FilteredData(image), c.rows[0].size()), c.expectedTypes) << c.name;
    }
}

TEST(ImageDataTest, TheFirstLineIsFilteredAgainstZerosAndLaterOnesAgainstTheRowAbove) {
    TPNGObject image;
    GreyImage(image, {{10, 20, 30}, {11, 25, 27}}).RowFilters = FilterBit(pfUp);
    EXPECT_EQ(FilteredData(image), (Bytes{2, 10, 20, 30, 2, 1, 5, 253}));
}

TEST(ImageDataTest, TruecolourPixelsArePackedRedGreenBlue) {
    for (const std::uint8_t depth : {8, 16}) {
        TPNGObject image;
        const TChunkIHDR& header = pngtest::BuildImage(image, 1, 1, 2, depth);
        header.PixelData[0] = 1;  // blue
        header.PixelData[1] = 2;  // green
        header.PixelData[2] = 3;  // red
        image.RowFilters = FilterBit(pfNone);
        const Bytes expected = depth == 8 ? Bytes{0, 3, 2, 1} : Bytes{0, 3, 0, 2, 0, 1, 0};
        EXPECT_EQ(FilteredData(image), expected) << int(depth);
    }
}

TEST(ImageDataTest, TheTopRowComesFirstWithTheFirstAlphaRow) {
    TPNGObject image;
    TChunkIHDR& header = pngtest::BuildImage(image, 1, 2, 4, 8);
    header.PixelData[header.DibRowBytes] = 7;  // top row: last in the buffer
    header.PixelData[0] = 9;
    header.AlphaData[0] = 70;
    header.AlphaData[1] = 90;
    image.RowFilters = FilterBit(pfNone);
    EXPECT_EQ(FilteredData(image), (Bytes{0, 7, 70, 0, 9, 90}));
}

// The raw line behind a Sub-filtered one.
Bytes Unfiltered(const std::uint8_t* line, std::size_t lineBytes, std::size_t stride) {
    Bytes raw(lineBytes);
    for (std::size_t i = 0; i < lineBytes; ++i) raw[i] = static_cast<std::uint8_t>(line[i] + (i >= stride ? raw[i - stride] : 0));
    return raw;
}

TEST(ImageDataTest, ColourBytesPassThroughTheInverseGammaTable) {
    for (const std::uint8_t colorType : {2, 6}) {
        TPNGObject image;
        TChunkIHDR& header = pngtest::BuildImage(image, 33, 5, colorType, 8);
        FillNoise(header, 4);
        for (int i = 0; i < 256; ++i) image.InverseGammaTable[i] = static_cast<std::uint8_t>(i / 2);
        const std::size_t stride = colorType == 2 ? 3 : 4;
        const Bytes data = FilteredData(image);
        for (std::uint32_t y = 0; y < 5; ++y) {
            const Bytes raw = Unfiltered(&data[y * (33 * stride + 1) + 1], 33 * stride, stride);
            for (std::uint32_t x = 0; x < 33; ++x) {
                const std::uint8_t* in = image.PixelRow(y) + 3 * x;
                Bytes expected{std::uint8_t(in[2] / 2), std::uint8_t(in[1] / 2), std::uint8_t(in[0] / 2)};
                if (colorType == 6) expected.push_back(image.AlphaRow(y)[x]);
                ASSERT_EQ(Bytes(raw.begin() + stride * x, raw.begin() + stride * (x + 1)), expected)
                    << int(colorType) << ": " << x << "," << y;
            }
        }
    }
}

TEST(ImageDataTest, Adam7OnOnePixelWritesOnlyTheFirstPass) {
    TPNGObject image;
    pngtest::BuildImage(image, 1, 1, 0, 8).PixelData[0] = 77;
    image.InterlaceMode = 1;
    EXPECT_EQ(FilteredData(image), (Bytes{1, 77}));
}

TEST(ImageDataTest, Adam7PassLinesOfOneBitPixelsLeaveTheirUnusedBitsZero) {
    TPNGObject image;
    pngtest::BuildImage(image, 3, 1, 0, 1).PixelData[0] = 0xBF;  // pixels 1 0 1, then padding bits set
    image.InterlaceMode = 1;
    // Pass 1 holds column 0, pass 4 column 2, pass 6 column 1.
    EXPECT_EQ(FilteredData(image), (Bytes{1, 0x80, 1, 0x80, 1, 0x00}));
}

// A stream of exactly k limits fills k chunks, one byte more opens another.
TEST(ImageDataTest, TheStreamIsCutIntoFullChunksAndOneWithTheRest) {
    TPNGObject image;
    FillNoise(pngtest::BuildImage(image, 61, 17, 2, 8), 9);
    image.IdatLimit = 1 << 20;
    const Bytes stream = testsupport::JoinedIdat(testsupport::ReadChunks(pngtest::SaveToBytes(image)));
    std::uint32_t divisor = static_cast<std::uint32_t>(stream.size()) / 3;
    while (stream.size() % divisor) --divisor;
    ASSERT_GT(divisor, 1u);
    const auto total = static_cast<std::uint32_t>(stream.size());
    for (const std::uint32_t limit : {total, total - 1, divisor, divisor - 1, 1000u}) {
        image.IdatLimit = static_cast<std::int32_t>(limit);
        const auto chunks = testsupport::ReadChunks(pngtest::SaveToBytes(image));
        std::vector<std::size_t> sizes;
        for (const auto& chunk : chunks)
            if (chunk.type == "IDAT") sizes.push_back(chunk.data.size());
        const std::size_t full = stream.size() / limit, rest = stream.size() % limit;
        std::vector<std::size_t> expected(full, limit);
        if (rest) expected.push_back(rest);
        EXPECT_EQ(sizes, expected) << "limit " << limit;
        EXPECT_EQ(testsupport::JoinedIdat(chunks), stream) << "limit " << limit;
    }
}

TEST(ImageDataTest, AZlibErrorFailsTheSaveBeforeAnyImageData) {
    TPNGObject image;
    pngtest::BuildImage(image, 4, 4, 2, 8);
    image.DeflateLevel = 10;
    vcl::TMemoryStream stream;
    try {
        image.SaveToStream(stream);
        FAIL() << "saved with an invalid compression level";
    } catch (const EPngError& e) {
        EXPECT_EQ(std::string(e.what()), "Could not compress the image data.\r\n Description: stream error (-2)");
    }
    EXPECT_EQ(stream.Bytes().size(), 8u + 25u) << "signature and header only";
}

TEST(ImageDataTest, ImagesWithoutAnEncodingAreRefused) {
    struct Case {
        const char* name;
        void (*spoil)(TPNGObject&, TChunkIHDR&);
    };
    const Case cases[] = {
        {"interlace method 2", [](TPNGObject& image, TChunkIHDR&) { image.InterlaceMode = 2; }},
        {"no packer for depth 3", [](TPNGObject&, TChunkIHDR& header) { header.BitDepth = 3; }},
        {"colour type 5", [](TPNGObject&, TChunkIHDR& header) { header.ColorType = 5; }},
        {"width grown after allocation", [](TPNGObject&, TChunkIHDR& header) { header.Width = 1000; }},
        {"alpha type without an alpha plane", [](TPNGObject&, TChunkIHDR& header) { header.ColorType = 6; }},
        {"zero height", [](TPNGObject&, TChunkIHDR& header) { header.Height = 0; header.AllocateImage(); }},
        {"IDAT limit 0", [](TPNGObject& image, TChunkIHDR&) { image.IdatLimit = 0; }},
    };
    for (const Case& c : cases) {
        TPNGObject image;
        TChunkIHDR& header = pngtest::BuildImage(image, 4, 4, 2, 8);
        c.spoil(image, header);
        vcl::TMemoryStream stream;
        EXPECT_THROW(image.ChunkSequence.ItemAt(1)->WriteChunk(stream), EPngError) << c.name;
        EXPECT_TRUE(stream.Bytes().empty()) << c.name;
    }
}

TEST(ImageDataTest, ImageDataWithoutAHeaderFirstIsAnInvalidCast) {
    TPNGObject image;
    image.ChunkSequence.Append(new TChunkIEND(image));
    auto* data = new TChunkIDAT(image);
    image.ChunkSequence.Append(data);
    vcl::TMemoryStream stream;
    EXPECT_THROW(data->WriteChunk(stream), vcl::EInvalidCast);
    EXPECT_TRUE(stream.Bytes().empty());
}

// Rows of every width cover the fused pack-and-filter loop's head, body and tail.
TEST(ImageDataTest, SubFilteredTruecolourRowsRestoreToTheirPixelsAtEveryWidth) {
    for (std::uint32_t width = 1; width <= 48; ++width) {
        TPNGObject image;
        TChunkIHDR& header = pngtest::BuildImage(image, width, 3, 2, 8);
        FillNoise(header, width);
        const Bytes data = FilteredData(image);
        const std::size_t lineBytes = 3 * width;
        ASSERT_EQ(data.size(), 3 * (lineBytes + 1));
        for (std::uint32_t y = 0; y < 3; ++y) {
            const std::uint8_t* line = &data[y * (lineBytes + 1)];
            ASSERT_EQ(line[0], 1) << "Sub";
            const Bytes restored = Unfiltered(line + 1, lineBytes, 3);
            for (std::uint32_t x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(restored[3 * x + c], image.PixelRow(y)[3 * x + 2 - c]) << "width " << width;
        }
    }
}

}  // namespace
