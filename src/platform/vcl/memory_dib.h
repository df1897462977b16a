// A device-independent bitmap held in memory, usable wherever a device
// bitmap is expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/vcl/graphics.h"

namespace vcl {

struct DibFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: rows stored top-down
    std::uint16_t bitCount = 24;  // 1, 4, 8, 16, 24 or 32
    // Channel masks of 16- and 32-bit pixels; all zero means the plain
    // layouts (5-5-5 for 16 bits, 8-8-8 with an unused byte for 32 bits).
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    // Colour table of 1-, 4- and 8-bit bitmaps; may hold fewer than 2^bitCount entries.
    std::vector<RGBQuad> colors;
};

class MemoryDib : public DeviceBitmap {
public:
    // Makes a bitmap of zero pixels. Raises EConvertError for an unsupported
    // format and EOutOfMemory when the pixels would not fit in memory.
    explicit MemoryDib(DibFormat format);

    // Bytes per stored row: the bits of one row, padded to whole 32-bit words.
    static std::uint64_t RowBytes(std::int64_t width, int bitCount);

    const DibFormat& Format() const noexcept { return FFormat; }
    std::size_t Stride() const noexcept { return FStride; }
    int Height() const noexcept { return FFormat.height < 0 ? -FFormat.height : FFormat.height; }

    // The stored bytes of image row y, where row 0 is the top row.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;

    BitmapRecord GetObject() const override;
    int GetDIBits(int startScan, int scanLines, void* bits, BitmapInfo& info) const override;

private:
    void RowToBgr(const std::uint8_t* source, std::uint8_t* target) const;

    DibFormat FFormat;
    std::size_t FStride;
    std::vector<std::uint8_t> FBits;
};

}  // namespace vcl
