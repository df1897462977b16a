// The chunk base class, the registry and the chunks whose payload is built
// from a few fields. The header chunk lives in png_header.cpp and the image
// data in image_data.cpp.
#include "png/png_chunks.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "png/png_errors.h"
#include "png/png_image.h"
#include "png/png_stream.h"
#include "png/pnglang.h"

namespace png {
namespace {

template <class C>
std::unique_ptr<TChunk> NewChunk(TPNGObject& owner) {
    return std::make_unique<C>(owner);
}

std::optional<std::vector<const TChunkClass*>>& ChunkClassRegistry() {
    static std::optional<std::vector<const TChunkClass*>> registry;
    return registry;
}

// The source of a copy as the class that copies it.
template <class C>
const C& CopySource(const TChunk& source) {
    const auto* typed = dynamic_cast<const C*>(&source);
    if (typed == nullptr) SignalError<EPngError>(pnglang::EPNGCannotAssignChunkText);
    return *typed;
}

}  // namespace

const TChunkClass TChunk::Class{"TChunk", &NewChunk<TChunk>};
const TChunkClass TChunkIEND::Class{"TChunkIEND", &NewChunk<TChunkIEND>};
const TChunkClass TChunkIHDR::Class{"TChunkIHDR", &NewChunk<TChunkIHDR>};
const TChunkClass TChunkIDAT::Class{"TChunkIDAT", &NewChunk<TChunkIDAT>};
const TChunkClass TChunkPLTE::Class{"TChunkPLTE", &NewChunk<TChunkPLTE>};
const TChunkClass TChunkgAMA::Class{"TChunkgAMA", &NewChunk<TChunkgAMA>};
const TChunkClass TChunktRNS::Class{"TChunktRNS", &NewChunk<TChunktRNS>};
const TChunkClass TChunkpHYs::Class{"TChunkpHYs", &NewChunk<TChunkpHYs>};
const TChunkClass TChunktIME::Class{"TChunktIME", &NewChunk<TChunktIME>};
const TChunkClass TChunktEXt::Class{"TChunktEXt", &NewChunk<TChunktEXt>};
const TChunkClass TChunkzTXt::Class{"TChunkzTXt", &NewChunk<TChunkzTXt>};

// --- TChunk -----------------------------------------------------------------

TChunk::TChunk(TPNGObject& owner, const TChunkClass& chunkClass) : OwnerImage(owner), FPayload(1) {
    const std::string_view type = chunkClass.TypeFromClass();
    if (type.size() == ChunkType.size()) std::copy(type.begin(), type.end(), ChunkType.begin());
}

void TChunk::CopyFrom(const TChunk& source) {
    ChunkType = source.ChunkType;
    FPayload = source.FPayload;
}

bool TChunk::WriteChunk(vcl::TStream& stream) { return WriteFramed(stream); }

bool TChunk::WriteFramed(vcl::TStream& stream) {
    std::uint8_t head[8];
    PutBigEndian32(head, PayloadSize());
    std::memcpy(head + 4, ChunkType.data(), 4);
    stream.WriteBuffer(head, sizeof head);
    stream.WriteBuffer(Payload(), PayloadSize());
    std::uint8_t crc[4];
    PutBigEndian32(crc, ChunkCrc(ChunkType.data(), Payload(), PayloadSize()));
    stream.WriteBuffer(crc, sizeof crc);
    return true;
}

void TChunk::ResizePayload(std::uint32_t size) { FPayload.resize(std::size_t{size} + 1); }

TChunkIHDR& TChunk::OwnerHeader() const {
    TChunk* first = OwnerImage.ChunkSequence.ItemAt(0);
    if (first == nullptr) SignalError<EPNGHeaderNotPresent>(pnglang::EPNGHeaderNotPresentText);
    auto* header = dynamic_cast<TChunkIHDR*>(first);
    if (header == nullptr) throw vcl::EInvalidCast();
    return *header;
}

// --- TChunkPLTE -------------------------------------------------------------

void TChunkPLTE::CopyFrom(const TChunk& source) { EntryCount = CopySource<TChunkPLTE>(source).EntryCount; }

bool TChunkPLTE::WriteChunk(vcl::TStream& stream) {
    TChunkIHDR& header = OwnerHeader();
    if (EntryCount == 0) EntryCount = header.DibInfo.bmiHeader.biClrUsed;
    ResizePayload(EntryCount * 3);
    PaletteEntry colors[256] = {};
    if (header.DibPalette) header.DibPalette->GetEntries(0, 256, colors);
    const auto& gamma = OwnerImage.InverseGammaTable;
    std::uint8_t* out = Payload();
    for (std::uint32_t k = 0; k < EntryCount; ++k, out += 3) {
        const PaletteEntry color = k < 256 ? colors[k] : PaletteEntry{};
        out[0] = gamma[color.peRed];
        out[1] = gamma[color.peGreen];
        out[2] = gamma[color.peBlue];
    }
    return WriteFramed(stream);
}

// --- TChunkgAMA -------------------------------------------------------------

TChunkgAMA::TChunkgAMA(TPNGObject& owner) : TChunk(owner, Class) { SetGammaValue(1); }

void TChunkgAMA::CopyFrom(const TChunk& source) { SetGammaValue(CopySource<TChunkgAMA>(source).GammaValue()); }

std::uint32_t TChunkgAMA::GammaValue() const {
    if (PayloadSize() < 4) return 0;
    const std::uint8_t* p = Payload();
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void TChunkgAMA::SetGammaValue(std::uint32_t value) {
    if (PayloadSize() < 4) ResizePayload(4);
    PutBigEndian32(Payload(), value);
}

// --- TChunktRNS -------------------------------------------------------------

void TChunktRNS::CopyFrom(const TChunk& source) {
    const auto& from = CopySource<TChunktRNS>(source);
    TransparencyBytes = from.TransparencyBytes;
    KeyColorTransparency = from.KeyColorTransparency;
    TChunk::CopyFrom(source);
}

bool TChunktRNS::WriteChunk(vcl::TStream& stream) {
    if (PayloadSize() <= TransparencyBytes.size()) std::copy_n(TransparencyBytes.begin(), PayloadSize(), Payload());
    return WriteFramed(stream);
}

void TChunktRNS::SetKeyColor(std::uint32_t color) {
    TransparencyBytes.fill(0);
    KeyColorTransparency = true;
    const TChunkIHDR& header = OwnerHeader();
    const auto red = static_cast<std::uint8_t>(color);
    const auto green = static_cast<std::uint8_t>(color >> 8);
    const auto blue = static_cast<std::uint8_t>(color >> 16);
    switch (header.ColorType) {
        case 0:
            ResizePayload(2);
            TransparencyBytes[1] = red;
            break;
        case 2:
            ResizePayload(6);
            TransparencyBytes[1] = red;
            TransparencyBytes[3] = green;
            TransparencyBytes[5] = blue;
            break;
        case 3: {
            const vcl::RGBQuad key{blue, green, red, 0};
            const std::uint32_t colors = std::min<std::uint32_t>(header.DibInfo.bmiHeader.biClrUsed, 256);
            std::uint32_t index = 0;
            while (index < colors && (header.DibInfo.bmiColors[index].rgbBlue != key.rgbBlue ||
                                      header.DibInfo.bmiColors[index].rgbGreen != key.rgbGreen ||
                                      header.DibInfo.bmiColors[index].rgbRed != key.rgbRed))
                ++index;
            if (index == colors) {
                // No entry has the colour: one opaque entry keeps the chunk valid
                // and the picture unchanged.
                ResizePayload(1);
                TransparencyBytes[0] = 255;
                break;
            }
            std::fill_n(TransparencyBytes.begin(), index, 255);
            ResizePayload(index + 1);
            break;
        }
        default:
            break;
    }
}

// --- TChunkpHYs, TChunktIME -------------------------------------------------

void TChunkpHYs::CopyFrom(const TChunk& source) {
    const auto& from = CopySource<TChunkpHYs>(source);
    PixelsPerUnitX = from.PixelsPerUnitX;
    PixelsPerUnitY = from.PixelsPerUnitY;
    UnitSpecifier = from.UnitSpecifier;
}

bool TChunkpHYs::WriteChunk(vcl::TStream& stream) {
    ResizePayload(9);
    PutBigEndian32(Payload(), PixelsPerUnitX);
    PutBigEndian32(Payload() + 4, PixelsPerUnitY);
    Payload()[8] = UnitSpecifier;
    return WriteFramed(stream);
}

void TChunktIME::CopyFrom(const TChunk& source) {
    const auto& from = CopySource<TChunktIME>(source);
    Year = from.Year;
    Month = from.Month;
    Day = from.Day;
    Hour = from.Hour;
    Minute = from.Minute;
    Second = from.Second;
}

bool TChunktIME::WriteChunk(vcl::TStream& stream) {
    ResizePayload(7);
    PutBigEndian16(Payload(), Year);
    const std::uint8_t rest[5] = {Month, Day, Hour, Minute, Second};
    std::copy(std::begin(rest), std::end(rest), Payload() + 2);
    return WriteFramed(stream);
}

// --- TChunktEXt, TChunkzTXt -------------------------------------------------

void TChunktEXt::CopyFrom(const TChunk& source) {
    const auto& from = CopySource<TChunktEXt>(source);
    Keyword = from.Keyword;
    Text = from.Text;
}

bool TChunktEXt::WriteChunk(vcl::TStream& stream) {
    ResizePayload(static_cast<std::uint32_t>(Keyword.size() + 1 + Text.size()));
    std::uint8_t* out = std::copy(Keyword.begin(), Keyword.end(), Payload());
    *out++ = 0;
    std::copy(Text.begin(), Text.end(), out);
    return WriteFramed(stream);
}

bool TChunkzTXt::WriteChunk(vcl::TStream& stream) {
    if (Text.empty()) Text.assign(1, ' ');
    const DeflateResult compressed = DeflateToBuffer(Text.data(), Text.size(), OwnerImage.DeflateLevel);
    if (!compressed.success) return false;
    ResizePayload(static_cast<std::uint32_t>(Keyword.size() + 2 + compressed.data.size()));
    std::uint8_t* out = std::copy(Keyword.begin(), Keyword.end(), Payload());
    *out++ = 0;  // separator
    *out++ = 0;  // compression method: deflate
    std::copy(compressed.data.begin(), compressed.data.end(), out);
    return WriteFramed(stream);
}

// --- Registry ---------------------------------------------------------------

void RegisterChunkClass(const TChunkClass& chunkClass) {
    auto& registry = ChunkClassRegistry();
    if (!registry) registry.emplace();
    registry->push_back(&chunkClass);
}

void RegisterStandardChunks() {
    for (const TChunkClass* chunkClass :
         {&TChunkIEND::Class, &TChunkIHDR::Class, &TChunkIDAT::Class, &TChunkPLTE::Class, &TChunkgAMA::Class,
          &TChunktRNS::Class, &TChunkpHYs::Class, &TChunktIME::Class, &TChunktEXt::Class, &TChunkzTXt::Class})
        RegisterChunkClass(*chunkClass);
}

void ReleaseChunkClasses() { ChunkClassRegistry().reset(); }

std::unique_ptr<TChunk> CreateChunkForType(TPNGObject& owner, const ChunkTypeBytes& type) {
    const std::string_view wanted(reinterpret_cast<const char*>(type.data()), type.size());
    const TChunkClass* chosen = &TChunk::Class;
    if (const auto& registry = ChunkClassRegistry()) {
        const auto match = std::find_if(registry->begin(), registry->end(),
                                        [&](const TChunkClass* c) { return c->TypeFromClass() == wanted; });
        if (match != registry->end()) chosen = *match;
    }
    std::unique_ptr<TChunk> chunk = chosen->create(owner);
    chunk->ChunkType = type;
    return chunk;
}

}  // namespace png
