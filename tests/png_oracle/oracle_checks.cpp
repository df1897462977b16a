#include "png_oracle/oracle_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>

#include "platform/vcl/classes.h"
#include "support/png_lines.h"

namespace pngoracle {
namespace {

using testsupport::RawChunk;


}  // namespace

Bytes SaveToBytes(png::TPNGObject& image) {
    vcl::TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

std::uint8_t PatternByte(std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
    if (y % 3 != 1) return static_cast<std::uint8_t>(x * 5 + y * 3 + channel * 71);
    std::uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ (channel + 1) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return static_cast<std::uint8_t>(h >> 8);
}

std::optional<std::vector<RawChunk>> ChunksOrFail(const Bytes& file) {
    try {
        return testsupport::ReadChunks(file);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "chunk walk: " << error.what();
        return std::nullopt;
    }
}

std::optional<testsupport::DecodedPng> DecodeOrFail(const Bytes& file) {
    try {
        return testsupport::DecodeWithLibpng(file);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "libpng: " << error.what();
        return std::nullopt;
    }
}

void ExpectWellFormed(const std::vector<RawChunk>& chunks, std::int32_t idatLimit) {
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.empty());
    for (std::size_t i = 0; i < chunks.size(); ++i) EXPECT_TRUE(chunks[i].crcOk) << chunks[i].type << " #" << i;

    const auto isIdat = [](const RawChunk& chunk) { return chunk.type == "IDAT"; };
    const auto first = std::find_if(chunks.begin(), chunks.end(), isIdat);
    ASSERT_NE(first, chunks.end()) << "no IDAT chunk";
    const auto end = std::find_if_not(first, chunks.end(), isIdat);
    EXPECT_EQ(std::find_if(end, chunks.end(), isIdat), chunks.end()) << "IDAT chunks are not consecutive";
    const auto limit = static_cast<std::size_t>(idatLimit);
    for (auto idat = first; idat != end; ++idat) {
        const std::size_t size = idat->data.size();
        if (std::next(idat) != end)
            EXPECT_EQ(size, limit) << "IDAT #" << (idat - first) << " is not full";
        else
            EXPECT_TRUE(size >= 1 && size <= limit) << "last IDAT holds " << size << " bytes";
    }
}

std::vector<std::string> ChunkLayout(const std::vector<RawChunk>& chunks) {
    std::vector<std::string> layout;
    for (const RawChunk& chunk : chunks)
        if (layout.empty() || chunk.type != "IDAT" || layout.back() != "IDAT") layout.push_back(chunk.type);
    return layout;
}

void ExpectFilterTypes(const std::vector<RawChunk>& chunks, const LineGeometry& geometry, std::uint8_t allowed) {
    Bytes data;
    try {
        data = testsupport::Inflate(testsupport::JoinedIdat(chunks));
    } catch (const std::exception& error) {
        FAIL() << "inflate: " << error.what();
    }
    std::size_t at = 0;
    std::size_t refused = 0;
    for (const auto& [lines, lineBytes] :
         testsupport::ImageLineBlocks(geometry.width, geometry.height, geometry.bitsPerPixel, geometry.adam7)) {
        for (std::uint32_t line = 0; line < lines; ++line) {
            ASSERT_LT(at, data.size()) << "image data ends early";
            const std::uint8_t type = data[at];
            if (type >= 5 || !(allowed >> type & 1)) {
                if (refused++ == 0) ADD_FAILURE() << "first refused filter type " << int{type} << " at byte " << at;
            }
            at += 1 + lineBytes;
        }
    }
    EXPECT_EQ(refused, 0u) << "lines with a refused filter type";
    EXPECT_EQ(at, data.size()) << "image data is not exactly the lines of the image";
}

void ExpectSamplesEqual(const testsupport::DecodedPng& decoded, const std::vector<std::uint16_t>& expected) {
    ASSERT_EQ(decoded.samples.size(), expected.size());
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (decoded.samples[i] == expected[i]) continue;
        if (mismatches++ == 0) {
            const std::size_t pixel = i / decoded.channels;
            ADD_FAILURE() << "first difference at x " << pixel % decoded.width << ", y " << pixel / decoded.width
                          << ", channel " << i % decoded.channels << ": libpng read " << decoded.samples[i]
                          << ", expected " << expected[i];
        }
    }
    EXPECT_EQ(mismatches, 0u) << "samples that differ";
}

}  // namespace pngoracle
