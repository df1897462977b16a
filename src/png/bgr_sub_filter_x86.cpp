// x86 processors with SSSE3 reorder the bytes of five pixels in one shuffle.
#include "png/bgr_sub_filter.h"

namespace png {
namespace {

__attribute__((target("ssse3"))) void SubFilterBgrRowSsse3(const std::uint8_t* row, std::uint8_t* line,
                                                           std::size_t width) {
    if (width == 0) return;
    SubFilterFirstPixel(row, line);
    const std::size_t bytes = 3 * width;
    std::size_t i = 3;
    for (; i + 16 <= bytes; i += 15) {
        const Bytes16 d = DifferenceWithLeft(row, i);
        Store16(line + i, __builtin_shufflevector(d, d, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15));
    }
    SubFilterRemainingPixels(row, line, i, width);
}

}  // namespace

BgrSubFilter ChooseBgrSubFilter() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") ? SubFilterBgrRowSsse3 : SubFilterBgrRow;
}

}  // namespace png
