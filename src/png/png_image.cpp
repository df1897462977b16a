#include "png/png_image.h"

#include <algorithm>
#include <numeric>

#include "png/png_errors.h"
#include "png/png_stream.h"
#include "png/pnglang.h"

namespace png {
namespace {

// Registers the chunk classes and the picture format while the program runs.
struct PngImageModule {
    PngImageModule() {
        RegisterStandardChunks();
        vcl::TPicture::RegisterFileFormat("PNG", "Portable Network Graphics", TPNGObject::GraphicClass);
    }
    ~PngImageModule() {
        vcl::TPicture::UnregisterGraphicClass(TPNGObject::GraphicClass);
        ReleaseChunkClasses();
    }
};
const PngImageModule Module;

}  // namespace

const vcl::TGraphicClass TPNGObject::GraphicClass{"TPNGObject"};

std::uint64_t PackedRowBytes(std::uint64_t width, std::uint8_t colorType, std::uint8_t bitDepth) {
    const std::uint64_t bits = width * bitDepth;
    switch (colorType) {
        case 0:
        case 3: return (bits + 7) / 8;
        case 2: return 3 * bits / 8;
        case 4: return 2 * bits / 8;
        case 6: return 4 * bits / 8;
        default: return 0;
    }
}

TPNGObject::TPNGObject() = default;

TPNGObject::~TPNGObject() { DiscardChunks(); }

void TPNGObject::Assign(vcl::TPersistent* source) {
    if (source == nullptr) {
        DiscardChunks();
    } else if (auto* image = dynamic_cast<TPNGObject*>(source)) {
        CopyFromPng(*image);
    } else if (auto* bitmap = dynamic_cast<vcl::TBitmap*>(source)) {
        const std::uint32_t transparentColor = vcl::ColorToRGB(bitmap->TransparentColor);
        const bool transparent = bitmap->Transparent;
        ImportBitmapHandle(bitmap->Handle(), transparent, transparentColor);
    } else {
        TGraphic::Assign(source);
    }
}

void TPNGObject::AssignTo(vcl::TPersistent& dest) {
    if (auto* image = dynamic_cast<TPNGObject*>(&dest))
        image->CopyFromPng(*this);
    else
        TGraphic::AssignTo(dest);
}

bool TPNGObject::GetEmpty() const { return ChunkSequence.ItemCount() == 0; }

int TPNGObject::GetWidth() const { return HasHeader() ? static_cast<int>(HeaderChunk().Width) : 0; }

int TPNGObject::GetHeight() const { return HasHeader() ? static_cast<int>(HeaderChunk().Height) : 0; }

bool TPNGObject::GetTransparent() const { return TransparencyKind() != 0; }

Palette* TPNGObject::GetPalette() const { return HeaderChunk().DibPalette.get(); }

void TPNGObject::SetPalette(std::unique_ptr<Palette> palette) { InstallPalette(std::move(palette), true); }

void TPNGObject::SaveToStream(vcl::TStream& stream) {
    stream.WriteBuffer(PngSignature, sizeof PngSignature);
    for (std::uint32_t i = 0; i < ChunkSequence.ItemCount(); ++i) ChunkSequence.ItemAt(i)->WriteChunk(stream);
}

bool TPNGObject::HasHeader() const { return dynamic_cast<TChunkIHDR*>(ChunkSequence.ItemAt(0)) != nullptr; }

TChunkIHDR& TPNGObject::HeaderChunk() const {
    auto* header = dynamic_cast<TChunkIHDR*>(ChunkSequence.ItemAt(0));
    if (header == nullptr) SignalError<EPNGHeaderNotPresent>(pnglang::EPNGHeaderNotPresentText);
    return *header;
}

void TPNGObject::DiscardChunks() {
    std::iota(InverseGammaTable.begin(), InverseGammaTable.end(), 0);
    std::iota(DecodeGammaTable.begin(), DecodeGammaTable.end(), 0);
    for (std::uint32_t i = 0; i < ChunkSequence.ItemCount(); ++i) delete ChunkSequence.ItemAt(i);
    ChunkSequence.SetItemCount(0);
}

void TPNGObject::CopyFromPng(const TPNGObject& source) {
    if (&source == this) return;
    InterlaceMode = source.InterlaceMode;
    IdatLimit = std::max(source.IdatLimit, std::int32_t{65535});
    DeflateLevel = source.DeflateLevel;
    RowFilters = source.RowFilters;
    DiscardChunks();
    ChunkSequence.SetItemCount(source.ChunkSequence.ItemCount());
    try {
        // The header comes first, so later chunks find their new header.
        for (std::uint32_t i = 0; i < source.ChunkSequence.ItemCount(); ++i) {
            const TChunk& from = *source.ChunkSequence.ItemAt(i);
            TChunk* chunk = from.ClassType().create(*this).release();
            ChunkSequence.SetItemAt(i, chunk);
            chunk->CopyFrom(from);
        }
    } catch (...) {
        DiscardChunks();  // never leave a half-copied list behind
        throw;
    }
}

int TPNGObject::TransparencyKind() const {
    const TChunkIHDR& header = HeaderChunk();
    const TChunktRNS* transparency = ChunkSequence.FindByClass<TChunktRNS>();
    switch (header.ColorType) {
        case 0:
        case 2: return transparency ? 1 : 0;
        case 3: return transparency == nullptr ? 0 : transparency->KeyColorTransparency ? 1 : 2;
        case 4:
        case 6: return 2;
        default: return 0;
    }
}

void TPNGObject::InstallPalette(std::unique_ptr<Palette> palette, bool refreshColors) {
    TChunkIHDR& header = HeaderChunk();
    if (!header.UsesPalette || palette == nullptr) return;
    if (refreshColors) header.PaletteToDibColors(*palette);
    header.DibPalette = std::move(palette);
}

RowGeometryResult TPNGObject::RowGeometry() const {
    if (!HasHeader()) return {};
    const TChunkIHDR& header = HeaderChunk();
    RowGeometryResult geometry;
    geometry.rowBytes = PackedRowBytes(header.Width, header.ColorType, header.BitDepth);
    switch (header.ColorType) {
        case 0: geometry.pixelStride = header.BitDepth == 16 ? 2 : 1; break;
        case 3: geometry.pixelStride = 1; break;
        case 2: geometry.pixelStride = header.BitDepth * 3u / 8; break;
        case 4: geometry.pixelStride = header.BitDepth * 2u / 8; break;
        case 6: geometry.pixelStride = header.BitDepth * 4u / 8; break;
        default: break;
    }
    return geometry;
}

std::uint8_t* TPNGObject::PixelRow(std::uint32_t y) const {
    const TChunkIHDR& header = HeaderChunk();
    return header.PixelData + std::size_t{header.DibRowBytes} * (header.Height - 1 - y);
}

std::uint8_t* TPNGObject::ExtraRow(std::uint32_t y) const {
    const TChunkIHDR& header = HeaderChunk();
    if (header.ExtraData == nullptr) return nullptr;
    return header.ExtraData + std::size_t{header.DibRowBytes} * (header.Height - 1 - y);
}

std::uint8_t* TPNGObject::AlphaRow(std::uint32_t y) const {
    const TChunkIHDR& header = HeaderChunk();
    if (header.ColorType != 4 && header.ColorType != 6) return nullptr;
    return header.AlphaData + std::size_t{header.Width} * y;
}

}  // namespace png
