#include "support/png_chunks.h"

#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {
namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

std::vector<RawChunk> ReadChunks(const std::vector<std::uint8_t>& file) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) throw std::runtime_error("no PNG signature");
    std::vector<RawChunk> chunks;
    for (std::size_t at = 8; at < file.size();) {
        if (file.size() - at < 12) throw std::runtime_error("truncated chunk header");
        const std::uint32_t length = BigEndian32(&file[at]);
        if (file.size() - at - 12 < length) throw std::runtime_error("chunk runs past the end");
        RawChunk chunk;
        chunk.type.assign(reinterpret_cast<const char*>(&file[at + 4]), 4);
        chunk.data.assign(file.begin() + static_cast<long>(at + 8), file.begin() + static_cast<long>(at + 8 + length));
        chunk.storedCrc = BigEndian32(&file[at + 8 + length]);
        chunk.crcOk = ::crc32(0, &file[at + 4], length + 4) == chunk.storedCrc;
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    return chunks;
}

std::vector<std::uint8_t> JoinedIdat(const std::vector<RawChunk>& chunks) {
    std::vector<std::uint8_t> joined;
    for (const RawChunk& chunk : chunks)
        if (chunk.type == "IDAT") joined.insert(joined.end(), chunk.data.begin(), chunk.data.end());
    return joined;
}

std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& stream) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::runtime_error("inflateInit failed");
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[65536];
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        if (result == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    const bool complete = result == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    if (!complete) throw std::runtime_error("not one complete zlib stream");
    return out;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace testsupport
