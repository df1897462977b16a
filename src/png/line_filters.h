// Packing image rows into PNG lines, and the row filters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "png/bgr_sub_filter.h"

namespace png {

using GammaTable = std::array<std::uint8_t, 256>;

// The columns of a line: every column for a plain line, or those of one
// interlace pass.
struct ColumnSpan {
    std::uint32_t first = 0;
    std::uint32_t step = 1;
    std::uint32_t count = 0;
};

// One row to pack: its pixels in the header's buffer layout, its alpha
// bytes, and where the PNG line goes.
struct PackJob {
    const std::uint8_t* row;
    const std::uint8_t* alpha;
    std::uint8_t* line;
    std::size_t lineBytes;
    ColumnSpan columns;
    int bitCount;  // bits per pixel of indexed and grey rows
    const GammaTable* gamma;
};

using LinePacker = void (*)(const PackJob& job);

// The packer for a colour type and bit depth; null when there is none.
LinePacker PackerFor(std::uint8_t colorType, std::uint8_t bitDepth);

// Filters lines and picks the filter type for each from an allowed set.
// Every buffer starts with a slot for the filter-type byte, so a chosen
// line is handed to deflate as one block: type byte, then the line.
class LineFilter {
public:
    LineFilter(std::uint8_t filterSet, std::size_t maxLineBytes, std::uint32_t pixelStride);

    // Where the next line is packed.
    std::uint8_t* RawLine() noexcept { return FRaw + 1; }

    // Starts a pass of lines of `lineBytes` bytes, filtered against zeros first.
    void StartPass(std::size_t lineBytes);

    // Filters the raw line; returns the type byte followed by the line.
    const std::uint8_t* FilterLine();

    // Whether lines of blue-green-red pixels may be packed and filtered in
    // one step by FilterSubBgrRow: the set is exactly {Sub}.
    bool SubOnly() const noexcept { return FSet == 1u << 1; }

    // Packs a row of blue-green-red pixels as red-green-blue and Sub-filters
    // it in the same pass; returns the type byte followed by the line.
    const std::uint8_t* FilterSubBgrRow(const std::uint8_t* row);

    std::size_t LineBytes() const noexcept { return FLineBytes; }

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* block) const noexcept;
    };
    using Buffer = std::unique_ptr<std::uint8_t, FreeDeleter>;
    Buffer NewLineBuffer(std::uint8_t typeByte) const;
    void ComputeCandidate(int type);
    int ChooseFilter() const;
    int Score(int type) const;

    std::uint8_t FSet;
    std::size_t FMaxLineBytes;
    std::uint32_t FStride;
    BgrSubFilter FBgrSubFilter;
    std::size_t FLineBytes = 0;
    std::array<Buffer, 5> FCandidates;  // by filter type; 0 is unused
    Buffer FRawBlock;
    Buffer FPriorBlock;
    std::uint8_t* FRaw;    // the line being filtered
    std::uint8_t* FPrior;  // the previous raw line; also the None candidate
};

}  // namespace png
