// Checks shared by the libpng oracle tests: saving an image to bytes, the
// chunk layout of a PNG stream, the filter-type bytes of its image data and
// the comparison of libpng's decoded samples with expected ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "png/png_image.h"
#include "support/libpng_decoder.h"
#include "support/png_chunks.h"

namespace pngoracle {

using Bytes = std::vector<std::uint8_t>;

Bytes SaveToBytes(png::TPNGObject& image);

// A deterministic pattern with smooth rows (gradients) and noisy rows, so
// that the row filters have something to choose between.
std::uint8_t PatternByte(std::uint32_t x, std::uint32_t y, std::uint32_t channel);

// The decoders, with their failures reported as test failures (so that a
// SCOPED_TRACE around the call names the case) instead of exceptions.
std::optional<std::vector<testsupport::RawChunk>> ChunksOrFail(const Bytes& file);
std::optional<testsupport::DecodedPng> DecodeOrFail(const Bytes& file);

// IHDR first, IEND last and empty, every CRC right, and one run of IDAT
// chunks in which every chunk but the last holds exactly idatLimit bytes and
// the last holds 1 to idatLimit.
void ExpectWellFormed(const std::vector<testsupport::RawChunk>& chunks, std::int32_t idatLimit);

// The chunk types in file order, a run of IDAT chunks counting once.
std::vector<std::string> ChunkLayout(const std::vector<testsupport::RawChunk>& chunks);

struct LineGeometry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitsPerPixel = 0;  // channels times the file's bit depth
    bool adam7 = false;
};

// Every filter-type byte of the image data must be a type in `allowed`
// (bit n = type n), and the inflated data must be exactly the lines that
// the geometry asks for.
void ExpectFilterTypes(const std::vector<testsupport::RawChunk>& chunks, const LineGeometry& geometry,
                       std::uint8_t allowed);

// Compares libpng's samples with the expected ones (row-major, channels in
// file order) and reports the first difference by position.
void ExpectSamplesEqual(const testsupport::DecodedPng& decoded, const std::vector<std::uint16_t>& expected);

}  // namespace pngoracle
