#include <png.h>
#include <zlib.h>

#include <stdexcept>

#include "encoder.h"
#include "idat_data.h"

namespace bench {
namespace {

constexpr int DeflateLevel = 7;
constexpr std::size_t IdatLimit = 65535;

// Owns a libpng write structure and its info structure for one encode.
class PngWriter {
public:
    PngWriter() {
        FPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (FPng) FInfo = png_create_info_struct(FPng);
        if (!FPng || !FInfo) {
            png_destroy_write_struct(&FPng, &FInfo);
            throw std::runtime_error("libpng: cannot create a write structure");
        }
    }
    ~PngWriter() { png_destroy_write_struct(&FPng, &FInfo); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    png_structp Png() const { return FPng; }
    png_infop Info() const { return FInfo; }

private:
    png_structp FPng = nullptr;
    png_infop FInfo = nullptr;
};

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* output = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    output->insert(output->end(), data, data + length);
}

void NoFlush(png_structp) {}

void ApplyProgramSettings(png_structp png) {
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, DeflateLevel);
    // libpng would pick Z_FILTERED for filtered data; the program uses the default.
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_set_compression_buffer_size(png, IdatLimit);
}

// libpng reports errors by longjmp, so no object with a destructor may live
// in this frame. Returns false when libpng failed.
bool WriteImage(png_structp png, png_infop info, const BgrImage& image, png_bytepp rows,
                std::vector<std::uint8_t>& output) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &output, AppendToVector, NoFlush);
    ApplyProgramSettings(png);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

class LibpngEncoder final : public Encoder {
public:
    explicit LibpngEncoder(const BgrImage& image) : FImage(image), FRows(image.height) {
        for (std::uint32_t y = 0; y < image.height; ++y) FRows[y] = const_cast<png_bytep>(image.Row(y));
        FOutput.reserve(OutputCapacity(image));
    }

    std::string_view Name() const override { return "libpng"; }

    void Encode() override {
        FOutput.clear();
        PngWriter writer;
        if (!WriteImage(writer.Png(), writer.Info(), FImage, FRows.data(), FOutput))
            throw std::runtime_error("libpng failed to encode");
    }

    std::span<const std::uint8_t> Output() const override { return FOutput; }
    std::vector<std::uint8_t> ZlibStream() const override { return JoinedIdatData(Output()); }

private:
    const BgrImage& FImage;
    std::vector<png_bytep> FRows;  // top-down image order
    std::vector<std::uint8_t> FOutput;
};

}  // namespace

std::unique_ptr<Encoder> MakeLibpngEncoder(const BgrImage& image) { return std::make_unique<LibpngEncoder>(image); }

}  // namespace bench
