// A test oracle that decodes PNG bytes with libpng.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace testsupport {

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

}  // namespace testsupport
