// Reads Windows BMP files into an in-memory device-independent bitmap.
#pragma once

#include <cstdint>
#include <span>

#include "platform/vcl/memory_dib.h"
#include "platform/vcl/sysutils.h"

namespace bmp {

// A file that is not a BMP this reader accepts; the message is one line.
class EBmpError : public vcl::Exception {
    using vcl::Exception::Exception;
};

// Parses a whole BMP file: BITMAPINFOHEADER and its V2 to V5 extensions,
// uncompressed or bit-field pixels of 1, 4, 8, 16, 24 or 32 bits, either
// row order. Every size is checked against the bytes given before it is
// used, so any input either yields a bitmap or raises EBmpError.
vcl::MemoryDib ReadBmp(std::span<const std::uint8_t> file);

}  // namespace bmp
