#include "platform/vcl/memory_dib.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "platform/vcl/sysutils.h"

namespace vcl {
namespace {

// One colour channel of a packed pixel, widened to 8 bits by repeating its bits.
struct Channel {
    explicit Channel(std::uint32_t mask)
        : FMask(mask),
          FShift(mask ? std::countr_zero(mask) : 0),
          FBits(std::popcount(mask)),
          FRepeats(FBits ? (8 + FBits - 1) / FBits : 0) {}

    std::uint8_t operator()(std::uint32_t pixel) const {
        if (FBits == 0) return 0;
        const std::uint32_t value = (pixel & FMask) >> FShift;
        if (FBits >= 8) return static_cast<std::uint8_t>(value >> (FBits - 8));
        std::uint32_t wide = 0;
        for (int i = 0; i < FRepeats; ++i) wide = (wide << FBits) | value;
        return static_cast<std::uint8_t>(wide >> (FRepeats * FBits - 8));
    }

private:
    std::uint32_t FMask;
    int FShift;
    int FBits;
    int FRepeats;
};

bool IsIndexed(int bitCount) { return bitCount == 1 || bitCount == 4 || bitCount == 8; }

std::uint32_t ReadLittleEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

}  // namespace

std::uint64_t MemoryDib::RowBytes(std::int64_t width, int bitCount) {
    return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitCount) + 31) / 32 * 4;
}

MemoryDib::MemoryDib(DibFormat format) : FFormat(std::move(format)) {
    const int bits = FFormat.bitCount;
    if (!(IsIndexed(bits) || bits == 16 || bits == 24 || bits == 32))
        throw EConvertError(vcl::Format("Unsupported bitmap depth: %d bits per pixel", {std::int64_t{bits}}));
    if (FFormat.width < 0 || FFormat.height == std::numeric_limits<std::int32_t>::min())
        throw EConvertError("Invalid bitmap size");
    if (!FFormat.redMask && !FFormat.greenMask && !FFormat.blueMask) {
        if (bits == 16) FFormat = {FFormat.width, FFormat.height, 16, 0x7C00, 0x03E0, 0x001F, {}};
        if (bits == 32) FFormat = {FFormat.width, FFormat.height, 32, 0xFF0000, 0x00FF00, 0x0000FF, {}};
    }
    const std::uint64_t stride = RowBytes(FFormat.width, bits);
    const std::uint64_t total = stride * static_cast<std::uint64_t>(Height());
    if (total > std::numeric_limits<std::size_t>::max() / 2) throw EOutOfMemory();
    FStride = static_cast<std::size_t>(stride);
    try {
        FBits.assign(static_cast<std::size_t>(total), 0);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
}

std::uint8_t* MemoryDib::ScanLine(int y) {
    return const_cast<std::uint8_t*>(std::as_const(*this).ScanLine(y));
}

const std::uint8_t* MemoryDib::ScanLine(int y) const {
    const int stored = FFormat.height < 0 ? y : Height() - 1 - y;
    return FBits.data() + static_cast<std::size_t>(stored) * FStride;
}

BitmapRecord MemoryDib::GetObject() const {
    return {FFormat.width, FFormat.height, FFormat.bitCount};
}

void MemoryDib::RowToBgr(const std::uint8_t* source, std::uint8_t* target) const {
    const int bits = FFormat.bitCount;
    const int width = FFormat.width;
    if (bits == 24) {
        std::memcpy(target, source, static_cast<std::size_t>(width) * 3);
    } else if (IsIndexed(bits)) {
        const int perByte = 8 / bits;
        const unsigned mask = (1u << bits) - 1;
        for (int x = 0; x < width; ++x) {
            const unsigned shift = static_cast<unsigned>(8 - bits * (x % perByte + 1));
            const unsigned index = (source[x / perByte] >> shift) & mask;
            const RGBQuad color = index < FFormat.colors.size() ? FFormat.colors[index] : RGBQuad{};
            target[3 * x] = color.rgbBlue;
            target[3 * x + 1] = color.rgbGreen;
            target[3 * x + 2] = color.rgbRed;
        }
    } else {
        const Channel red(FFormat.redMask), green(FFormat.greenMask), blue(FFormat.blueMask);
        const int bytes = bits / 8;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = ReadLittleEndian(source + x * bytes, bytes);
            target[3 * x] = blue(pixel);
            target[3 * x + 1] = green(pixel);
            target[3 * x + 2] = red(pixel);
        }
    }
}

int MemoryDib::GetDIBits(int startScan, int scanLines, void* bits, BitmapInfo& info) const {
    const BitmapInfoHeader& header = info.bmiHeader;
    const int targetBits = header.biBitCount;
    const bool sameIndexed = IsIndexed(targetBits) && targetBits == FFormat.bitCount;
    if (header.biWidth != FFormat.width || !(targetBits == 24 || sameIndexed)) return 0;
    const int targetHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (startScan < 0 || scanLines < 0 || targetHeight != Height() || startScan > Height()) return 0;
    scanLines = std::min(scanLines, Height() - startScan);

    const std::size_t targetStride = static_cast<std::size_t>(RowBytes(FFormat.width, targetBits));
    auto* out = static_cast<std::uint8_t*>(bits);
    for (int line = 0; line < scanLines; ++line) {
        const int scan = startScan + line;
        const int row = header.biHeight > 0 ? Height() - 1 - scan : scan;
        std::uint8_t* target = out + static_cast<std::size_t>(line) * targetStride;
        if (sameIndexed)
            std::memcpy(target, ScanLine(row), targetStride);
        else
            RowToBgr(ScanLine(row), target);
    }
    if (sameIndexed) {
        for (std::size_t i = 0; i < 256; ++i)
            info.bmiColors[i] = i < FFormat.colors.size() && i < (1u << targetBits) ? FFormat.colors[i] : RGBQuad{};
    }
    return scanLines;
}

}  // namespace vcl
