// Rebuilding an image from a device bitmap.
#include <limits>

#include "png/png_errors.h"
#include "png/png_image.h"
#include "png/pnglang.h"

namespace png {
namespace {

bool IsSupportedDepth(int bitsPixel) {
    switch (bitsPixel) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32: return true;
        default: return false;
    }
}

// Refuses records that no header can be built from: an empty or unset
// bitmap, or a depth that GDI bitmaps do not have.
void CheckRecord(const vcl::BitmapRecord& record) {
    if (record.bmWidth <= 0 || record.bmHeight == 0 || record.bmHeight == std::numeric_limits<std::int32_t>::min())
        SignalError<EPngError>(pnglang::EPNGEmptyBitmapText);
    if (!IsSupportedDepth(record.bmBitsPixel)) SignalError<EPngError>(pnglang::EPNGUnsupportedBitmapText);
}

// Header values from the bitmap's format, then its pixels, converted by the
// device bitmap into the header's buffer.
void HeaderFromBitmap(TChunkIHDR& header, const vcl::DeviceBitmap& handle, const vcl::BitmapRecord& record) {
    const bool truecolour = record.bmBitsPixel >= 16;
    header.Width = static_cast<std::uint32_t>(record.bmWidth);
    header.Height = static_cast<std::uint32_t>(record.bmHeight < 0 ? -record.bmHeight : record.bmHeight);
    header.BitDepth = truecolour ? 8 : static_cast<std::uint8_t>(record.bmBitsPixel);
    header.ColorType = truecolour ? 2 : 3;
    header.CompressionMethod = 0;
    header.InterlaceMethod = 0;
    header.AllocateImage();
    const int lines = static_cast<int>(header.Height);
    if (handle.GetDIBits(0, lines, header.PixelData, header.DibInfo) != lines)
        SignalError<EPngError>(pnglang::EPNGBitmapUnreadableText);
}

std::unique_ptr<Palette> PaletteFromDibColors(const vcl::BitmapInfo& info, std::uint32_t entries) {
    std::vector<PaletteEntry> colors(entries);
    for (std::uint32_t i = 0; i < entries; ++i)
        colors[i] = {info.bmiColors[i].rgbRed, info.bmiColors[i].rgbGreen, info.bmiColors[i].rgbBlue, 0};
    return std::make_unique<Palette>(std::move(colors));
}

}  // namespace

void TPNGObject::ImportBitmapHandle(const vcl::DeviceBitmap* handle, bool transparent, std::uint32_t transparentColor) {
    const vcl::BitmapRecord record = handle ? handle->GetObject() : vcl::BitmapRecord{};
    CheckRecord(record);
    // The new header is complete before the old chunks go, so a failed
    // import leaves the image as it was.
    auto header = std::make_unique<TChunkIHDR>(*this);
    HeaderFromBitmap(*header, *handle, record);
    DiscardChunks();
    const bool indexed = header->UsesPalette;
    std::vector<std::unique_ptr<TChunk>> chunks;
    chunks.push_back(std::move(header));
    if (indexed) chunks.push_back(std::make_unique<TChunkPLTE>(*this));
    if (transparent) chunks.push_back(std::make_unique<TChunktRNS>(*this));
    chunks.push_back(std::make_unique<TChunkIDAT>(*this));
    chunks.push_back(std::make_unique<TChunkIEND>(*this));
    // The list owns the chunks from here on; the steps below find the header through it.
    for (std::unique_ptr<TChunk>& chunk : chunks) {
        ChunkSequence.Append(chunk.get());
        chunk.release();
    }

    if (indexed) {
        const std::uint32_t entries = 1u << record.bmBitsPixel;
        ChunkSequence.FindByClass<TChunkPLTE>()->EntryCount = entries;
        InstallPalette(PaletteFromDibColors(HeaderChunk().DibInfo, entries), false);
    }
    if (transparent) ChunkSequence.FindByClass<TChunktRNS>()->SetKeyColor(transparentColor);
}

}  // namespace png
