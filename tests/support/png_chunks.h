// A test oracle that reads PNG bytes without our encoder's code: a chunk
// walker with zlib's inflate.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct RawChunk {
    std::string type;
    std::vector<std::uint8_t> data;
    std::uint32_t storedCrc = 0;
    bool crcOk = false;
};

// Splits a PNG file into its chunks. Throws std::runtime_error when the
// signature is wrong or a chunk runs past the end.
std::vector<RawChunk> ReadChunks(const std::vector<std::uint8_t>& file);

// The data of all IDAT chunks, joined in order.
std::vector<std::uint8_t> JoinedIdat(const std::vector<RawChunk>& chunks);

// Inflates one complete zlib stream; throws std::runtime_error if it is not.
std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& stream);

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace testsupport
