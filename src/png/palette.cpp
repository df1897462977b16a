#include "png/palette.h"

#include <algorithm>
#include <array>

namespace png {
namespace {

// The halftone palette: the ten static colours at each end, a 6 x 6 x 6
// colour cube (red varying fastest) and twenty greys between the cube's.
constexpr std::array<PaletteEntry, 256> BuildHalftone() {
    constexpr PaletteEntry lowStatic[10] = {{0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},
                                            {128, 128, 0, 0},   {0, 0, 128, 0},     {128, 0, 128, 0},
                                            {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0},
                                            {166, 202, 240, 0}};
    constexpr PaletteEntry highStatic[10] = {{255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0},
                                             {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
                                             {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},
                                             {255, 255, 255, 0}};
    std::array<PaletteEntry, 256> table{};
    std::size_t next = 0;
    for (const PaletteEntry& entry : lowStatic) table[next++] = entry;
    for (int blue = 0; blue < 6; ++blue)
        for (int green = 0; green < 6; ++green)
            for (int red = 0; red < 6; ++red)
                table[next++] = {static_cast<std::uint8_t>(red * 51), static_cast<std::uint8_t>(green * 51),
                                 static_cast<std::uint8_t>(blue * 51), 0};
    for (int step = 1; step <= 20; ++step) {
        const auto grey = static_cast<std::uint8_t>((255 * step + 10) / 21);
        table[next++] = {grey, grey, grey, 0};
    }
    for (const PaletteEntry& entry : highStatic) table[next++] = entry;
    return table;
}

constexpr std::array<PaletteEntry, 256> HalftoneEntries = BuildHalftone();

}  // namespace

std::unique_ptr<Palette> Palette::CreateHalftone() {
    return std::make_unique<Palette>(std::vector<PaletteEntry>(HalftoneEntries.begin(), HalftoneEntries.end()));
}

std::uint32_t Palette::GetEntries(std::uint32_t start, std::uint32_t count, PaletteEntry* entries) const {
    if (start >= FEntries.size()) return 0;
    const auto copied = std::min<std::uint32_t>(count, EntryCount() - start);
    std::copy_n(FEntries.begin() + start, copied, entries);
    return copied;
}

std::uint32_t Palette::SetEntries(std::uint32_t start, std::uint32_t count, const PaletteEntry* entries) {
    if (start >= FEntries.size()) return 0;
    const auto copied = std::min<std::uint32_t>(count, EntryCount() - start);
    std::copy_n(entries, copied, FEntries.begin() + start);
    return copied;
}

}  // namespace png
