#include "png/bgr_sub_filter.h"

#include <cstring>

namespace png {
namespace {

typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));

}  // namespace

// Five pixels a round: the 16-byte difference holds them in blue-green-red
// order; shifting it two bytes either way brings red and blue to their
// places, and masks pick each byte from the right one. The 16th byte stored
// belongs to the next round, which rewrites it.
void SubFilterBgrRow(const std::uint8_t* row, std::uint8_t* line, std::size_t width) {
    if (width == 0) return;
    SubFilterFirstPixel(row, line);
    const Bytes16 zero = {};
    const Bytes16 greens = {0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0};
    const Bytes16 reds = {0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    const Bytes16 blues = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0};
    const Bytes16 twoDown = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 16};  // 16: a zero byte
    const Bytes16 twoUp = {16, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    const std::size_t bytes = 3 * width;
    std::size_t i = 3;
    for (; i + 16 <= bytes; i += 15) {
        Bytes16 now, left;
        std::memcpy(&now, row + i, sizeof now);
        std::memcpy(&left, row + i - 3, sizeof left);
        const Bytes16 d = now - left;
        const Bytes16 down = __builtin_shuffle(d, zero, twoDown);
        const Bytes16 up = __builtin_shuffle(d, zero, twoUp);
        const Bytes16 out = (d & greens) | (down & reds) | (up & blues);
        std::memcpy(line + i, &out, sizeof out);
    }
    for (std::size_t x = i / 3; x < width; ++x) SubFilterPixel(row, line, x);
}

}  // namespace png
