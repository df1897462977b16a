#include <cstring>

#include "encoder.h"
#include "idat_data.h"
#include "platform/vcl/classes.h"
#include "platform/vcl/graphics.h"
#include "platform/vcl/memory_dib.h"
#include "png/png_image.h"

namespace bench {
namespace {

// A 24-bit bottom-up bitmap holding the image, as a screen capture hands it over.
std::unique_ptr<vcl::MemoryDib> MakeBitmapBits(const BgrImage& image) {
    vcl::DibFormat format;
    format.width = static_cast<std::int32_t>(image.width);
    format.height = static_cast<std::int32_t>(image.height);
    format.bitCount = 24;
    auto dib = std::make_unique<vcl::MemoryDib>(std::move(format));
    for (std::uint32_t y = 0; y < image.height; ++y)
        std::memcpy(dib->ScanLine(static_cast<int>(y)), image.Row(y), std::size_t{image.width} * 3);
    return dib;
}

class OursEncoder final : public Encoder {
public:
    explicit OursEncoder(const BgrImage& image) {
        vcl::TBitmap bitmap(MakeBitmapBits(image));
        FImage.Assign(&bitmap);
        FStream.Reserve(OutputCapacity(image));
    }

    std::string_view Name() const override { return "ours"; }

    void Encode() override {
        FStream.Clear();
        FImage.SaveToStream(FStream);
    }

    std::span<const std::uint8_t> Output() const override { return FStream.Bytes(); }
    std::vector<std::uint8_t> ZlibStream() const override { return JoinedIdatData(Output()); }

private:
    png::TPNGObject FImage;
    vcl::TMemoryStream FStream;
};

}  // namespace

std::unique_ptr<Encoder> MakeOursEncoder(const BgrImage& image) { return std::make_unique<OursEncoder>(image); }

}  // namespace bench
