#include "support/libpng_decoder.h"

#include <png.h>

#include <cstring>
#include <stdexcept>

namespace testsupport {
namespace {

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

}  // namespace testsupport
