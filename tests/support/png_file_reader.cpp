#include "support/png_file_reader.h"

#include <png.h>
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

struct LibpngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    LibpngReader() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (!png) throw std::runtime_error("png_create_read_struct failed");
        info = png_create_info_struct(png);
    }
    ~LibpngReader() { png_destroy_read_struct(&png, &info, nullptr); }
    static void OnError(png_structp, png_const_charp message) { throw std::runtime_error(message); }
    static void OnWarning(png_structp, png_const_charp message) { throw std::runtime_error(message); }
};

struct Source {
    const std::vector<std::uint8_t>* bytes;
    std::size_t position = 0;
    static void Read(png_structp png, png_bytep out, png_size_t count) {
        auto* self = static_cast<Source*>(png_get_io_ptr(png));
        if (self->position + count > self->bytes->size()) png_error(png, "read past the end of the file");
        std::memcpy(out, self->bytes->data() + self->position, count);
        self->position += count;
    }
};

std::uint16_t UnpackSample(const png_byte* row, std::size_t index, int bitDepth) {
    if (bitDepth == 16) return static_cast<std::uint16_t>((row[2 * index] << 8) | row[2 * index + 1]);
    if (bitDepth == 8) return row[index];
    const std::size_t bit = index * bitDepth;
    const int shift = 8 - bitDepth - static_cast<int>(bit % 8);
    return static_cast<std::uint16_t>((row[bit / 8] >> shift) & ((1 << bitDepth) - 1));
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

DecodedPng DecodeWithLibpng(const std::vector<std::uint8_t>& file) {
    LibpngReader reader;
    Source source{&file};
    png_set_read_fn(reader.png, &source, Source::Read);
    png_read_info(reader.png, reader.info);

    DecodedPng image;
    image.width = png_get_image_width(reader.png, reader.info);
    image.height = png_get_image_height(reader.png, reader.info);
    image.colorType = png_get_color_type(reader.png, reader.info);
    image.bitDepth = png_get_bit_depth(reader.png, reader.info);
    image.interlace = png_get_interlace_type(reader.png, reader.info);
    image.channels = png_get_channels(reader.png, reader.info);

    png_colorp palette = nullptr;
    int paletteSize = 0;
    if (png_get_PLTE(reader.png, reader.info, &palette, &paletteSize) & PNG_INFO_PLTE)
        for (int i = 0; i < paletteSize; ++i) image.palette.push_back({palette[i].red, palette[i].green, palette[i].blue});
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p keyColor = nullptr;
    if (png_get_tRNS(reader.png, reader.info, &alpha, &alphaCount, &keyColor) & PNG_INFO_tRNS) {
        if (image.colorType == PNG_COLOR_TYPE_PALETTE) {
            image.transparency.assign(alpha, alpha + alphaCount);
        } else {
            const std::uint16_t values[3] = {keyColor->red, keyColor->green, keyColor->blue};
            const int count = image.colorType == PNG_COLOR_TYPE_GRAY ? 1 : 3;
            for (int i = 0; i < count; ++i) {
                const std::uint16_t v = count == 1 ? keyColor->gray : values[i];
                image.transparency.push_back(static_cast<std::uint8_t>(v >> 8));
                image.transparency.push_back(static_cast<std::uint8_t>(v));
            }
        }
    }

    png_set_interlace_handling(reader.png);
    png_read_update_info(reader.png, reader.info);
    const std::size_t rowBytes = png_get_rowbytes(reader.png, reader.info);
    std::vector<png_byte> pixels(rowBytes * image.height);
    std::vector<png_bytep> rows(image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) rows[y] = pixels.data() + y * rowBytes;
    png_read_image(reader.png, rows.data());
    png_read_end(reader.png, nullptr);

    const std::size_t perRow = static_cast<std::size_t>(image.width) * image.channels;
    image.samples.reserve(perRow * image.height);
    for (std::uint32_t y = 0; y < image.height; ++y)
        for (std::size_t i = 0; i < perRow; ++i) image.samples.push_back(UnpackSample(rows[y], i, image.bitDepth));
    return image;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace testsupport
