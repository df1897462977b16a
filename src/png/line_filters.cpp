#include "png/line_filters.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/vcl/sysutils.h"

namespace png {
namespace {

// ---- Packers ----------------------------------------------------------------
// Colour bytes pass through the gamma table; grey, alpha and index values do
// not. The second byte of a 16-bit sample is 0.

template <class PutPixel>
void ForEachColumn(const PackJob& job, PutPixel put) {
    std::uint8_t* out = job.line;
    for (std::uint32_t i = 0, c = job.columns.first; i < job.columns.count; ++i, c += job.columns.step) out = put(c, out);
}

void PackIndexed(const PackJob& job) {
    if (job.columns.first == 0 && job.columns.step == 1) {
        std::memcpy(job.line, job.row, job.lineBytes);
        return;
    }
    const int bits = job.bitCount;
    const unsigned mask = (1u << bits) - 1;
    std::memset(job.line, 0, job.lineBytes);
    std::size_t outBit = 0;
    for (std::uint32_t i = 0, c = job.columns.first; i < job.columns.count; ++i, c += job.columns.step) {
        const std::size_t inBit = std::size_t{c} * bits;
        const unsigned value = (job.row[inBit / 8] >> (8 - bits - inBit % 8)) & mask;
        job.line[outBit / 8] |= static_cast<std::uint8_t>(value << (8 - bits - outBit % 8));
        outBit += bits;
    }
}

void PackGray16(const PackJob& job) {
    ForEachColumn(job, [&](std::uint32_t c, std::uint8_t* out) {
        out[0] = job.row[c];
        out[1] = 0;
        return out + 2;
    });
}

void PackRGB8(const PackJob& job) {
    const GammaTable& g = *job.gamma;
    ForEachColumn(job, [&](std::uint32_t c, std::uint8_t* out) {
        const std::uint8_t* p = job.row + 3 * std::size_t{c};
        out[0] = g[p[2]];
        out[1] = g[p[1]];
        out[2] = g[p[0]];
        return out + 3;
    });
}

void PackRGB16(const PackJob& job) {
    const GammaTable& g = *job.gamma;
    ForEachColumn(job, [&](std::uint32_t c, std::uint8_t* out) {
        const std::uint8_t* p = job.row + 3 * std::size_t{c};
        const std::uint8_t sample[6] = {g[p[2]], 0, g[p[1]], 0, g[p[0]], 0};
        std::memcpy(out, sample, sizeof sample);
        return out + 6;
    });
}

void PackGrayAlpha8(const PackJob& job) {
    ForEachColumn(job, [&](std::uint32_t c, std::uint8_t* out) {
        out[0] = job.row[c];
        out[1] = job.alpha[c];
        return out + 2;
    });
}

void PackGrayAlpha16(const PackJob& job) {
    ForEachColumn(job, [&](std::uint32_t c, std::uint8_t* out) {
        const std::uint8_t sample[4] = {job.row[c], 0, job.alpha[c], 0};
        std::memcpy(out, sample, sizeof sample);
        return out + 4;
    });
}

void PackRGBA8(const PackJob& job) {
    const GammaTable& g = *job.gamma;
    ForEachColumn(job, [&](std::uint32_t c, std::uint8_t* out) {
        const std::uint8_t* p = job.row + 3 * std::size_t{c};
        const std::uint8_t sample[4] = {g[p[2]], g[p[1]], g[p[0]], job.alpha[c]};
        std::memcpy(out, sample, sizeof sample);
        return out + 4;
    });
}

void PackRGBA16(const PackJob& job) {
    const GammaTable& g = *job.gamma;
    ForEachColumn(job, [&](std::uint32_t c, std::uint8_t* out) {
        const std::uint8_t* p = job.row + 3 * std::size_t{c};
        const std::uint8_t sample[8] = {g[p[2]], 0, g[p[1]], 0, g[p[0]], 0, job.alpha[c], 0};
        std::memcpy(out, sample, sizeof sample);
        return out + 8;
    });
}

// ---- Filters ----------------------------------------------------------------

std::uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

void FilterSub(const std::uint8_t* raw, std::uint8_t* out, std::size_t n, std::size_t stride) {
    const std::size_t head = std::min(stride, n);
    std::memcpy(out, raw, head);
    for (std::size_t i = head; i < n; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - raw[i - stride]);
}

void FilterUp(const std::uint8_t* raw, const std::uint8_t* prior, std::uint8_t* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - prior[i]);
}

void FilterAverage(const std::uint8_t* raw, const std::uint8_t* prior, std::uint8_t* out, std::size_t n,
                   std::size_t stride) {
    const std::size_t head = std::min(stride, n);
    for (std::size_t i = 0; i < head; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - prior[i] / 2);
    for (std::size_t i = head; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(raw[i] - (raw[i - stride] + prior[i]) / 2);
}

void FilterPaeth(const std::uint8_t* raw, const std::uint8_t* prior, std::uint8_t* out, std::size_t n,
                 std::size_t stride) {
    const std::size_t head = std::min(stride, n);
    for (std::size_t i = 0; i < head; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - PaethPredictor(0, prior[i], 0));
    for (std::size_t i = head; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(raw[i] - PaethPredictor(raw[i - stride], prior[i], prior[i - stride]));
}

}  // namespace

LinePacker PackerFor(std::uint8_t colorType, std::uint8_t bitDepth) {
    switch (colorType) {
        case 0:
            if (bitDepth == 16) return PackGray16;
            [[fallthrough]];
        case 3:
            return bitDepth == 1 || bitDepth == 4 || bitDepth == 8 ? PackIndexed : nullptr;
        case 2: return bitDepth == 8 ? PackRGB8 : bitDepth == 16 ? PackRGB16 : nullptr;
        case 4: return bitDepth == 8 ? PackGrayAlpha8 : bitDepth == 16 ? PackGrayAlpha16 : nullptr;
        case 6: return bitDepth == 8 ? PackRGBA8 : bitDepth == 16 ? PackRGBA16 : nullptr;
        default: return nullptr;
    }
}

void LineFilter::FreeDeleter::operator()(std::uint8_t* block) const noexcept { std::free(block); }

LineFilter::Buffer LineFilter::NewLineBuffer(std::uint8_t typeByte) const {
    auto* block = static_cast<std::uint8_t*>(std::calloc(1 + FMaxLineBytes, 1));
    if (block == nullptr) throw vcl::EOutOfMemory();
    block[0] = typeByte;
    return Buffer(block);
}

LineFilter::LineFilter(std::uint8_t filterSet, std::size_t maxLineBytes, std::uint32_t pixelStride)
    : FSet(filterSet & 0x1F), FMaxLineBytes(maxLineBytes), FStride(pixelStride), FBgrSubFilter(ChooseBgrSubFilter()) {
    for (int type = 1; type <= 4; ++type)
        if (FSet & (1u << type)) FCandidates[type] = NewLineBuffer(static_cast<std::uint8_t>(type));
    FRawBlock = NewLineBuffer(0);
    FPriorBlock = NewLineBuffer(0);
    FRaw = FRawBlock.get();
    FPrior = FPriorBlock.get();
}

void LineFilter::StartPass(std::size_t lineBytes) {
    FLineBytes = lineBytes;
    std::memset(FPrior + 1, 0, lineBytes);
}

void LineFilter::ComputeCandidate(int type) {
    const std::uint8_t* raw = FRaw + 1;
    const std::uint8_t* prior = FPrior + 1;
    std::uint8_t* out = FCandidates[type].get() + 1;
    switch (type) {
        case 1: FilterSub(raw, out, FLineBytes, FStride); break;
        case 2: FilterUp(raw, prior, out, FLineBytes); break;
        case 3: FilterAverage(raw, prior, out, FLineBytes, FStride); break;
        case 4: FilterPaeth(raw, prior, out, FLineBytes, FStride); break;
        default: break;
    }
}

const std::uint8_t* LineFilter::FilterLine() {
    for (int type = 1; type <= 4; ++type)
        if (FSet & (1u << type)) ComputeCandidate(type);
    // The raw line becomes the next line's prior and this line's None candidate.
    std::swap(FRaw, FPrior);
    const int chosen = ChooseFilter();
    return chosen == 0 ? FPrior : FCandidates[chosen].get();
}

const std::uint8_t* LineFilter::FilterSubBgrRow(const std::uint8_t* row) {
    std::uint8_t* out = FCandidates[1].get();
    FBgrSubFilter(row, out + 1, FLineBytes / 3);
    return out;
}

int LineFilter::ChooseFilter() const {
    if (FSet == 0 || FSet == 1u) return 0;
    const bool single = (FSet & (FSet - 1)) == 0;
    int choice = 0;
    int bestScore = 0;
    for (int type = 0; type <= 4; ++type) {
        if (!(FSet & (1u << type))) continue;
        if (single) return type;
        const int score = Score(type);
        if (score > bestScore) {
            choice = type;
            bestScore = score;
        }
    }
    return choice;
}

// How many bytes repeat one of the two before them: runs compress well.
int LineFilter::Score(int type) const {
    const std::uint8_t* f = (type == 0 ? FPrior : FCandidates[type].get()) + 1;
    int score = 0;
    for (std::size_t j = 2; j < FLineBytes; ++j) score += f[j] == f[j - 1] || f[j] == f[j - 2];
    return score;
}

}  // namespace png
