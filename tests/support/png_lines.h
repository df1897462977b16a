// The lines of a PNG image's data in stream order: one block of lines, or one
// per non-empty Adam7 pass.
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

struct LineBlock {
    std::uint32_t lines;
    std::uint64_t lineBytes;  // without the filter-type byte
};

inline std::vector<LineBlock> ImageLineBlocks(std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                                              bool adam7) {
    struct Pass {
        std::uint32_t rowStart, columnStart, rowStep, columnStep;
    };
    constexpr Pass Adam7Passes[] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                    {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
    const auto steps = [](std::uint32_t size, std::uint32_t start, std::uint32_t step) {
        return size > start ? (size - start + step - 1) / step : 0;
    };
    const auto lineBytes = [&](std::uint32_t columns) {
        return (std::uint64_t{columns} * static_cast<std::uint64_t>(bitsPerPixel) + 7) / 8;
    };
    if (!adam7) return {{height, lineBytes(width)}};
    std::vector<LineBlock> blocks;
    for (const Pass& pass : Adam7Passes) {
        const std::uint32_t columns = steps(width, pass.columnStart, pass.columnStep);
        const std::uint32_t rows = steps(height, pass.rowStart, pass.rowStep);
        if (columns > 0 && rows > 0) blocks.push_back({rows, lineBytes(columns)});
    }
    return blocks;
}

}  // namespace testsupport
