// Byte order, CRC-32 and compression helpers of the PNG stream writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace png {

// The eight bytes that open every PNG file.
inline constexpr std::uint8_t PngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Runs the CRC-32 register of the PNG standard over `count` bytes. It
// neither presets nor complements: start at 0xFFFFFFFF and complement the end.
std::uint32_t UpdateCrc(std::uint32_t crc, const void* buffer, std::size_t count);

// The CRC of one chunk: over its type bytes and its data, complemented.
std::uint32_t ChunkCrc(const std::uint8_t type[4], const void* data, std::size_t count);

constexpr std::uint32_t SwapBytes32(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

constexpr std::uint32_t SwapBytes16(std::uint32_t value) { return ((value >> 8) & 0xFF) | ((value & 0xFF) << 8); }

// Stores a 32-bit or 16-bit number most significant byte first.
inline void PutBigEndian32(std::uint8_t* target, std::uint32_t value) {
    target[0] = static_cast<std::uint8_t>(value >> 24);
    target[1] = static_cast<std::uint8_t>(value >> 16);
    target[2] = static_cast<std::uint8_t>(value >> 8);
    target[3] = static_cast<std::uint8_t>(value);
}

inline void PutBigEndian16(std::uint8_t* target, std::uint16_t value) {
    target[0] = static_cast<std::uint8_t>(value >> 8);
    target[1] = static_cast<std::uint8_t>(value);
}

struct DeflateResult {
    bool success = false;
    std::vector<std::uint8_t> data;  // one complete zlib stream
    std::string errorText;
};

// Compresses a memory block into one zlib stream at the given level.
DeflateResult DeflateToBuffer(const void* input, std::size_t size, int level);

}  // namespace png
