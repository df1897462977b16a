// Decoded test images, laid out as a 24-bit bottom-up device bitmap holds
// its pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace bench {

struct BgrImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t stride = 0;            // bytes per stored row: width * 3 padded to 4
    std::vector<std::uint8_t> pixels;  // rows bottom-up, blue-green-red

    // Image row y, counted from the top.
    const std::uint8_t* Row(std::uint32_t y) const { return pixels.data() + (height - 1 - y) * stride; }

    // Bytes of the image as packed RGB: what every encoder takes in.
    std::uint64_t RawBytes() const { return std::uint64_t{width} * height * 3; }
};

// Decodes a PNG file with libpng into 8-bit blue-green-red; grey, palette,
// 16-bit and alpha images are converted (alpha is dropped). Throws
// std::runtime_error on a file libpng cannot read.
BgrImage DecodePng(const std::filesystem::path& file);

// The .png files of a folder, sorted by name.
std::vector<std::filesystem::path> ListPngFiles(const std::filesystem::path& folder);

}  // namespace bench
