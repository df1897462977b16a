#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "png/bgr_sub_filter.h"

namespace {

// Red, green, blue of each pixel minus those of the pixel to its left.
std::vector<std::uint8_t> Reference(const std::vector<std::uint8_t>& bgr, std::size_t width) {
    std::vector<std::uint8_t> line(3 * width);
    for (std::size_t x = 0; x < width; ++x)
        for (int c = 0; c < 3; ++c) {
            const int here = bgr[3 * x + 2 - c];
            const int left = x ? bgr[3 * (x - 1) + 2 - c] : 0;
            line[3 * x + c] = static_cast<std::uint8_t>(here - left);
        }
    return line;
}

// Widths up to 50 pixels cover each kernel's head, vector rounds and tail.
TEST(BgrSubFilterTest, EveryKernelMatchesTheDefinitionAtEveryWidth) {
    std::mt19937 random(11);
    for (const png::BgrSubFilter kernel : {&png::SubFilterBgrRow, png::ChooseBgrSubFilter()}) {
        for (std::size_t width = 0; width <= 50; ++width) {
            std::vector<std::uint8_t> row(3 * width);
            for (auto& b : row) b = static_cast<std::uint8_t>(random());
            std::vector<std::uint8_t> line(3 * width + 1, 0xEE);
            kernel(row.data(), line.data(), width);
            EXPECT_EQ(line.back(), 0xEE) << "wrote past the line, width " << width;
            line.pop_back();
            EXPECT_EQ(line, Reference(row, width)) << "width " << width;
        }
    }
}

}  // namespace
