#include "png/png_stream.h"

#include <array>
#include <bit>
#include <cstring>

#include "png/pnglang.h"
#include "png/zlib_deflater.h"

namespace png {
namespace {

static_assert(std::endian::native == std::endian::little, "the CRC reads words in little-endian order");

// Table k gives the CRC of a byte followed by k zero bytes, so eight bytes
// can be folded into the register at once. Table 0 is the classic table.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

CrcTables BuildCrcTables() {
    CrcTables tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < tables.size(); ++k)
        for (std::size_t n = 0; n < 256; ++n)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    return tables;
}

const CrcTables& CrcTable() {
    static const CrcTables tables = BuildCrcTables();
    return tables;
}

std::uint32_t LoadWord(const std::uint8_t* p) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

}  // namespace

std::uint32_t UpdateCrc(std::uint32_t crc, const void* buffer, std::size_t count) {
    const CrcTables& t = CrcTable();
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    for (; count >= 8; count -= 8, p += 8) {
        const std::uint32_t low = crc ^ LoadWord(p);
        const std::uint32_t high = LoadWord(p + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; count > 0; --count) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return crc;
}

std::uint32_t ChunkCrc(const std::uint8_t type[4], const void* data, std::size_t count) {
    return ~UpdateCrc(UpdateCrc(0xFFFFFFFFu, type, 4), data, count);
}

std::string ZlibDeflater::ErrorText(int result) const {
    return FStream.msg ? FStream.msg : std::string(pnglang::ZlibStatusText(result));
}

DeflateResult DeflateToBuffer(const void* input, std::size_t size, int level) {
    DeflateResult result;
    ZlibDeflater deflater;
    int status = deflater.Init(level);
    z_stream& z = deflater.Stream();
    z.next_in = static_cast<Bytef*>(const_cast<void*>(input));
    z.avail_in = static_cast<uInt>(size);
    std::uint8_t buffer[256];
    while (status >= 0 && status != Z_STREAM_END) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        status = deflate(&z, Z_FINISH);
        result.data.insert(result.data.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    }
    if (status < 0) {
        result.errorText = deflater.ErrorText(status);
        result.data.clear();
        return result;
    }
    result.success = true;
    return result;
}

}  // namespace png
