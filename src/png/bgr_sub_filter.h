// Packing rows of blue-green-red pixels as red-green-blue lines and
// Sub-filtering them in one pass: the work of every screenshot line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace png {

// Writes the 3 * width bytes of the Sub-filtered line.
using BgrSubFilter = void (*)(const std::uint8_t* row, std::uint8_t* line, std::size_t width);

// The portable kernel, in plain vector arithmetic.
void SubFilterBgrRow(const std::uint8_t* row, std::uint8_t* line, std::size_t width);

// The fastest kernel this processor runs.
BgrSubFilter ChooseBgrSubFilter();

// Pixel x's red, green and blue come from source bytes 3x + 2, 3x + 1 and 3x;
// the Sub filter subtracts the same channel of pixel x - 1, three bytes back.
// So the line is the source's byte-wise difference with itself three bytes
// earlier, reordered within each pixel. The kernels take five pixels (15
// bytes) a round; the 16th byte they store belongs to the next round.

typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));

// Source bytes i .. i + 15 minus the bytes three before them.
inline Bytes16 DifferenceWithLeft(const std::uint8_t* row, std::size_t i) {
    Bytes16 now, left;
    std::memcpy(&now, row + i, sizeof now);
    std::memcpy(&left, row + i - 3, sizeof left);
    return now - left;
}

inline void Store16(std::uint8_t* target, Bytes16 bytes) { std::memcpy(target, &bytes, sizeof bytes); }

// The first pixel has no left neighbour.
inline void SubFilterFirstPixel(const std::uint8_t* row, std::uint8_t* line) {
    line[0] = row[2];
    line[1] = row[1];
    line[2] = row[0];
}

// Pixels from `firstByte` / 3 to the end of the line, one at a time.
inline void SubFilterRemainingPixels(const std::uint8_t* row, std::uint8_t* line, std::size_t firstByte,
                                     std::size_t width) {
    for (std::size_t x = firstByte / 3; x < width; ++x) {
        const std::uint8_t* p = row + 3 * x;
        line[3 * x] = static_cast<std::uint8_t>(p[2] - p[-1]);
        line[3 * x + 1] = static_cast<std::uint8_t>(p[1] - p[-2]);
        line[3 * x + 2] = static_cast<std::uint8_t>(p[0] - p[-3]);
    }
}

}  // namespace png
