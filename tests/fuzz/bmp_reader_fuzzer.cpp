// libFuzzer harness for png-encode's BMP reader: any bytes either yield a
// bitmap or raise EBmpError. A bitmap then goes the capture's way (import
// into a fresh image, save at the default settings), and libpng must read
// back its size and, where the file's pixels need no conversion, its pixels.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/vcl/graphics.h"
#include "png/pngimage.h"
#include "support/libpng_decoder.h"
#include "tools/png-encode/bmp_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bmp reader check failed: %s\n", what.c_str());
    std::abort();
}

void Require(bool holds, const char* what) {
    if (!holds) Fail(what);
}

std::uint32_t LittleEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

// The fields of an accepted file, read at their fixed places.
struct BmpFields {
    std::uint32_t pixelOffset;
    std::uint32_t headerSize;
    std::int32_t width;
    std::int32_t height;
    int bitCount;
    std::uint32_t compression;
    std::uint32_t colorsUsed;

    explicit BmpFields(const std::uint8_t* file)
        : pixelOffset(LittleEndian(file + 10, 4)),
          headerSize(LittleEndian(file + 14, 4)),
          width(static_cast<std::int32_t>(LittleEndian(file + 18, 4))),
          height(static_cast<std::int32_t>(LittleEndian(file + 22, 4))),
          bitCount(static_cast<int>(LittleEndian(file + 28, 2))),
          compression(LittleEndian(file + 30, 4)),
          colorsUsed(LittleEndian(file + 46, 4)) {}

    std::uint32_t Rows() const { return static_cast<std::uint32_t>(height < 0 ? -std::int64_t{height} : height); }
    std::size_t Stride() const { return (std::size_t(width) * bitCount + 31) / 32 * 4; }

    // The stored bytes of image row y (0 = top).
    const std::uint8_t* Row(const std::uint8_t* file, std::uint32_t y) const {
        const std::uint32_t stored = height < 0 ? y : Rows() - 1 - y;
        return file + pixelOffset + stored * Stride();
    }
};

Bytes SaveAsCapture(std::unique_ptr<vcl::MemoryDib> dib) {
    vcl::TBitmap bitmap(std::move(dib));
    png::TPNGObject image;
    vcl::TMemoryStream stream;
    try {
        image.Assign(&bitmap);
        image.SaveToStream(stream);
    } catch (const std::exception& error) {
        Fail(std::string("import or save raised: ") + error.what());
    }
    return stream.Bytes();
}

// 24- and 32-bit pixels without masks are blue, green, red (and a spare byte).
void CheckTrueColour(const testsupport::DecodedPng& png, const std::uint8_t* file, const BmpFields& bmp) {
    const std::uint32_t bytesPerPixel = static_cast<std::uint32_t>(bmp.bitCount / 8);
    for (std::uint32_t y = 0; y < png.height; ++y) {
        const std::uint8_t* row = bmp.Row(file, y);
        for (std::uint32_t x = 0; x < png.width; ++x)
            for (int c = 0; c < 3; ++c)
                Require(png.Sample(x, y, c) == row[x * bytesPerPixel + 2 - c], "a pixel's colour changed");
    }
}

// Indices are kept; the palette is the file's colour table, black beyond it.
void CheckIndexed(const testsupport::DecodedPng& png, const std::uint8_t* file, const BmpFields& bmp) {
    const int bits = bmp.bitCount;
    for (std::uint32_t y = 0; y < png.height; ++y) {
        const std::uint8_t* row = bmp.Row(file, y);
        for (std::uint32_t x = 0; x < png.width; ++x) {
            const std::size_t bit = std::size_t{x} * bits;
            const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            Require(png.Sample(x, y, 0) == index, "a pixel's index changed");
        }
    }
    const std::uint32_t tableSize = bmp.colorsUsed ? bmp.colorsUsed : 1u << bits;
    const std::uint8_t* table = file + 14 + bmp.headerSize;
    Require(png.palette.size() == 1u << bits, "the palette is not of the bit depth's size");
    for (std::uint32_t i = 0; i < png.palette.size(); ++i) {
        const std::uint8_t* entry = table + 4 * i;
        const std::array<std::uint8_t, 3> expected =
            i < tableSize ? std::array<std::uint8_t, 3>{entry[2], entry[1], entry[0]} : std::array<std::uint8_t, 3>{};
        Require(png.palette[i] == expected, "a palette entry differs from the colour table");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<vcl::MemoryDib> dib;
    try {
        dib = std::make_unique<vcl::MemoryDib>(bmp::ReadBmp({data, size}));
    } catch (const bmp::EBmpError&) {
        return 0;
    }
    const BmpFields bmp(data);
    Require(dib->Format().width == bmp.width && static_cast<std::uint32_t>(dib->Height()) == bmp.Rows(),
            "the bitmap has another size than the file");

    testsupport::DecodedPng png;
    try {
        png = testsupport::DecodeWithLibpng(SaveAsCapture(std::move(dib)));
    } catch (const std::exception& error) {
        Fail(std::string("libpng: ") + error.what());
    }
    Require(png.width == static_cast<std::uint32_t>(bmp.width) && png.height == bmp.Rows(),
            "libpng reads another size");
    if (bmp.bitCount <= 8)
        CheckIndexed(png, data, bmp);
    else if (bmp.compression == 0 && bmp.bitCount >= 24)
        CheckTrueColour(png, data, bmp);
    return 0;
}
