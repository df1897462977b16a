// Test pictures described pixel by pixel, written as BMP bytes by a small
// writer of its own, with the colours each pixel must come out as worked
// out here, apart from the reader under test.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/vcl/memory_dib.h"

namespace bmptest {

enum class HeaderKind { Info, V3, V4, V5 };  // 40, 56, 108 and 124 bytes
std::uint32_t HeaderSize(HeaderKind kind);

struct Masks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
};
inline constexpr Masks Masks555{0x7C00, 0x03E0, 0x001F};
inline constexpr Masks Masks565{0xF800, 0x07E0, 0x001F};
inline constexpr Masks Masks888{0xFF0000, 0x00FF00, 0x0000FF};

struct TestImage {
    std::string name;
    int width = 13;
    int height = 5;
    int bitCount = 24;
    bool topDown = false;
    HeaderKind header = HeaderKind::Info;
    bool bitfields = false;  // BI_BITFIELDS with `masks`; otherwise BI_RGB
    Masks masks;             // the layout of 16- and 32-bit pixels (BI_RGB: 5-5-5 or 8-8-8)
    std::vector<vcl::RGBQuad> colors;  // colour table of indexed pictures, written as is
    // Pixel values, top row first: colour indices, or packed pixels as the
    // file stores them (24 bits: 0xRRGGBB).
    std::vector<std::uint32_t> pixels;
    std::uint32_t gap = 0;           // bytes between the headers and the pixels
    std::uint8_t paddingByte = 0;    // fills row padding and unused bits
};

inline void PrintTo(const TestImage& image, std::ostream* out) { *out << image.name; }

// A picture of the given format whose pixels differ in every row and column
// and, for 16 and 32 bits, carry set bits outside the masks.
TestImage MakeImage(std::string name, int bitCount, int width, int height, bool topDown, HeaderKind header,
                    bool bitfields = false, Masks masks = {}, int colorCount = 0);

// Stored bytes of row y (0 = top): packed pixels, then padding to 32 bits.
std::vector<std::uint8_t> PackedRow(const TestImage& image, int y, std::uint8_t paddingByte);

// The whole BMP file.
std::vector<std::uint8_t> WriteBmp(const TestImage& image);

// The same picture built directly as an in-memory bitmap, padding zero.
vcl::MemoryDib MakeDib(const TestImage& image);

// The 8-bit red, green and blue that pixel (x, y) stands for.
std::array<std::uint8_t, 3> ExpectedRgb(const TestImage& image, int x, int y);

// Little-endian stores into a file under construction.
void Poke16(std::vector<std::uint8_t>& file, std::size_t offset, std::uint16_t value);
void Poke32(std::vector<std::uint8_t>& file, std::size_t offset, std::uint32_t value);

// Field offsets within a BMP file.
namespace offset {
inline constexpr std::size_t FileSize = 2;
inline constexpr std::size_t PixelOffset = 10;
inline constexpr std::size_t HeaderSize = 14;
inline constexpr std::size_t Width = 18;
inline constexpr std::size_t Height = 22;
inline constexpr std::size_t Planes = 26;
inline constexpr std::size_t BitCount = 28;
inline constexpr std::size_t Compression = 30;
inline constexpr std::size_t ColorsUsed = 46;
inline constexpr std::size_t Masks = 54;
}  // namespace offset

}  // namespace bmptest
