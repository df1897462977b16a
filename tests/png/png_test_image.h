// Builds images chunk by chunk, as a decoder or a caller filling the
// header's buffers would, and saves them to memory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "png/pngimage.h"

namespace pngtest {

// Adds a header of the given format with zeroed buffers, then PLTE (for
// colour type 3), IDAT and IEND; returns the header.
inline png::TChunkIHDR& BuildImage(png::TPNGObject& image, std::uint32_t width, std::uint32_t height,
                                   std::uint8_t colorType, std::uint8_t bitDepth) {
    image.DiscardChunks();
    auto header = std::make_unique<png::TChunkIHDR>(image);
    header->Width = width;
    header->Height = height;
    header->ColorType = colorType;
    header->BitDepth = bitDepth;
    header->AllocateImage();
    png::TChunkIHDR& result = *header;
    image.ChunkSequence.Append(header.release());
    if (colorType == 3) image.ChunkSequence.Append(new png::TChunkPLTE(image));
    image.ChunkSequence.Append(new png::TChunkIDAT(image));
    image.ChunkSequence.Append(new png::TChunkIEND(image));
    return result;
}

inline std::vector<std::uint8_t> SaveToBytes(png::TPNGObject& image) {
    vcl::TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

}  // namespace pngtest
