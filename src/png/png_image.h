// The in-memory PNG image: an ordered list of chunks whose first member,
// the header, holds the pixels.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/vcl/graphics.h"
#include "png/png_chunks.h"
#include "png/png_list.h"

namespace png {

// The PNG filter types, and sets of them as bit masks (bit n = type n).
enum TFilter : std::uint8_t { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };
constexpr std::uint8_t FilterBit(TFilter filter) { return static_cast<std::uint8_t>(1u << filter); }
inline constexpr std::uint8_t AllFilters = 0x1F;

struct RowGeometryResult {
    std::uint64_t rowBytes = 0;     // bytes of one packed line, without the filter byte
    std::uint32_t pixelStride = 0;  // bytes per complete pixel
};

// Bytes of a packed line of `width` pixels; 0 for an unknown colour type.
std::uint64_t PackedRowBytes(std::uint64_t width, std::uint8_t colorType, std::uint8_t bitDepth);

class TPNGObject : public vcl::TGraphic {
public:
    static const vcl::TGraphicClass GraphicClass;

    TPNGObject();
    ~TPNGObject() override;
    TPNGObject(const TPNGObject&) = delete;
    TPNGObject& operator=(const TPNGObject&) = delete;

    const char* ClassName() const override { return "TPNGObject"; }

    // null: DiscardChunks; a TPNGObject: CopyFromPng; a TBitmap: ImportBitmapHandle.
    void Assign(vcl::TPersistent* source) override;

    bool GetEmpty() const override;
    int GetWidth() const override;
    int GetHeight() const override;
    bool GetTransparent() const override;
    Palette* GetPalette() const;
    void SetPalette(std::unique_ptr<Palette> palette);

    // Writes the signature and every chunk, first to last.
    void SaveToStream(vcl::TStream& stream) override;

    bool HasHeader() const;
    TChunkIHDR& HeaderChunk() const;  // EPNGHeaderNotPresent without a header

    // Frees every chunk and resets both gamma tables to the identity.
    void DiscardChunks();
    void CopyFromPng(const TPNGObject& source);

    // 0 none, 1 one transparent colour, 2 partial transparency.
    int TransparencyKind() const;

    // Rebuilds the image from a device bitmap.
    void ImportBitmapHandle(const vcl::DeviceBitmap* handle, bool transparent, std::uint32_t transparentColor);

    // Makes `palette` the header's palette, when the image is indexed.
    void InstallPalette(std::unique_ptr<Palette> palette, bool refreshColors);

    RowGeometryResult RowGeometry() const;
    std::uint8_t* PixelRow(std::uint32_t y) const;
    std::uint8_t* ExtraRow(std::uint32_t y) const;
    std::uint8_t* AlphaRow(std::uint32_t y) const;

    std::array<std::uint8_t, 256> InverseGammaTable{};
    std::uint8_t RowFilters = FilterBit(pfSub);
    std::uint8_t DeflateLevel = 7;
    std::int32_t IdatLimit = 65535;
    std::uint8_t InterlaceMode = 0;  // 0 none, 1 Adam7
    TPNGList ChunkSequence{this};
    std::array<std::uint8_t, 256> DecodeGammaTable{};

protected:
    void AssignTo(vcl::TPersistent& dest) override;
};

}  // namespace png
