#include "idat_data.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace bench {
namespace {

constexpr std::array<std::uint8_t, 8> Signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t ChunkOverhead = 12;  // length, type and CRC

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

std::vector<std::uint8_t> JoinedIdatData(std::span<const std::uint8_t> png) {
    if (png.size() < Signature.size() || !std::equal(Signature.begin(), Signature.end(), png.begin()))
        throw std::runtime_error("output does not start with the PNG signature");
    std::vector<std::uint8_t> joined;
    for (std::size_t at = Signature.size(); at < png.size();) {
        if (png.size() - at < ChunkOverhead) throw std::runtime_error("output ends inside a chunk header");
        const std::size_t length = ReadBigEndian32(&png[at]);
        if (png.size() - at - ChunkOverhead < length) throw std::runtime_error("output ends inside a chunk");
        const auto type = png.subspan(at + 4, 4);
        const auto data = png.subspan(at + 8, length);
        if (std::equal(type.begin(), type.end(), "IDAT")) joined.insert(joined.end(), data.begin(), data.end());
        at += ChunkOverhead + length;
    }
    return joined;
}

}  // namespace bench
