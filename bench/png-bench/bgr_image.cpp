#include "bgr_image.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace bench {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Owns a libpng read structure and its info structure.
class PngReader {
public:
    PngReader() {
        FPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (FPng) FInfo = png_create_info_struct(FPng);
        if (!FPng || !FInfo) {
            png_destroy_read_struct(&FPng, &FInfo, nullptr);
            throw std::runtime_error("libpng: cannot create a read structure");
        }
    }
    ~PngReader() { png_destroy_read_struct(&FPng, &FInfo, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    png_structp Png() const { return FPng; }
    png_infop Info() const { return FInfo; }

private:
    png_structp FPng = nullptr;
    png_infop FInfo = nullptr;
};

// Asks libpng for 8-bit blue-green-red whatever the file holds.
void RequestBgr8(png_structp png, png_infop info) {
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_read_update_info(png, info);
}

// libpng reports errors by longjmp, so no object with a destructor may live
// in this frame. Returns false when libpng failed.
bool ReadImage(png_structp png, png_infop info, std::FILE* file, BgrImage& image, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    RequestBgr8(png, info);
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{image.width} * 3) return false;
    image.stride = (std::size_t{image.width} * 3 + 3) / 4 * 4;
    image.pixels.assign(image.stride * image.height, 0);
    rows.resize(image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) rows[y] = const_cast<png_bytep>(image.Row(y));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

BgrImage DecodePng(const std::filesystem::path& file) {
    UniqueFile stream(std::fopen(file.c_str(), "rb"));
    if (!stream) throw std::runtime_error("cannot open " + file.string());
    PngReader reader;
    BgrImage image;
    std::vector<png_bytep> rows;
    if (!ReadImage(reader.Png(), reader.Info(), stream.get(), image, rows))
        throw std::runtime_error("libpng cannot decode " + file.string());
    return image;
}

std::vector<std::filesystem::path> ListPngFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".png") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace bench
