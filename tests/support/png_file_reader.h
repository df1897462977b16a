// Test oracles that read PNG bytes without our encoder's code: a chunk
// walker with zlib inflate, and a full decode through libpng.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct RawChunk {
    std::string type;
    std::vector<std::uint8_t> data;
    std::uint32_t storedCrc = 0;
    bool crcOk = false;
};

// Splits a PNG file into its chunks. Throws std::runtime_error when the
// signature is wrong or a chunk runs past the end.
std::vector<RawChunk> ReadChunks(const std::vector<std::uint8_t>& file);

// The data of all IDAT chunks, joined in order.
std::vector<std::uint8_t> JoinedIdat(const std::vector<RawChunk>& chunks);

// Inflates one complete zlib stream; throws std::runtime_error if it is not.
std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& stream);

struct DecodedPng {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colorType = 0;
    int bitDepth = 0;
    int interlace = 0;
    int channels = 0;
    // Samples row-major, channels interleaved in file order (R, G, B for
    // colour type 2; the index for type 3), at the file's bit depth.
    std::vector<std::uint16_t> samples;
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::vector<std::uint8_t> transparency;  // tRNS data as stored

    std::uint16_t Sample(std::uint32_t x, std::uint32_t y, int channel) const {
        return samples[(static_cast<std::size_t>(y) * width + x) * channels + channel];
    }
};

// Decodes with libpng, which checks every CRC. Throws std::runtime_error
// with libpng's message on any error or warning.
DecodedPng DecodeWithLibpng(const std::vector<std::uint8_t>& file);

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace testsupport
