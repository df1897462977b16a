// A capture saved at the program's settings (RGB 8-bit, Sub on every line,
// deflate level 7, default strategy, 32 KiB window, memory level 8) carries
// the same zlib stream as libpng writes with those settings.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

#include "platform/vcl/graphics.h"
#include "platform/vcl/memory_dib.h"
#include "png/png_image.h"
#include "png_oracle/oracle_checks.h"

namespace {

using pngoracle::Bytes;

// Red, green, blue bytes, top row first.
struct RgbImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Bytes rgb;

    const std::uint8_t* Row(std::uint32_t y) const { return rgb.data() + std::size_t{y} * width * 3; }
};

using SampleFunction = std::uint8_t (*)(std::uint32_t x, std::uint32_t y, std::uint32_t channel);

RgbImage MakeImage(std::uint32_t width, std::uint32_t height, SampleFunction sample) {
    RgbImage image{width, height, {}};
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < 3; ++c) image.rgb.push_back(sample(x, y, c));
    return image;
}

// Saved the way the program saves a capture: a bottom-up 24-bit device
// bitmap assigned to a fresh image with its default settings.
Bytes SaveAsCapture(const RgbImage& image) {
    auto dib = std::make_unique<vcl::MemoryDib>(
        vcl::DibFormat{static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height), 24, 0, 0, 0, {}});
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::uint8_t* target = dib->ScanLine(static_cast<int>(y));
        const std::uint8_t* source = image.Row(y);
        for (std::uint32_t x = 0; x < image.width; ++x) {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
    }
    vcl::TBitmap bitmap(std::move(dib));
    png::TPNGObject png;
    png.Assign(&bitmap);
    return pngoracle::SaveToBytes(png);
}

struct LibpngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Bytes out;

    LibpngWriter() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (!png) throw std::runtime_error("png_create_write_struct failed");
        info = png_create_info_struct(png);
        png_set_write_fn(png, this, Write, nullptr);
    }
    ~LibpngWriter() { png_destroy_write_struct(&png, &info); }
    LibpngWriter(const LibpngWriter&) = delete;
    LibpngWriter& operator=(const LibpngWriter&) = delete;

    static void OnError(png_structp, png_const_charp message) { throw std::runtime_error(message); }
    static void OnWarning(png_structp, png_const_charp message) { throw std::runtime_error(message); }
    static void Write(png_structp png, png_bytep data, png_size_t count) {
        auto* self = static_cast<LibpngWriter*>(png_get_io_ptr(png));
        self->out.insert(self->out.end(), data, data + count);
    }
};

// libpng narrows the deflate window for image data of 16 KiB or less, which
// changes the zlib header; every image compared here is larger than that.
Bytes SaveWithLibpng(const RgbImage& image) {
    LibpngWriter writer;
    png_set_IHDR(writer.png, writer.info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(writer.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(writer.png, 7);
    png_set_compression_strategy(writer.png, Z_DEFAULT_STRATEGY);  // libpng's own default is Z_FILTERED
    png_set_compression_mem_level(writer.png, 8);
    png_set_compression_window_bits(writer.png, 15);
    png_write_info(writer.png, writer.info);
    for (std::uint32_t y = 0; y < image.height; ++y) png_write_row(writer.png, image.Row(y));
    png_write_end(writer.png, nullptr);
    return writer.out;
}

void ExpectSameImageData(const RgbImage& image) {
    const auto ours = pngoracle::ChunksOrFail(SaveAsCapture(image));
    const auto theirs = pngoracle::ChunksOrFail(SaveWithLibpng(image));
    ASSERT_TRUE(ours && theirs);
    pngoracle::ExpectWellFormed(*ours, 65535);
    EXPECT_EQ(pngoracle::ChunkLayout(*ours), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(ours->front().data, theirs->front().data) << "IHDR";

    const Bytes ourData = testsupport::JoinedIdat(*ours);
    const Bytes theirData = testsupport::JoinedIdat(*theirs);
    const auto [ourEnd, theirEnd] = std::mismatch(ourData.begin(), ourData.end(), theirData.begin(), theirData.end());
    EXPECT_TRUE(ourEnd == ourData.end() && theirEnd == theirData.end())
        << "image data differs from byte " << (ourEnd - ourData.begin()) << "; ours " << ourData.size()
        << " bytes, libpng's " << theirData.size();
}

struct SyntheticCase {
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
    SampleFunction sample;
};

std::uint8_t Gradient(std::uint32_t x, std::uint32_t y, std::uint32_t c) {
    return static_cast<std::uint8_t>(c == 0 ? x : c == 1 ? y * 2 : x + y);
}

std::uint8_t Noise(std::uint32_t x, std::uint32_t y, std::uint32_t c) {
    std::uint32_t h = (x * 73856093u) ^ (y * 19349663u) ^ ((c + 1) * 83492791u);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return static_cast<std::uint8_t>(h >> 16);
}

std::uint8_t Flat(std::uint32_t, std::uint32_t, std::uint32_t c) { return static_cast<std::uint8_t>(0x40 + c * 0x30); }

const SyntheticCase kSyntheticCases[] = {
    {"Gradient", 160, 120, Gradient},
    {"Noise", 97, 61, Noise},
    {"Flat", 128, 96, Flat},
    {"OddWidthPattern", 203, 77, pngoracle::PatternByte},
};

void PrintTo(const SyntheticCase& c, std::ostream* os) { *os << c.name; }

class LibpngParity : public testing::TestWithParam<SyntheticCase> {};

TEST_P(LibpngParity, ImageDataEqualsLibpngsByteForByte) {
    const SyntheticCase& c = GetParam();
    ExpectSameImageData(MakeImage(c.width, c.height, c.sample));
}

INSTANTIATE_TEST_SUITE_P(Synthetic, LibpngParity, testing::ValuesIn(kSyntheticCases),
                         [](const testing::TestParamInfo<SyntheticCase>& info) { return info.param.name; });

TEST(LibpngParityCorpus, ScreenshotImageDataEqualsLibpngsByteForByte) {
    const std::filesystem::path path = std::filesystem::path(TIVALO_CORPUS_DIR) / "mixed-1080.png";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no screenshot corpus at " << path;
    const auto decoded = pngoracle::DecodeOrFail(testsupport::ReadFileBytes(path.string()));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->colorType, PNG_COLOR_TYPE_RGB);
    ASSERT_EQ(decoded->bitDepth, 8);
    RgbImage image{decoded->width, decoded->height, Bytes(decoded->samples.begin(), decoded->samples.end())};
    ExpectSameImageData(image);
}

}  // namespace
