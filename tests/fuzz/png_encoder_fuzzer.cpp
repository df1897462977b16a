// libFuzzer harness for the PNG encoder: an image of fuzzed format, size and
// pixels is filled into the header's buffers and saved with fuzzed settings.
// zlib and libpng judge what was written; README.md gives the input layout.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "png/pngimage.h"
#include "support/libpng_decoder.h"
#include "support/limited_stream.h"
#include "support/png_chunks.h"
#include "support/png_lines.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::RawChunk;

// Small enough that a run makes thousands of saves a minute, large enough
// for every Adam7 pass and for the vector kernels' whole rounds.
constexpr std::uint32_t MaxWidth = 128;
constexpr std::uint32_t MaxHeight = 64;
constexpr std::size_t DescriptionBytes = 10;
// Levels 0 to 9 are zlib's; this one it refuses, and the save must fail.
constexpr std::uint8_t RefusedLevel = 10;

struct Format {
    std::uint8_t colorType;
    std::uint8_t bitDepth;
};

constexpr Format Formats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                              {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

struct FuzzCase {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    Format format{};
    std::uint8_t interlace = 0;
    std::uint8_t filters = 0;
    std::uint8_t level = 0;
    std::int32_t idatLimit = 1;
    std::optional<std::uint16_t> failAt;  // the sink's room, modulo the file size
    std::span<const std::uint8_t> pixels;
};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "png encoder check failed: %s\n", what.c_str());
    std::abort();
}

void Require(bool holds, const char* what) {
    if (!holds) Fail(what);
}

std::uint16_t BigEndian16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

FuzzCase ParseCase(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, DescriptionBytes> d{};
    std::copy_n(data, std::min(size, DescriptionBytes), d.begin());
    FuzzCase c;
    c.width = 1 + d[0] % MaxWidth;
    c.height = 1 + d[1] % MaxHeight;
    c.format = Formats[d[2] % std::size(Formats)];
    c.interlace = d[3] & 1;
    c.filters = (d[3] >> 1) & png::AllFilters;
    c.level = d[4] % (RefusedLevel + 1);
    c.idatLimit = 1 + BigEndian16(&d[5]) % 65535;
    if (d[7] & 1) c.failAt = BigEndian16(&d[8]);
    if (size > DescriptionBytes) c.pixels = {data + DescriptionBytes, size - DescriptionBytes};
    return c;
}

bool IsRgb(Format f) { return f.colorType == 2 || f.colorType == 6; }
bool HasAlpha(Format f) { return f.colorType == 4 || f.colorType == 6; }
int Channels(Format f) { return f.colorType == 2 ? 3 : f.colorType == 4 ? 2 : f.colorType == 6 ? 4 : 1; }
// A 2-bit image is held, and written, with 4-bit samples.
std::uint8_t FileBitDepth(Format f) { return f.bitDepth == 2 ? 4 : f.bitDepth; }

// Bits per pixel of the header's pixel buffer.
int BufferBits(Format f) {
    if (IsRgb(f)) return 24;
    return f.bitDepth == 16 ? 8 : FileBitDepth(f);
}

// Fills a block with the input's pixel bytes, repeated; zeros when there are none.
void FillRepeating(std::uint8_t* target, std::size_t count, std::span<const std::uint8_t> pixels, std::size_t& at) {
    for (std::size_t i = 0; i < count; ++i) target[i] = pixels.empty() ? 0 : pixels[at++ % pixels.size()];
}

// Header, [PLTE], IDAT, IEND, with every byte of the buffers filled from the
// input: row padding and the bits behind the last pixel too.
const png::TChunkIHDR& BuildImage(png::TPNGObject& image, const FuzzCase& c) {
    image.DiscardChunks();
    image.RowFilters = c.filters;
    image.DeflateLevel = c.level;
    image.IdatLimit = c.idatLimit;
    image.InterlaceMode = c.interlace;
    auto header = std::make_unique<png::TChunkIHDR>(image);
    png::TChunkIHDR& result = *header;
    header->Width = c.width;
    header->Height = c.height;
    header->ColorType = c.format.colorType;
    header->BitDepth = c.format.bitDepth;
    image.ChunkSequence.Append(header.release());
    result.AllocateImage();
    std::size_t at = 0;
    FillRepeating(result.PixelData, std::size_t{result.DibRowBytes} * c.height, c.pixels, at);
    if (HasAlpha(c.format)) FillRepeating(result.AlphaData, std::size_t{c.width} * c.height, c.pixels, at);
    if (c.format.colorType == 3) image.ChunkSequence.Append(new png::TChunkPLTE(image));
    image.ChunkSequence.Append(new png::TChunkIDAT(image));
    image.ChunkSequence.Append(new png::TChunkIEND(image));
    return result;
}

Bytes Save(png::TPNGObject& image) {
    vcl::TMemoryStream stream;
    try {
        image.SaveToStream(stream);
    } catch (const std::exception& error) {
        Fail(std::string("the save raised: ") + error.what());
    }
    return stream.Bytes();
}

// The samples that libpng must read, taken from the buffer layouts: rows
// bottom-up, blue-green-red pixels, indices and greys packed from the most
// significant bit, alpha top-down; a 16-bit sample is the stored byte * 256.
std::vector<std::uint16_t> ExpectedSamples(const png::TChunkIHDR& header, Format f) {
    const int bits = BufferBits(f);
    const std::uint16_t scale = f.bitDepth == 16 ? 256 : 1;
    std::vector<std::uint16_t> samples;
    for (std::uint32_t y = 0; y < header.Height; ++y) {
        const std::uint8_t* row = header.PixelData + std::size_t{header.DibRowBytes} * (header.Height - 1 - y);
        for (std::uint32_t x = 0; x < header.Width; ++x) {
            if (IsRgb(f)) {
                for (int c : {2, 1, 0}) samples.push_back(static_cast<std::uint16_t>(row[3 * x + c] * scale));
            } else {
                const std::size_t bit = std::size_t{x} * bits;
                const unsigned value = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                samples.push_back(static_cast<std::uint16_t>(value * scale));
            }
            if (HasAlpha(f)) samples.push_back(static_cast<std::uint16_t>(header.AlphaData[y * header.Width + x] * scale));
        }
    }
    return samples;
}

std::vector<std::array<std::uint8_t, 3>> HeaderPalette(const png::TChunkIHDR& header) {
    std::vector<png::PaletteEntry> entries(header.DibInfo.bmiHeader.biClrUsed);
    header.DibPalette->GetEntries(0, static_cast<std::uint32_t>(entries.size()), entries.data());
    std::vector<std::array<std::uint8_t, 3>> colours;
    for (const png::PaletteEntry& e : entries) colours.push_back({e.peRed, e.peGreen, e.peBlue});
    return colours;
}

Bytes ExpectedIhdr(const FuzzCase& c) {
    Bytes data(13);
    png::PutBigEndian32(&data[0], c.width);
    png::PutBigEndian32(&data[4], c.height);
    data[8] = FileBitDepth(c.format);
    data[9] = c.format.colorType;
    data[12] = c.interlace;
    return data;
}

std::vector<RawChunk> ReadChunks(const Bytes& file) {
    try {
        return testsupport::ReadChunks(file);  // checks the signature
    } catch (const std::exception& error) {
        Fail(std::string("chunk walk: ") + error.what());
    }
}

// IHDR, [PLTE], IDAT..., IEND; every CRC right; every IDAT but the last
// holds exactly the limit, and the last 1 to the limit.
void CheckChunks(const std::vector<RawChunk>& chunks, const FuzzCase& c) {
    Require(chunks.size() >= 3, "fewer than three chunks");
    for (const RawChunk& chunk : chunks) Require(chunk.crcOk, "a chunk's CRC is wrong");
    Require(chunks.front().type == "IHDR", "IHDR is not first");
    Require(chunks.front().data == ExpectedIhdr(c), "IHDR does not describe the image");
    Require(chunks.back().type == "IEND" && chunks.back().data.empty(), "an empty IEND is not last");
    std::size_t i = 1;
    if (c.format.colorType == 3) Require(chunks[i++].type == "PLTE", "PLTE does not follow IHDR");
    const std::size_t lastIdat = chunks.size() - 2;
    Require(i <= lastIdat, "no IDAT chunk");
    const auto limit = static_cast<std::size_t>(c.idatLimit);
    for (; i <= lastIdat; ++i) {
        Require(chunks[i].type == "IDAT", "a chunk other than IDAT among the image data");
        const std::size_t size = chunks[i].data.size();
        Require(size >= 1 && size <= limit, "an IDAT chunk is empty or over the limit");
        Require(i == lastIdat || size == limit, "an IDAT chunk before the last is not full");
    }
}

// The lines of the image data in stream order.
std::vector<testsupport::LineBlock> LineBlocks(const FuzzCase& c) {
    const int bitsPerPixel = Channels(c.format) * FileBitDepth(c.format);
    return testsupport::ImageLineBlocks(c.width, c.height, bitsPerPixel, c.interlace != 0);
}

// A set of one type is used on every line; from a larger set the writer may
// also fall back to None, and an empty set means None.
std::uint8_t AllowedFilterTypes(std::uint8_t filters) {
    if (std::popcount(filters) == 1) return filters;
    return static_cast<std::uint8_t>(filters | png::FilterBit(png::pfNone));
}

// The joined IDAT data is one zlib stream holding exactly the image's lines,
// each led by an allowed filter type.
void CheckImageData(const std::vector<RawChunk>& chunks, const FuzzCase& c) {
    Bytes data;
    try {
        data = testsupport::Inflate(testsupport::JoinedIdat(chunks));
    } catch (const std::exception& error) {
        Fail(std::string("inflate: ") + error.what());
    }
    const std::uint8_t allowed = AllowedFilterTypes(c.filters);
    std::size_t at = 0;
    for (const testsupport::LineBlock& block : LineBlocks(c)) {
        for (std::uint32_t line = 0; line < block.lines; ++line) {
            Require(at < data.size(), "the image data ends early");
            Require(data[at] < 5 && (allowed >> data[at] & 1), "a line has a filter type outside the set");
            at += 1 + block.lineBytes;
        }
    }
    Require(at == data.size(), "the image data is not exactly the image's lines");
}

void CheckDecoded(const Bytes& file, const FuzzCase& c, const png::TChunkIHDR& header) {
    testsupport::DecodedPng decoded;
    try {
        decoded = testsupport::DecodeWithLibpng(file);
    } catch (const std::exception& error) {
        Fail(std::string("libpng: ") + error.what());
    }
    Require(decoded.width == c.width && decoded.height == c.height, "libpng reads another size");
    Require(decoded.colorType == c.format.colorType && decoded.bitDepth == FileBitDepth(c.format),
            "libpng reads another format");
    Require(decoded.interlace == c.interlace, "libpng reads another interlace method");
    Require(decoded.samples == ExpectedSamples(header, c.format), "libpng reads other samples");
    if (c.format.colorType == 3) Require(decoded.palette == HeaderPalette(header), "libpng reads another palette");
}

// A sink that fills up part way: the save fails, and what reached the sink
// is the start of the complete file.
void CheckFailingSink(png::TPNGObject& image, const Bytes& file, std::uint16_t failAt) {
    const std::size_t room = failAt % file.size();
    testsupport::LimitedStream sink(room);
    bool failed = false;
    try {
        image.SaveToStream(sink);
    } catch (const vcl::EWriteError&) {
        failed = true;
    }
    Require(failed, "a save into a full sink reported success");
    Require(std::equal(sink.Bytes().begin(), sink.Bytes().end(), file.begin()) && sink.Bytes().size() == room,
            "a failed save wrote other bytes than the complete file starts with");
}

void CheckRefusedLevel(png::TPNGObject& image) {
    vcl::TMemoryStream stream;
    bool failed = false;
    try {
        image.SaveToStream(stream);
    } catch (const png::EPngError&) {
        failed = true;
    }
    Require(failed, "a save at a level that zlib refuses reported success");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzCase c = ParseCase(data, size);
    png::TPNGObject image;
    const png::TChunkIHDR& header = BuildImage(image, c);
    if (c.level == RefusedLevel) {
        CheckRefusedLevel(image);
        return 0;
    }
    const Bytes file = Save(image);
    const std::vector<RawChunk> chunks = ReadChunks(file);
    CheckChunks(chunks, c);
    CheckImageData(chunks, c);
    CheckDecoded(file, c, header);

    png::TPNGObject twin;
    BuildImage(twin, c);
    Require(Save(twin) == file, "the same input saved to other bytes");
    if (c.failAt) CheckFailingSink(image, file, *c.failAt);
    return 0;
}
