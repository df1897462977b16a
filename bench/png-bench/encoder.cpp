#include "encoder.h"

#include <zlib.h>

namespace bench {

std::size_t OutputCapacity(const BgrImage& image) {
    constexpr std::size_t SmallestIdatLimit = 8192;
    constexpr std::size_t ChunkOverhead = 12;
    constexpr std::size_t OtherChunks = 1024;  // signature, IHDR, IEND and room to spare
    const std::size_t filtered = std::size_t{image.height} * (1 + std::size_t{image.width} * 3);
    const std::size_t stream = compressBound(static_cast<uLong>(filtered));
    return stream + (stream / SmallestIdatLimit + 1) * ChunkOverhead + OtherChunks;
}

}  // namespace bench
