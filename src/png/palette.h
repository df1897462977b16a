// A logical colour palette, standing in for the display system's palettes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace png {

struct PaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

class Palette {
public:
    explicit Palette(std::vector<PaletteEntry> entries) : FEntries(std::move(entries)) {}

    // The 256-colour halftone palette of the display system.
    static std::unique_ptr<Palette> CreateHalftone();

    std::uint32_t EntryCount() const noexcept { return static_cast<std::uint32_t>(FEntries.size()); }

    // Changes the number of entries; entries added are black.
    void Resize(std::uint32_t count) { FEntries.resize(count); }

    // Copy up to `count` entries from `start`; return how many were copied.
    std::uint32_t GetEntries(std::uint32_t start, std::uint32_t count, PaletteEntry* entries) const;
    std::uint32_t SetEntries(std::uint32_t start, std::uint32_t count, const PaletteEntry* entries);

private:
    std::vector<PaletteEntry> FEntries;
};

}  // namespace png
