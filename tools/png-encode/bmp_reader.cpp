#include "tools/png-encode/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace bmp {
namespace {

constexpr std::uint64_t FileHeaderSize = 14;
constexpr std::uint64_t InfoHeaderOffset = FileHeaderSize;
// BITMAPINFOHEADER, and the V2, V3, V4 and V5 headers that extend it.
constexpr std::uint32_t AcceptedHeaderSizes[] = {40, 52, 56, 108, 124};
constexpr std::uint32_t BasicHeaderSize = 40;
constexpr std::uint32_t CoreHeaderSize = 12;
// The red, green and blue masks follow the first 40 header bytes: inside a
// V2 or later header, or after a plain BITMAPINFOHEADER.
constexpr std::uint64_t MaskOffset = InfoHeaderOffset + BasicHeaderSize;
constexpr std::uint64_t MaskBytes = 12;
constexpr std::uint64_t ColorEntryBytes = 4;

enum Compression : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5 };

[[noreturn]] void Refuse(const std::string& message) { throw EBmpError(message); }

// Little-endian fields of the file; callers check the range with Has first.
class FileBytes {
public:
    explicit FileBytes(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}

    std::uint64_t Size() const { return FBytes.size(); }
    bool Has(std::uint64_t offset, std::uint64_t count) const { return offset <= Size() && count <= Size() - offset; }
    const std::uint8_t* At(std::uint64_t offset) const { return FBytes.data() + offset; }

    std::uint16_t U16(std::uint64_t offset) const { return static_cast<std::uint16_t>(Value(offset, 2)); }
    std::uint32_t U32(std::uint64_t offset) const { return Value(offset, 4); }
    std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(Value(offset, 4)); }

private:
    std::uint32_t Value(std::uint64_t offset, int bytes) const {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | FBytes[offset + static_cast<std::uint64_t>(i)];
        return value;
    }

    std::span<const std::uint8_t> FBytes;
};

struct InfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

std::uint32_t ReadPixelOffset(const FileBytes& file) {
    if (!file.Has(0, 2) || file.At(0)[0] != 'B' || file.At(0)[1] != 'M') Refuse("not a BMP file (no \"BM\" signature)");
    if (!file.Has(0, FileHeaderSize + 4)) Refuse("truncated BMP file: the file header is incomplete");
    return file.U32(10);
}

InfoHeader ReadInfoHeader(const FileBytes& file) {
    InfoHeader header;
    header.size = file.U32(InfoHeaderOffset);
    if (header.size == CoreHeaderSize) Refuse("OS/2 1.x BMP files (12-byte header) are not supported");
    if (std::ranges::find(AcceptedHeaderSizes, header.size) == std::end(AcceptedHeaderSizes))
        Refuse("unsupported BMP header size " + std::to_string(header.size));
    if (!file.Has(InfoHeaderOffset, header.size))
        Refuse("truncated BMP file: the " + std::to_string(header.size) + "-byte info header runs past the end");
    header.width = file.I32(InfoHeaderOffset + 4);
    header.height = file.I32(InfoHeaderOffset + 8);
    header.planes = file.U16(InfoHeaderOffset + 12);
    header.bitCount = file.U16(InfoHeaderOffset + 14);
    header.compression = file.U32(InfoHeaderOffset + 16);
    header.colorsUsed = file.U32(InfoHeaderOffset + 32);
    return header;
}

void CheckPixelFormat(const InfoHeader& header) {
    const std::uint32_t compression = header.compression;
    if (compression == BI_RLE8 || compression == BI_RLE4) Refuse("RLE-compressed BMP files are not supported");
    if (compression == BI_JPEG || compression == BI_PNG) Refuse("BMP files holding JPEG or PNG data are not supported");
    if (compression != BI_RGB && compression != BI_BITFIELDS)
        Refuse("unsupported BMP compression " + std::to_string(compression));
    if (header.planes != 1) Refuse("invalid BMP: " + std::to_string(header.planes) + " colour planes (must be 1)");
    const int bits = header.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Refuse("unsupported BMP bit count " + std::to_string(bits));
    if (compression == BI_BITFIELDS && bits != 16 && bits != 32)
        Refuse("invalid BMP: bit-field masks with " + std::to_string(bits) + " bits per pixel");
    if (header.width <= 0 || header.height == 0 || header.height == std::numeric_limits<std::int32_t>::min())
        Refuse("invalid BMP size " + std::to_string(header.width) + " x " + std::to_string(header.height));
}

void CheckMask(std::uint32_t mask, const char* channel, int bitCount) {
    const std::string name = std::string("the ") + channel + " bit-field mask";
    if (mask == 0) Refuse("invalid BMP: " + name + " is zero");
    const std::uint64_t run = std::uint64_t{mask} >> std::countr_zero(mask);
    if (!std::has_single_bit(run + 1)) Refuse("invalid BMP: " + name + " is not contiguous");
    if (bitCount < 32 && (mask >> bitCount) != 0) Refuse("invalid BMP: " + name + " exceeds the pixel size");
}

void SetMasks(vcl::DibFormat& format, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    format.redMask = red;
    format.greenMask = green;
    format.blueMask = blue;
}

// Fills the masks of 16- and 32-bit pixels; returns where the masks end.
std::uint64_t ReadMasks(const FileBytes& file, const InfoHeader& header, vcl::DibFormat& format) {
    const std::uint64_t headerEnd = InfoHeaderOffset + header.size;
    if (header.compression == BI_RGB) {
        // Uncompressed 16- and 32-bit pixels have fixed layouts: 5-5-5 and 8-8-8.
        if (header.bitCount == 16) SetMasks(format, 0x7C00, 0x03E0, 0x001F);
        if (header.bitCount == 32) SetMasks(format, 0xFF0000, 0x00FF00, 0x0000FF);
        return headerEnd;
    }
    if (!file.Has(MaskOffset, MaskBytes)) Refuse("truncated BMP file: the bit-field masks run past the end");
    SetMasks(format, file.U32(MaskOffset), file.U32(MaskOffset + 4), file.U32(MaskOffset + 8));
    CheckMask(format.redMask, "red", header.bitCount);
    CheckMask(format.greenMask, "green", header.bitCount);
    CheckMask(format.blueMask, "blue", header.bitCount);
    if ((format.redMask & format.greenMask) || (format.redMask & format.blueMask) || (format.greenMask & format.blueMask))
        Refuse("invalid BMP: the bit-field masks overlap");
    return std::max(headerEnd, MaskOffset + MaskBytes);
}

// Reads the colour table of 1-, 4- and 8-bit pixels; returns where it ends.
std::uint64_t ReadColorTable(const FileBytes& file, const InfoHeader& header, std::uint64_t start,
                             vcl::DibFormat& format) {
    if (header.bitCount > 8) return start;
    const std::uint32_t fullSize = 1u << header.bitCount;
    if (header.colorsUsed > fullSize)
        Refuse("invalid BMP: " + std::to_string(header.colorsUsed) + " colours for " +
               std::to_string(header.bitCount) + " bits per pixel");
    const std::uint32_t count = header.colorsUsed ? header.colorsUsed : fullSize;
    if (!file.Has(start, count * ColorEntryBytes)) Refuse("truncated BMP file: the colour table runs past the end");
    format.colors.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = file.At(start + i * ColorEntryBytes);
        format.colors[i] = {entry[0], entry[1], entry[2], 0};
    }
    return start + count * ColorEntryBytes;
}

void CheckPixelRange(const FileBytes& file, std::uint64_t pixelOffset, std::uint64_t layoutEnd, std::uint64_t stride,
                     std::uint64_t rows) {
    if (pixelOffset < layoutEnd)
        Refuse("invalid BMP: the pixel data offset " + std::to_string(pixelOffset) + " points into the headers");
    if (pixelOffset > file.Size())
        Refuse("truncated BMP file: the pixel data offset " + std::to_string(pixelOffset) + " is past the end");
    const std::uint64_t available = file.Size() - pixelOffset;
    if (stride > available / rows) Refuse("truncated BMP file: the pixel data runs past the end");
}

// Copies the rows in the file's order, keeping the row padding (and any
// unused bits of an indexed row's last byte) zero, whatever the file holds.
void CopyRows(const FileBytes& file, std::uint64_t pixelOffset, vcl::MemoryDib& dib) {
    const vcl::DibFormat& format = dib.Format();
    const std::uint64_t rowBits = std::uint64_t(format.width) * format.bitCount;
    const std::size_t usedBytes = static_cast<std::size_t>((rowBits + 7) / 8);
    const auto lastByteMask = static_cast<std::uint8_t>(0xFF00u >> (rowBits % 8 ? rowBits % 8 : 8));
    const int rows = dib.Height();
    for (int y = 0; y < rows; ++y) {
        const int storedRow = format.height < 0 ? y : rows - 1 - y;
        std::uint8_t* target = dib.ScanLine(y);
        std::memcpy(target, file.At(pixelOffset + std::uint64_t(storedRow) * dib.Stride()), usedBytes);
        target[usedBytes - 1] &= lastByteMask;
    }
}

}  // namespace

vcl::MemoryDib ReadBmp(std::span<const std::uint8_t> bytes) {
    const FileBytes file(bytes);
    const std::uint32_t pixelOffset = ReadPixelOffset(file);
    const InfoHeader header = ReadInfoHeader(file);
    CheckPixelFormat(header);

    vcl::DibFormat format{header.width, header.height, header.bitCount, 0, 0, 0, {}};
    const std::uint64_t masksEnd = ReadMasks(file, header, format);
    const std::uint64_t layoutEnd = ReadColorTable(file, header, masksEnd, format);

    // Nothing is allocated before the file is known to hold every row.
    const std::uint64_t rows = header.height < 0 ? -std::int64_t{header.height} : header.height;
    CheckPixelRange(file, pixelOffset, layoutEnd, vcl::MemoryDib::RowBytes(header.width, header.bitCount), rows);

    vcl::MemoryDib dib(std::move(format));
    CopyRows(file, pixelOffset, dib);
    return dib;
}

}  // namespace bmp
