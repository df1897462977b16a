#include <zlib.h>

#include <array>
#include <stdexcept>

#include "encoder.h"

namespace bench {
namespace {

constexpr int DeflateLevel = 7;
constexpr std::uint8_t SubFilter = 1;
constexpr std::size_t OutBufferSize = 64 * 1024;

// The image as the encoders' deflate input sees it: top-down lines of
// red-green-blue, each Sub-filtered (every byte minus the one a pixel to
// its left), without their filter-type bytes.
std::vector<std::uint8_t> SubFilteredLines(const BgrImage& image) {
    const std::size_t lineBytes = std::size_t{image.width} * 3;
    std::vector<std::uint8_t> lines(lineBytes * image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* bgr = image.Row(y);
        std::uint8_t* line = lines.data() + y * lineBytes;
        for (std::size_t i = 0; i < lineBytes; i += 3) {
            line[i] = bgr[i + 2];
            line[i + 1] = bgr[i + 1];
            line[i + 2] = bgr[i];
        }
        for (std::size_t i = lineBytes; i-- > 3;) line[i] = static_cast<std::uint8_t>(line[i] - line[i - 3]);
    }
    return lines;
}

// A deflate stream at the program's level, with zlib's other defaults,
// writing through a fixed buffer into a growing output.
class Deflater {
public:
    Deflater(std::array<std::uint8_t, OutBufferSize>& buffer, std::vector<std::uint8_t>& output)
        : FBuffer(buffer), FOutput(output) {
        if (deflateInit(&FStream, DeflateLevel) != Z_OK) throw std::runtime_error("deflateInit failed");
        ResetBuffer();
    }
    ~Deflater() { deflateEnd(&FStream); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void Feed(const std::uint8_t* data, std::size_t count) {
        FStream.next_in = const_cast<Bytef*>(data);
        FStream.avail_in = static_cast<uInt>(count);
        while (FStream.avail_in > 0) {
            deflate(&FStream, Z_NO_FLUSH);
            if (FStream.avail_out == 0) Drain();
        }
    }

    void Finish() {
        for (;;) {
            const int result = deflate(&FStream, Z_FINISH);
            Drain();
            if (result == Z_STREAM_END) return;
            if (result != Z_OK) throw std::runtime_error("deflate failed");
        }
    }

private:
    void ResetBuffer() {
        FStream.next_out = FBuffer.data();
        FStream.avail_out = static_cast<uInt>(FBuffer.size());
    }

    void Drain() {
        FOutput.insert(FOutput.end(), FBuffer.data(), FBuffer.data() + (FBuffer.size() - FStream.avail_out));
        ResetBuffer();
    }

    z_stream FStream{};
    std::array<std::uint8_t, OutBufferSize>& FBuffer;
    std::vector<std::uint8_t>& FOutput;
};

class FloorEncoder final : public Encoder {
public:
    explicit FloorEncoder(const BgrImage& image)
        : FLineBytes(std::size_t{image.width} * 3), FLines(SubFilteredLines(image)),
          FBuffer(std::make_unique<std::array<std::uint8_t, OutBufferSize>>()) {
        FOutput.reserve(OutputCapacity(image));
    }

    std::string_view Name() const override { return "floor"; }

    void Encode() override {
        FOutput.clear();
        Deflater deflater(*FBuffer, FOutput);
        for (std::size_t at = 0; at < FLines.size(); at += FLineBytes) {
            deflater.Feed(&SubFilter, 1);
            deflater.Feed(FLines.data() + at, FLineBytes);
        }
        deflater.Finish();
    }

    std::span<const std::uint8_t> Output() const override { return FOutput; }
    std::vector<std::uint8_t> ZlibStream() const override { return FOutput; }

private:
    std::size_t FLineBytes;
    std::vector<std::uint8_t> FLines;
    std::unique_ptr<std::array<std::uint8_t, OutBufferSize>> FBuffer;
    std::vector<std::uint8_t> FOutput;
};

}  // namespace

std::unique_ptr<Encoder> MakeFloorEncoder(const BgrImage& image) { return std::make_unique<FloorEncoder>(image); }

}  // namespace bench
