// x86 processors with SSSE3 reorder the bytes of five pixels in one shuffle.
#include <cstring>

#include "png/bgr_sub_filter.h"

namespace png {
namespace {

typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));

__attribute__((target("ssse3"))) void SubFilterBgrRowSsse3(const std::uint8_t* row, std::uint8_t* line,
                                                           std::size_t width) {
    if (width == 0) return;
    SubFilterFirstPixel(row, line);
    const Bytes16 swapRedBlue = {2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15};
    const std::size_t bytes = 3 * width;
    std::size_t i = 3;
    for (; i + 16 <= bytes; i += 15) {
        Bytes16 now, left;
        std::memcpy(&now, row + i, sizeof now);
        std::memcpy(&left, row + i - 3, sizeof left);
        const Bytes16 out = __builtin_shuffle(now - left, swapRedBlue);
        std::memcpy(line + i, &out, sizeof out);
    }
    for (std::size_t x = i / 3; x < width; ++x) SubFilterPixel(row, line, x);
}

}  // namespace

BgrSubFilter ChooseBgrSubFilter() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") ? SubFilterBgrRowSsse3 : SubFilterBgrRow;
}

}  // namespace png
