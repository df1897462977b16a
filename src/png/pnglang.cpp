#include "png/pnglang.h"

#include <array>

namespace png::pnglang {

std::string_view ZlibStatusText(int result) {
    static constexpr std::array<std::string_view, 9> texts = {
        "incompatible version (-6)", "buffer error (-5)", "insufficient memory (-4)",
        "data error (-3)",           "stream error (-2)", "file error (-1)",
        "(0)",                       "stream end (1)",    "need dictionary (2)",
    };
    if (result < -6 || result > 2) return "unknown error";
    return texts[static_cast<std::size_t>(result + 6)];
}

}  // namespace png::pnglang
