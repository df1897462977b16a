#include "tools/bmp_test_image.h"

#include <bit>
#include <cstring>
#include <utility>

namespace bmptest {
namespace {

constexpr std::uint32_t LcsSrgb = 0x73524742;  // 'sRGB'
constexpr std::uint32_t LcsGmImages = 4;

bool Indexed(int bitCount) { return bitCount <= 8; }

Masks EffectiveMasks(const TestImage& image) {
    if (image.bitfields) return image.masks;
    return image.bitCount == 16 ? Masks555 : Masks888;
}

std::uint32_t Stride(const TestImage& image) {
    return (static_cast<std::uint32_t>(image.width) * image.bitCount + 31) / 32 * 4;
}

std::uint32_t ChannelMax(std::uint32_t mask) { return mask >> std::countr_zero(mask); }

std::uint32_t Place(std::uint32_t value, std::uint32_t mask) { return (value << std::countr_zero(mask)) & mask; }

// Widens an n-bit channel to 8 bits: repeat its bits, or keep the top 8.
std::uint8_t Widen(std::uint32_t value, int bits) {
    if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
    std::uint32_t wide = 0;
    for (int shift = 8 - bits; shift > -bits; shift -= bits) wide |= shift >= 0 ? value << shift : value >> -shift;
    return static_cast<std::uint8_t>(wide);
}

std::uint8_t Extract(std::uint32_t pixel, std::uint32_t mask) {
    return Widen((pixel & mask) >> std::countr_zero(mask), std::popcount(mask));
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t PixelValue(const TestImage& image, int x, int y) {
    const std::uint32_t ux = static_cast<std::uint32_t>(x), uy = static_cast<std::uint32_t>(y);
    if (Indexed(image.bitCount)) return (ux * 3 + uy * 7 + ux * uy) % static_cast<std::uint32_t>(image.colors.size());
    const std::uint32_t r = ux * 41 + uy * 13 + 200, g = ux * 29 + uy * 61 + 7, b = ux * uy * 19 + ux * 5 + 90;
    if (image.bitCount == 24) return (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
    const Masks masks = EffectiveMasks(image);
    std::uint32_t pixel = Place(r % (ChannelMax(masks.red) + 1), masks.red) |
                          Place(g % (ChannelMax(masks.green) + 1), masks.green) |
                          Place(b % (ChannelMax(masks.blue) + 1), masks.blue);
    // Bits outside the masks (the 16th bit of 5-5-5, an alpha byte) must not matter.
    const std::uint32_t pixelBits = image.bitCount == 32 ? 0xFFFFFFFF : 0xFFFF;
    if ((x + y) % 2) pixel |= pixelBits & ~(masks.red | masks.green | masks.blue);
    return pixel;
}

}  // namespace

std::uint32_t HeaderSize(HeaderKind kind) {
    switch (kind) {
        case HeaderKind::Info: return 40;
        case HeaderKind::V3: return 56;
        case HeaderKind::V4: return 108;
        case HeaderKind::V5: return 124;
    }
    return 0;
}

TestImage MakeImage(std::string name, int bitCount, int width, int height, bool topDown, HeaderKind header,
                    bool bitfields, Masks masks, int colorCount) {
    TestImage image;
    image.name = std::move(name);
    image.width = width;
    image.height = height;
    image.bitCount = bitCount;
    image.topDown = topDown;
    image.header = header;
    image.bitfields = bitfields;
    image.masks = masks;
    if (Indexed(bitCount)) {
        const int count = colorCount ? colorCount : 1 << bitCount;
        // 37 is odd, so the blue bytes alone tell all 256 entries apart.
        for (int i = 0; i < count; ++i)
            image.colors.push_back({static_cast<std::uint8_t>(i * 37 + 11), static_cast<std::uint8_t>(i * 71 + 5),
                                    static_cast<std::uint8_t>(i * 113 + 200), 0x5A});
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.pixels.push_back(PixelValue(image, x, y));
    return image;
}

std::vector<std::uint8_t> PackedRow(const TestImage& image, int y, std::uint8_t paddingByte) {
    std::vector<std::uint8_t> row(Stride(image), paddingByte);
    const int bits = image.bitCount;
    for (int x = 0; x < image.width; ++x) {
        const std::uint32_t value = image.pixels[static_cast<std::size_t>(y) * image.width + x];
        if (Indexed(bits)) {
            const int bit = x * bits;
            const int shift = 8 - bits - bit % 8;
            const auto mask = static_cast<std::uint8_t>(((1u << bits) - 1) << shift);
            row[bit / 8] = static_cast<std::uint8_t>((row[bit / 8] & ~mask) | (value << shift));
        } else {
            for (int i = 0; i < bits / 8; ++i) row[x * bits / 8 + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    return row;
}

std::vector<std::uint8_t> WriteBmp(const TestImage& image) {
    const std::uint32_t headerSize = HeaderSize(image.header);
    const std::uint32_t masksAfterHeader = image.bitfields && image.header == HeaderKind::Info ? 12 : 0;
    const auto tableBytes = static_cast<std::uint32_t>(image.colors.size() * 4);
    const std::uint32_t pixelOffset = 14 + headerSize + masksAfterHeader + tableBytes + image.gap;
    const std::uint32_t pixelBytes = Stride(image) * static_cast<std::uint32_t>(image.height);
    const bool fullTable = image.colors.size() == (std::size_t{1} << image.bitCount);
    const Masks masks = image.bitfields ? image.masks : Masks{};

    std::vector<std::uint8_t> file{'B', 'M'};
    for (std::uint32_t value : {pixelOffset + pixelBytes, 0u, pixelOffset}) Put(file, value, 4);
    Put(file, headerSize, 4);
    Put(file, static_cast<std::uint32_t>(image.width), 4);
    Put(file, static_cast<std::uint32_t>(image.topDown ? -image.height : image.height), 4);
    Put(file, 1, 2);
    Put(file, static_cast<std::uint32_t>(image.bitCount), 2);
    const std::uint32_t colorsUsed = fullTable ? 0 : static_cast<std::uint32_t>(image.colors.size());
    for (std::uint32_t value : {image.bitfields ? 3u : 0u, pixelBytes, 2835u, 2835u, colorsUsed, 0u}) Put(file, value, 4);
    if (headerSize >= 56)
        for (std::uint32_t value : {masks.red, masks.green, masks.blue, 0u}) Put(file, value, 4);
    if (headerSize >= 108) {
        Put(file, LcsSrgb, 4);
        file.resize(file.size() + 36 + 12);  // endpoints and gamma, unused with sRGB
    }
    if (headerSize >= 124)
        for (std::uint32_t value : {LcsGmImages, 0u, 0u, 0u}) Put(file, value, 4);
    if (masksAfterHeader)
        for (std::uint32_t value : {masks.red, masks.green, masks.blue}) Put(file, value, 4);
    for (const vcl::RGBQuad& color : image.colors)
        file.insert(file.end(), {color.rgbBlue, color.rgbGreen, color.rgbRed, color.rgbReserved});
    file.resize(file.size() + image.gap, 0xEE);
    for (int stored = 0; stored < image.height; ++stored) {
        const std::vector<std::uint8_t> row =
            PackedRow(image, image.topDown ? stored : image.height - 1 - stored, image.paddingByte);
        file.insert(file.end(), row.begin(), row.end());
    }
    return file;
}

vcl::MemoryDib MakeDib(const TestImage& image) {
    vcl::DibFormat format;
    format.width = image.width;
    format.height = image.topDown ? -image.height : image.height;
    format.bitCount = static_cast<std::uint16_t>(image.bitCount);
    if (image.bitCount == 16 || image.bitCount == 32) {
        const Masks masks = EffectiveMasks(image);
        format.redMask = masks.red;
        format.greenMask = masks.green;
        format.blueMask = masks.blue;
    }
    format.colors = image.colors;
    vcl::MemoryDib dib(format);
    for (int y = 0; y < image.height; ++y) {
        const std::vector<std::uint8_t> row = PackedRow(image, y, 0);
        std::memcpy(dib.ScanLine(y), row.data(), row.size());
    }
    return dib;
}

std::array<std::uint8_t, 3> ExpectedRgb(const TestImage& image, int x, int y) {
    const std::uint32_t pixel = image.pixels[static_cast<std::size_t>(y) * image.width + x];
    if (Indexed(image.bitCount)) {
        const vcl::RGBQuad& color = image.colors[pixel];
        return {color.rgbRed, color.rgbGreen, color.rgbBlue};
    }
    if (image.bitCount == 24)
        return {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                static_cast<std::uint8_t>(pixel)};
    const Masks masks = EffectiveMasks(image);
    return {Extract(pixel, masks.red), Extract(pixel, masks.green), Extract(pixel, masks.blue)};
}

void Poke16(std::vector<std::uint8_t>& file, std::size_t offset, std::uint16_t value) {
    file.at(offset) = static_cast<std::uint8_t>(value);
    file.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void Poke32(std::vector<std::uint8_t>& file, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace bmptest
