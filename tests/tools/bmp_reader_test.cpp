#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tools/bmp_test_image.h"
#include "tools/png-encode/bmp_reader.h"

namespace {

using bmptest::HeaderKind;
using bmptest::Masks;
using bmptest::TestImage;
namespace offset = bmptest::offset;

std::vector<TestImage> FormatCases() {
    std::vector<TestImage> cases;
    const std::pair<HeaderKind, const char*> headers[] = {
        {HeaderKind::Info, "Info"}, {HeaderKind::V4, "V4"}, {HeaderKind::V5, "V5"}};
    struct Layout {
        int bits;
        bool bitfields;
        Masks masks;
        const char* name;
    };
    const Layout layouts[] = {
        {1, false, {}, "Bits1"},
        {4, false, {}, "Bits4"},
        {8, false, {}, "Bits8"},
        {24, false, {}, "Bits24"},
        {16, false, {}, "Bits16Rgb555"},
        {16, true, bmptest::Masks555, "Bits16Fields555"},
        {16, true, bmptest::Masks565, "Bits16Fields565"},
        {32, false, {}, "Bits32Rgb"},
        {32, true, bmptest::Masks888, "Bits32Fields888"},
        {32, true, {0x0000FF, 0x00FF00, 0xFF0000}, "Bits32FieldsSwapped"},
        {32, true, {0x3FF00000, 0x000FFC00, 0x000003FF}, "Bits32Fields101010"},
    };
    for (const Layout& layout : layouts)
        for (const auto& [header, headerName] : headers)
            for (bool topDown : {false, true}) {
                TestImage image = bmptest::MakeImage(std::string(layout.name) + headerName + (topDown ? "TopDown" : "BottomUp"),
                                                     layout.bits, 13, 5, topDown, header, layout.bitfields, layout.masks);
                image.paddingByte = 0xA5;
                image.gap = header == HeaderKind::V4 ? 6 : 0;  // pixels start where the offset says
                cases.push_back(std::move(image));
            }
    cases.push_back(bmptest::MakeImage("Bits16Fields565V3", 16, 13, 5, false, HeaderKind::V3, true, bmptest::Masks565));
    cases.push_back(bmptest::MakeImage("Bits8ShortTable", 8, 13, 5, false, HeaderKind::Info, false, {}, 5));
    cases.push_back(bmptest::MakeImage("Bits4ShortTableTopDown", 4, 13, 5, true, HeaderKind::V5, false, {}, 3));
    cases.push_back(bmptest::MakeImage("Bits1OneColour", 1, 13, 5, false, HeaderKind::Info, false, {}, 1));
    return cases;
}

std::vector<std::uint8_t> TopDownBgr(const vcl::MemoryDib& dib) {
    vcl::BitmapInfo info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = dib.Format().width;
    info.bmiHeader.biHeight = -dib.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    const auto stride = static_cast<std::size_t>(vcl::MemoryDib::RowBytes(dib.Format().width, 24));
    std::vector<std::uint8_t> bgr(stride * static_cast<std::size_t>(dib.Height()));
    EXPECT_EQ(dib.GetDIBits(0, dib.Height(), bgr.data(), info), dib.Height());
    return bgr;
}

class BmpReaderFormats : public testing::TestWithParam<TestImage> {};

TEST_P(BmpReaderFormats, KeepsFormatRowsAndColours) {
    const TestImage& image = GetParam();
    const vcl::MemoryDib dib = bmp::ReadBmp(bmptest::WriteBmp(image));

    const vcl::DibFormat& format = dib.Format();
    EXPECT_EQ(format.width, image.width);
    EXPECT_EQ(format.height, image.topDown ? -image.height : image.height);
    EXPECT_EQ(format.bitCount, image.bitCount);
    ASSERT_EQ(format.colors.size(), image.colors.size());
    for (std::size_t i = 0; i < image.colors.size(); ++i) {
        EXPECT_EQ(format.colors[i].rgbRed, image.colors[i].rgbRed) << i;
        EXPECT_EQ(format.colors[i].rgbGreen, image.colors[i].rgbGreen) << i;
        EXPECT_EQ(format.colors[i].rgbBlue, image.colors[i].rgbBlue) << i;
    }
    // Rows arrive in picture order, with the file's padding junk cleared.
    for (int y = 0; y < image.height; ++y) {
        const std::vector<std::uint8_t> expected = bmptest::PackedRow(image, y, 0);
        EXPECT_EQ(std::vector<std::uint8_t>(dib.ScanLine(y), dib.ScanLine(y) + dib.Stride()), expected) << "row " << y;
    }

    const std::vector<std::uint8_t> bgr = TopDownBgr(dib);
    const auto stride = static_cast<std::size_t>(vcl::MemoryDib::RowBytes(image.width, 24));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const auto rgb = bmptest::ExpectedRgb(image, x, y);
            const std::uint8_t* pixel = &bgr[y * stride + 3 * static_cast<std::size_t>(x)];
            ASSERT_EQ((std::array<std::uint8_t, 3>{pixel[2], pixel[1], pixel[0]}), rgb) << "x " << x << " y " << y;
        }
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, BmpReaderFormats, testing::ValuesIn(FormatCases()),
                         [](const testing::TestParamInfo<TestImage>& info) { return info.param.name; });

TEST(BmpReader, PacksIndexedRowsOfEveryWidth) {
    for (int bits : {1, 4})
        for (int width = 1; width <= 17; ++width) {
            TestImage image = bmptest::MakeImage("", bits, width, 3, false, HeaderKind::Info);
            image.paddingByte = 0xFF;
            const vcl::MemoryDib dib = bmp::ReadBmp(bmptest::WriteBmp(image));
            for (int y = 0; y < 3; ++y)
                ASSERT_EQ(std::vector<std::uint8_t>(dib.ScanLine(y), dib.ScanLine(y) + dib.Stride()),
                          bmptest::PackedRow(image, y, 0))
                    << bits << " bits, width " << width << ", row " << y;
        }
}

TEST(BmpReader, IgnoresMaskFieldsOfUncompressedV4Headers) {
    const TestImage image = bmptest::MakeImage("", 16, 7, 3, false, HeaderKind::V4);
    std::vector<std::uint8_t> file = bmptest::WriteBmp(image);
    bmptest::Poke32(file, offset::Masks, 0xF800);
    bmptest::Poke32(file, offset::Masks + 4, 0x07E0);
    bmptest::Poke32(file, offset::Masks + 8, 0x001F);
    const vcl::MemoryDib dib = bmp::ReadBmp(file);
    EXPECT_EQ(dib.Format().redMask, bmptest::Masks555.red);
    EXPECT_EQ(dib.Format().greenMask, bmptest::Masks555.green);
    EXPECT_EQ(dib.Format().blueMask, bmptest::Masks555.blue);
}

// ---- Refused input ----

std::vector<std::uint8_t> Bmp8() { return bmptest::WriteBmp(bmptest::MakeImage("", 8, 13, 5, false, HeaderKind::Info)); }
std::vector<std::uint8_t> Bmp4() { return bmptest::WriteBmp(bmptest::MakeImage("", 4, 13, 5, false, HeaderKind::Info)); }
std::vector<std::uint8_t> Bmp24() { return bmptest::WriteBmp(bmptest::MakeImage("", 24, 13, 5, false, HeaderKind::Info)); }
std::vector<std::uint8_t> Bmp16Fields() {
    return bmptest::WriteBmp(bmptest::MakeImage("", 16, 13, 5, false, HeaderKind::Info, true, bmptest::Masks565));
}
std::vector<std::uint8_t> Bmp32V5() { return bmptest::WriteBmp(bmptest::MakeImage("", 32, 13, 5, true, HeaderKind::V5)); }

struct BadInput {
    const char* name;
    std::function<std::vector<std::uint8_t>()> make;
    const char* messagePart;
};

template <typename Change>
std::function<std::vector<std::uint8_t>()> Changed(std::vector<std::uint8_t> (*base)(), Change change) {
    return [=] {
        std::vector<std::uint8_t> file = base();
        change(file);
        return file;
    };
}

auto Set32(std::size_t at, std::uint32_t value) {
    return [=](std::vector<std::uint8_t>& file) { bmptest::Poke32(file, at, value); };
}
auto Set16(std::size_t at, std::uint16_t value) {
    return [=](std::vector<std::uint8_t>& file) { bmptest::Poke16(file, at, value); };
}
auto CutTo(std::size_t size) {
    return [=](std::vector<std::uint8_t>& file) { file.resize(size); };
}
auto SetMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return [=](std::vector<std::uint8_t>& file) {
        bmptest::Poke32(file, offset::Masks, red);
        bmptest::Poke32(file, offset::Masks + 4, green);
        bmptest::Poke32(file, offset::Masks + 8, blue);
    };
}

const BadInput BadInputs[] = {
    {"Empty", [] { return std::vector<std::uint8_t>{}; }, "not a BMP"},
    {"OneByte", [] { return std::vector<std::uint8_t>{'B'}; }, "not a BMP"},
    {"OtherSignature", Changed(Bmp24, [](auto& f) { f[1] = 'A'; }), "not a BMP"},
    {"TextFile", [] { return std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o', '\n'}; }, "not a BMP"},
    {"FileHeaderCut", Changed(Bmp24, CutTo(16)), "truncated"},
    {"InfoHeaderCut", Changed(Bmp24, CutTo(34)), "truncated"},
    {"V5HeaderCut", Changed(Bmp32V5, CutTo(14 + 100)), "truncated"},
    {"CoreHeader", Changed(Bmp24, Set32(offset::HeaderSize, 12)), "OS/2"},
    {"Os2V2Header", Changed(Bmp24, Set32(offset::HeaderSize, 64)), "header size"},
    {"HugeHeaderSize", Changed(Bmp24, Set32(offset::HeaderSize, 0xFFFFFFFF)), "header size"},
    {"TwoPlanes", Changed(Bmp24, Set16(offset::Planes, 2)), "planes"},
    {"ZeroBitCount", Changed(Bmp24, Set16(offset::BitCount, 0)), "bit count"},
    {"TwoBitPixels", Changed(Bmp4, Set16(offset::BitCount, 2)), "bit count"},
    {"FortyEightBitPixels", Changed(Bmp24, Set16(offset::BitCount, 48)), "bit count"},
    {"Rle8", Changed(Bmp8, Set32(offset::Compression, 1)), "RLE"},
    {"Rle4", Changed(Bmp4, Set32(offset::Compression, 2)), "RLE"},
    {"Jpeg", Changed(Bmp24, Set32(offset::Compression, 4)), "JPEG or PNG"},
    {"Png", Changed(Bmp24, Set32(offset::Compression, 5)), "JPEG or PNG"},
    {"AlphaBitfields", Changed(Bmp16Fields, Set32(offset::Compression, 6)), "compression 6"},
    {"UnknownCompression", Changed(Bmp24, Set32(offset::Compression, 0x20)), "compression"},
    {"BitfieldsOn24Bits", Changed(Bmp24, Set32(offset::Compression, 3)), "bit-field"},
    {"BitfieldsOn8Bits", Changed(Bmp8, Set32(offset::Compression, 3)), "bit-field"},
    {"ZeroWidth", Changed(Bmp24, Set32(offset::Width, 0)), "size"},
    {"NegativeWidth", Changed(Bmp24, Set32(offset::Width, 0xFFFFFFF3)), "size"},
    {"ZeroHeight", Changed(Bmp24, Set32(offset::Height, 0)), "size"},
    {"LowestHeight", Changed(Bmp24, Set32(offset::Height, 0x80000000)), "size"},
    {"HugeWidth", Changed(Bmp24, Set32(offset::Width, 0x7FFFFFFF)), "truncated"},
    {"HugeHeight", Changed(Bmp24, Set32(offset::Height, 0x7FFFFFFF)), "truncated"},
    {"HugeTopDownHeight", Changed(Bmp24, Set32(offset::Height, 0x80000001)), "truncated"},
    {"HugeBothWays32Bits",
     Changed(Bmp32V5, [](auto& f) { bmptest::Poke32(f, offset::Width, 0x7FFFFFFF), bmptest::Poke32(f, offset::Height, 0x7FFFFFFF); }),
     "truncated"},
    {"PixelOffsetPastEnd", Changed(Bmp24, Set32(offset::PixelOffset, 0xFFFFFFFF)), "past the end"},
    {"PixelOffsetIntoHeader", Changed(Bmp24, Set32(offset::PixelOffset, 20)), "into the headers"},
    {"PixelOffsetIntoColourTable", Changed(Bmp8, Set32(offset::PixelOffset, 54 + 4)), "into the headers"},
    {"PixelOffsetIntoMasks", Changed(Bmp16Fields, Set32(offset::PixelOffset, 58)), "into the headers"},
    {"PixelsShortByOneByte", [] { auto f = Bmp24(); f.pop_back(); return f; }, "truncated"},
    {"PixelsMissing", Changed(Bmp8, CutTo(54 + 1024)), "truncated"},
    {"MoreColoursThanIndices", Changed(Bmp8, Set32(offset::ColorsUsed, 257)), "colours"},
    {"HugeColourCount", Changed(Bmp4, Set32(offset::ColorsUsed, 0xFFFFFFFF)), "colours"},
    {"ColourTableCut", Changed(Bmp8, CutTo(54 + 500)), "colour table"},
    {"MasksCut", Changed(Bmp16Fields, CutTo(60)), "masks"},
    {"RedMaskZero", Changed(Bmp16Fields, SetMasks(0, 0x07E0, 0x001F)), "red bit-field mask is zero"},
    {"GreenMaskZero", Changed(Bmp16Fields, SetMasks(0xF800, 0, 0x001F)), "green bit-field mask is zero"},
    {"BlueMaskZero", Changed(Bmp16Fields, SetMasks(0xF800, 0x07E0, 0)), "blue bit-field mask is zero"},
    {"MasksOverlap", Changed(Bmp16Fields, SetMasks(0xFC00, 0x07E0, 0x001F)), "overlap"},
    {"MaskNotContiguous", Changed(Bmp16Fields, SetMasks(0xF400, 0x03E0, 0x001F)), "not contiguous"},
    {"MaskBeyondSixteenBits", Changed(Bmp16Fields, SetMasks(0x1F0000, 0x07E0, 0x001F)), "exceeds"},
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class BmpReaderRefuses : public testing::TestWithParam<BadInput> {};

TEST_P(BmpReaderRefuses, WithOneLineMessage) {
    const std::vector<std::uint8_t> file = GetParam().make();
    try {
        bmp::ReadBmp(file);
        FAIL() << "accepted";
    } catch (const bmp::EBmpError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(GetParam().messagePart), std::string::npos) << message;
        EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(BadFiles, BmpReaderRefuses, testing::ValuesIn(BadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

// Reading any bytes either yields a bitmap the file can hold or raises EBmpError.
void ExpectReadOrRefuse(const std::vector<std::uint8_t>& file, const std::string& what) {
    try {
        const vcl::MemoryDib dib = bmp::ReadBmp(file);
        EXPECT_LE(dib.Stride() * static_cast<std::size_t>(dib.Height()), file.size()) << what;
    } catch (const bmp::EBmpError&) {
    } catch (const std::exception& error) {
        ADD_FAILURE() << what << ": " << error.what();
    }
}

std::vector<std::vector<std::uint8_t>> SweepBases() {
    return {Bmp8(), Bmp4(), Bmp16Fields(), Bmp32V5(),
            bmptest::WriteBmp(bmptest::MakeImage("", 1, 9, 3, true, HeaderKind::V4, false, {}, 1)),
            bmptest::WriteBmp(bmptest::MakeImage("", 32, 3, 2, false, HeaderKind::V3, true, bmptest::Masks888))};
}

TEST(BmpReader, RefusesEveryTruncation) {
    for (const std::vector<std::uint8_t>& base : SweepBases())
        for (std::size_t size = 0; size < base.size(); ++size)
            EXPECT_THROW(bmp::ReadBmp(std::vector<std::uint8_t>(base.begin(), base.begin() + size)), bmp::EBmpError)
                << "size " << size << " of " << base.size();
}

TEST(BmpReader, SurvivesDamagedHeaders) {
    for (const std::vector<std::uint8_t>& base : SweepBases()) {
        const std::size_t headersEnd = base[offset::PixelOffset] | base[offset::PixelOffset + 1] << 8;
        for (std::size_t at = 0; at < headersEnd; ++at)
            for (const int value : {0x00, 0x01, 0x7F, 0x80, 0xFF, base[at] ^ 0x10}) {
                std::vector<std::uint8_t> file = base;
                file[at] = static_cast<std::uint8_t>(value);
                ExpectReadOrRefuse(file, "byte " + std::to_string(at) + " = " + std::to_string(value));
            }
    }
}

}  // namespace
