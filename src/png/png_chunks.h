// The chunk classes of a PNG image and the registry that maps chunk types
// to them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/classes.h"
#include "platform/vcl/graphics.h"
#include "png/palette.h"

namespace png {

class TPNGObject;
class TChunk;
class TChunkIHDR;

using ChunkTypeBytes = std::array<std::uint8_t, 4>;

// A chunk class: its name, and how to make an instance of it.
struct TChunkClass {
    const char* className;
    std::unique_ptr<TChunk> (*create)(TPNGObject& owner);

    // The type that the class stands for: its name after "TChunk"; empty for TChunk.
    std::string_view TypeFromClass() const { return std::string_view(className).substr(6); }
};

// Declares the class-level members of a chunk class.
#define TIVALO_CHUNK_CLASS()                                                       \
public:                                                                           \
    static const TChunkClass Class;                                               \
    const TChunkClass& ClassType() const override { return Class; }               \
    static std::string_view TypeFromClass() { return Class.TypeFromClass(); }     \
                                                                                  \
private:

// One chunk of a PNG stream: type and payload. The base class serves every
// type without a class of its own.
class TChunk {
public:
    explicit TChunk(TPNGObject& owner) : TChunk(owner, Class) {}
    virtual ~TChunk() = default;
    TChunk(const TChunk&) = delete;
    TChunk& operator=(const TChunk&) = delete;

    static const TChunkClass Class;
    virtual const TChunkClass& ClassType() const { return Class; }
    static std::string_view TypeFromClass() { return Class.TypeFromClass(); }

    // Copies another chunk's contents into this one.
    virtual void CopyFrom(const TChunk& source);

    // Serialises the chunk: payload rebuilt from the fields, then framed.
    virtual bool WriteChunk(vcl::TStream& stream);

    // Writes length, type, payload and CRC.
    bool WriteFramed(vcl::TStream& stream);

    // Sets PayloadSize to n; contents are kept up to the smaller size.
    void ResizePayload(std::uint32_t size);

    std::uint8_t* Payload() noexcept { return FPayload.data(); }
    const std::uint8_t* Payload() const noexcept { return FPayload.data(); }
    std::uint32_t PayloadSize() const noexcept { return static_cast<std::uint32_t>(FPayload.size() - 1); }

    // The first chunk of the owner's list as the header; EInvalidCast when it is not one.
    TChunkIHDR& OwnerHeader() const;

    TPNGObject& OwnerImage;
    ChunkTypeBytes ChunkType{};

protected:
    // Stores the class's type as ChunkType when it has four letters.
    TChunk(TPNGObject& owner, const TChunkClass& chunkClass);

private:
    std::vector<std::uint8_t> FPayload;  // always PayloadSize + 1 bytes
};

class TChunkIEND : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunkIEND(TPNGObject& owner) : TChunk(owner, Class) {}
};

// The image header. It also owns the image: the device-independent pixel
// buffer, the palette of indexed images, the alpha plane and the second
// bytes of 16-bit samples.
class TChunkIHDR : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunkIHDR(TPNGObject& owner);
    ~TChunkIHDR() override;

    void CopyFrom(const TChunk& source) override;
    bool WriteChunk(vcl::TStream& stream) override;

    // Builds zeroed buffers for the current header values, replacing any.
    void AllocateImage();
    void ReleaseImage();

    void FillDibHeader(int bitsPerPixel, bool usesPalette);
    void PaletteToDibColors(const Palette& palette);
    std::unique_ptr<Palette> CreateGrayPalette(int bitDepth) const;
    static void CopyPaletteEntries(const Palette* source, Palette* target);

    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t FilterMethod = 0;
    std::uint8_t InterlaceMethod = 0;

    bool UsesPalette = false;
    vcl::BitmapInfo DibInfo{};
    std::unique_ptr<Palette> DibPalette;
    std::uint8_t* PixelData = nullptr;  // bottom-up rows of DibRowBytes
    std::uint8_t* AlphaData = nullptr;  // top-down rows of Width bytes
    std::uint8_t* ExtraData = nullptr;  // laid out like PixelData
    std::uint32_t DibRowBytes = 0;

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* block) const noexcept;
    };
    using HeapBlock = std::unique_ptr<std::uint8_t, FreeDeleter>;
    static HeapBlock AllocateZeroed(std::uint64_t size);

    HeapBlock FDibSection;
    HeapBlock FAlphaBlock;
    HeapBlock FExtraBlock;
};

// The image data. Its payload stays empty: WriteChunk encodes the header's
// pixels and writes them as one or more IDAT chunks of its own.
class TChunkIDAT : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunkIDAT(TPNGObject& owner) : TChunk(owner, Class) {}
    bool WriteChunk(vcl::TStream& stream) override;
};

// The palette; its colours live in the header's palette.
class TChunkPLTE : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunkPLTE(TPNGObject& owner) : TChunk(owner, Class) {}
    void CopyFrom(const TChunk& source) override;
    bool WriteChunk(vcl::TStream& stream) override;

    std::uint32_t EntryCount = 0;  // 0: as many as the header's colour-used count
};

class TChunkgAMA : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunkgAMA(TPNGObject& owner);
    void CopyFrom(const TChunk& source) override;

    // Gamma times 100000, held in the payload.
    std::uint32_t GammaValue() const;
    void SetGammaValue(std::uint32_t value);
};

class TChunktRNS : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunktRNS(TPNGObject& owner) : TChunk(owner, Class) {}
    void CopyFrom(const TChunk& source) override;
    bool WriteChunk(vcl::TStream& stream) override;

    // Makes one colour (0x00BBGGRR) fully transparent.
    void SetKeyColor(std::uint32_t color);

    bool KeyColorTransparency = false;
    std::array<std::uint8_t, 256> TransparencyBytes{};
};

class TChunkpHYs : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunkpHYs(TPNGObject& owner) : TChunk(owner, Class) {}
    void CopyFrom(const TChunk& source) override;
    bool WriteChunk(vcl::TStream& stream) override;

    std::uint32_t PixelsPerUnitX = 0;
    std::uint32_t PixelsPerUnitY = 0;
    std::uint8_t UnitSpecifier = 0;
};

class TChunktIME : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunktIME(TPNGObject& owner) : TChunk(owner, Class) {}
    void CopyFrom(const TChunk& source) override;
    bool WriteChunk(vcl::TStream& stream) override;

    std::uint16_t Year = 0;
    std::uint8_t Month = 0;
    std::uint8_t Day = 0;
    std::uint8_t Hour = 0;
    std::uint8_t Minute = 0;
    std::uint8_t Second = 0;
};

class TChunktEXt : public TChunk {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunktEXt(TPNGObject& owner) : TChunk(owner, Class) {}
    void CopyFrom(const TChunk& source) override;
    bool WriteChunk(vcl::TStream& stream) override;

    std::string Keyword;
    std::string Text;

protected:
    TChunktEXt(TPNGObject& owner, const TChunkClass& chunkClass) : TChunk(owner, chunkClass) {}
};

class TChunkzTXt : public TChunktEXt {
    TIVALO_CHUNK_CLASS()
public:
    explicit TChunkzTXt(TPNGObject& owner) : TChunktEXt(owner, Class) {}
    bool WriteChunk(vcl::TStream& stream) override;
};

#undef TIVALO_CHUNK_CLASS

// The chunk class registry.
void RegisterChunkClass(const TChunkClass& chunkClass);
void RegisterStandardChunks();
void ReleaseChunkClasses();

// A new chunk of the first registered class for the type (exact,
// case-sensitive), or a plain TChunk; it carries the given type.
std::unique_ptr<TChunk> CreateChunkForType(TPNGObject& owner, const ChunkTypeBytes& type);

}  // namespace png
