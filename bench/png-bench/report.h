// What the benchmark prints: one block per image, then the corpus summary
// checked against the encoder's targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Order of the encoders in every result.
enum EncoderIndex : std::size_t { Ours = 0, Libpng = 1, Floor = 2, EncoderCount = 3 };

struct EncoderResult {
    std::string name;
    double medianMs = 0;
    std::size_t outputBytes = 0;
    std::int64_t heapGrowth = 0;  // peak live heap during one encode, beyond what was live before
};

struct ImageResult {
    std::string file;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t rawBytes = 0;
    std::vector<EncoderResult> encoders;  // indexed by EncoderIndex
    std::string streamMismatch;           // empty when every encoder wrote the same zlib stream
};

void PrintRunHeader(const std::string& folder, std::size_t imageCount, int repeat);
void PrintImage(const ImageResult& image);
void PrintSummary(const std::vector<ImageResult>& images);

}  // namespace bench
