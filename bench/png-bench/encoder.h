// The encoders that the benchmark compares. Each is prepared from an image
// before timing; Encode then does exactly the work that is timed.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "bgr_image.h"

namespace bench {

class Encoder {
public:
    virtual ~Encoder() = default;

    virtual std::string_view Name() const = 0;

    // Encodes the prepared image to memory, replacing the previous output.
    virtual void Encode() = 0;

    // The bytes that the last Encode produced.
    virtual std::span<const std::uint8_t> Output() const = 0;

    // The zlib stream of the last Encode, joined from its IDAT chunks.
    virtual std::vector<std::uint8_t> ZlibStream() const = 0;
};

// Our encoder as the program drives it: the image imported from a 24-bit
// bottom-up bitmap, saved with the default settings.
std::unique_ptr<Encoder> MakeOursEncoder(const BgrImage& image);

// libpng with the program's settings: Sub on every line, level 7, default
// strategy, IDAT chunks of 65535 bytes.
std::unique_ptr<Encoder> MakeLibpngEncoder(const BgrImage& image);

// Bare zlib over lines that were Sub-filtered beforehand.
std::unique_ptr<Encoder> MakeFloorEncoder(const BgrImage& image);

// Room for a PNG of the image even when deflate cannot shrink it, so that
// the output buffers never grow while an encode is timed.
std::size_t OutputCapacity(const BgrImage& image);

}  // namespace bench
