// Reads the image data back out of an encoded PNG.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace bench {

// The data of every IDAT chunk, joined in file order. Throws
// std::runtime_error when the bytes are not a sequence of whole chunks
// after the PNG signature.
std::vector<std::uint8_t> JoinedIdatData(std::span<const std::uint8_t> png);

}  // namespace bench
