// The header chunk and the image buffers it owns.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "png/png_chunks.h"
#include "png/png_errors.h"
#include "png/png_image.h"
#include "png/png_stream.h"
#include "png/pnglang.h"

namespace png {
namespace {

struct BufferLayout {
    int bitsPerPixel = 0;  // 0: the header describes no buffer
    bool usesPalette = false;
};

BufferLayout LayoutFor(std::uint8_t colorType, std::uint8_t bitDepth) {
    switch (colorType) {
        case 2:
        case 6:
            return {24, false};
        case 0:
        case 3:
        case 4:
            switch (bitDepth) {
                case 1: return {1, true};
                case 2: return {4, true};  // GDI has no 2-bit bitmaps
                case 4: return {4, true};
                case 8: return {8, true};
                case 16: return {8, true};
                default: return {};
            }
        default:
            return {};
    }
}

// a * b / c rounded to the nearest integer, as the Windows MulDiv does.
std::uint32_t MulDiv(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return static_cast<std::uint32_t>((std::uint64_t{a} * b + c / 2) / c);
}

}  // namespace

void TChunkIHDR::FreeDeleter::operator()(std::uint8_t* block) const noexcept { std::free(block); }

TChunkIHDR::HeapBlock TChunkIHDR::AllocateZeroed(std::uint64_t size) {
    if (size > std::numeric_limits<std::uint32_t>::max() || size > std::numeric_limits<std::size_t>::max())
        SignalError<EPNGOutMemory>(pnglang::EPNGImageTooLargeText);
    // calloc maps large blocks as fresh zero pages instead of clearing them.
    auto* block = static_cast<std::uint8_t*>(std::calloc(size ? static_cast<std::size_t>(size) : 1, 1));
    if (block == nullptr) throw vcl::EOutOfMemory();
    return HeapBlock(block);
}

TChunkIHDR::TChunkIHDR(TPNGObject& owner) : TChunk(owner, Class) {}

TChunkIHDR::~TChunkIHDR() { ReleaseImage(); }

void TChunkIHDR::ReleaseImage() {
    FDibSection.reset();
    FAlphaBlock.reset();
    FExtraBlock.reset();
    DibPalette.reset();
    PixelData = AlphaData = ExtraData = nullptr;
}

void TChunkIHDR::FillDibHeader(int bitsPerPixel, bool usesPalette) {
    UsesPalette = usesPalette;
    vcl::BitmapInfoHeader& info = DibInfo.bmiHeader;
    info.biSize = sizeof(vcl::BitmapInfoHeader);
    info.biWidth = static_cast<std::int32_t>(Width);
    info.biHeight = static_cast<std::int32_t>(Height);
    info.biPlanes = 1;
    info.biBitCount = static_cast<std::uint16_t>(bitsPerPixel);
    info.biCompression = vcl::BI_RGB;
}

void TChunkIHDR::AllocateImage() {
    DibInfo = {};
    ReleaseImage();
    const BufferLayout layout = LayoutFor(ColorType, BitDepth);
    if (layout.bitsPerPixel == 0) return;
    if (Width > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
        Height > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        SignalError<EPNGOutMemory>(pnglang::EPNGImageTooLargeText);
    FillDibHeader(layout.bitsPerPixel, layout.usesPalette);

    const std::uint64_t rowBytes = (std::uint64_t{Width} * layout.bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t pixelBytes = rowBytes * Height;
    // Every buffer must be addressable with 32-bit byte counts.
    if (rowBytes > std::numeric_limits<std::uint32_t>::max() || pixelBytes > std::numeric_limits<std::uint32_t>::max())
        SignalError<EPNGOutMemory>(pnglang::EPNGImageTooLargeText);
    DibRowBytes = static_cast<std::uint32_t>(rowBytes);

    if (ColorType == 4 || ColorType == 6) {
        FAlphaBlock = AllocateZeroed(std::uint64_t{Width} * Height);
        AlphaData = FAlphaBlock.get();
    }
    if (BitDepth == 16) {
        FExtraBlock = AllocateZeroed(pixelBytes);
        ExtraData = FExtraBlock.get();
    }
    if (UsesPalette) {
        DibPalette = ColorType == 3 ? Palette::CreateHalftone() : CreateGrayPalette(BitDepth);
        const std::uint32_t entries = 1u << layout.bitsPerPixel;
        DibPalette->Resize(entries);
        DibInfo.bmiHeader.biClrUsed = entries;
        PaletteToDibColors(*DibPalette);
    }
    FDibSection = AllocateZeroed(pixelBytes);
    PixelData = FDibSection.get();
}

void TChunkIHDR::PaletteToDibColors(const Palette& palette) {
    PaletteEntry entries[256];
    const std::uint32_t count = palette.GetEntries(0, 256, entries);
    DibInfo.bmiHeader.biClrUsed = count;
    for (std::uint32_t i = 0; i < count; ++i)
        DibInfo.bmiColors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
}

std::unique_ptr<Palette> TChunkIHDR::CreateGrayPalette(int bitDepth) const {
    const std::uint32_t count = bitDepth == 16 ? 256 : 1u << bitDepth;
    std::vector<PaletteEntry> entries(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t grey = OwnerImage.DecodeGammaTable[MulDiv(i, 255, count - 1)];
        entries[i] = {grey, grey, grey, 0};
    }
    return std::make_unique<Palette>(std::move(entries));
}

void TChunkIHDR::CopyPaletteEntries(const Palette* source, Palette* target) {
    if (source == nullptr || target == nullptr || source->EntryCount() == 0) return;
    std::vector<PaletteEntry> entries(source->EntryCount());
    source->GetEntries(0, source->EntryCount(), entries.data());
    target->Resize(source->EntryCount());
    target->SetEntries(0, source->EntryCount(), entries.data());
}

void TChunkIHDR::CopyFrom(const TChunk& source) {
    const auto* from = dynamic_cast<const TChunkIHDR*>(&source);
    if (from == nullptr) SignalError<EPngError>(pnglang::EPNGCannotAssignChunkText);
    Width = from->Width;
    Height = from->Height;
    BitDepth = from->BitDepth;
    ColorType = from->ColorType;
    CompressionMethod = from->CompressionMethod;
    FilterMethod = from->FilterMethod;
    InterlaceMethod = from->InterlaceMethod;
    AllocateImage();
    if (PixelData && from->PixelData) std::memcpy(PixelData, from->PixelData, std::size_t{DibRowBytes} * Height);
    if (AlphaData && from->AlphaData) std::memcpy(AlphaData, from->AlphaData, std::size_t{Width} * Height);
    std::copy(std::begin(from->DibInfo.bmiColors), std::end(from->DibInfo.bmiColors), std::begin(DibInfo.bmiColors));
    CopyPaletteEntries(from->DibPalette.get(), DibPalette.get());
}

bool TChunkIHDR::WriteChunk(vcl::TStream& stream) {
    // The buffer of a 2-bit image already holds 4-bit pixels, so it is written as one.
    if (BitDepth == 2) BitDepth = 4;
    ResizePayload(13);
    std::uint8_t* out = Payload();
    PutBigEndian32(out, Width);
    PutBigEndian32(out + 4, Height);
    out[8] = BitDepth;
    out[9] = ColorType;
    out[10] = CompressionMethod;
    out[11] = FilterMethod;
    out[12] = OwnerImage.InterlaceMode;
    return WriteFramed(stream);
}

}  // namespace png
