#include "png/bgr_sub_filter.h"

namespace png {

// Shifting the difference two bytes either way brings red and blue to their
// places; masks pick each byte from the right one.
void SubFilterBgrRow(const std::uint8_t* row, std::uint8_t* line, std::size_t width) {
    if (width == 0) return;
    SubFilterFirstPixel(row, line);
    const Bytes16 zero = {};
    const Bytes16 greens = {0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0};
    const Bytes16 reds = {0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    const Bytes16 blues = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0};
    const std::size_t bytes = 3 * width;
    std::size_t i = 3;
    for (; i + 16 <= bytes; i += 15) {
        const Bytes16 d = DifferenceWithLeft(row, i);
        // Index 16 picks a zero byte.
        const Bytes16 down = __builtin_shufflevector(d, zero, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 16);
        const Bytes16 up = __builtin_shufflevector(d, zero, 16, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13);
        Store16(line + i, (d & greens) | (down & reds) | (up & blues));
    }
    SubFilterRemainingPixels(row, line, i, width);
}

}  // namespace png
