// png-bench: encodes each image of a folder with our encoder, with libpng
// and with bare zlib, and reports time, size and heap per image and over
// the whole folder. `--once` runs a single encode for an instruction count.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bgr_image.h"
#include "encoder.h"
#include "heap_tracker.h"
#include "report.h"
#include "timing.h"

namespace bench {
namespace {

constexpr int DefaultRepeat = 9;

const char* const Usage =
    "usage: png-bench [FOLDER] [--repeat N]\n"
    "       png-bench --once ours|libpng|floor IMAGE.png\n"
    "FOLDER defaults to the screenshot corpus, " TIVALO_DEFAULT_CORPUS "\n";

struct Options {
    std::filesystem::path folder = std::filesystem::path(TIVALO_DEFAULT_CORPUS).lexically_normal();
    int repeat = DefaultRepeat;
    std::optional<std::string> onceEncoder;
    std::filesystem::path onceImage;
    bool help = false;
};

int ParseCount(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        throw std::invalid_argument("--repeat needs a whole number of at least 1");
    return value;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            options.help = true;
        } else if (args[i] == "--repeat" && i + 1 < args.size()) {
            options.repeat = ParseCount(args[++i]);
        } else if (args[i] == "--once" && i + 2 < args.size()) {
            options.onceEncoder = std::string(args[i + 1]);
            options.onceImage = args[i + 2];
            i += 2;
        } else if (!args[i].starts_with("-")) {
            options.folder = args[i];
        } else {
            throw std::invalid_argument("unknown or incomplete option " + std::string(args[i]));
        }
    }
    return options;
}

using EncoderFactory = std::unique_ptr<Encoder> (*)(const BgrImage&);

// The encoders by name, in EncoderIndex order.
constexpr std::array<std::pair<std::string_view, EncoderFactory>, EncoderCount> Factories = {{
    {"ours", MakeOursEncoder},
    {"libpng", MakeLibpngEncoder},
    {"floor", MakeFloorEncoder},
}};

std::vector<std::unique_ptr<Encoder>> MakeEncoders(const BgrImage& image) {
    std::vector<std::unique_ptr<Encoder>> encoders;
    for (const auto& entry : Factories) encoders.push_back(entry.second(image));
    return encoders;
}

// One untimed encode: it warms caches and the allocator, and shows how far
// the heap grows during an encode.
std::int64_t HeapGrowthOfEncode(Encoder& encoder) {
    const HeapPeak peak;
    encoder.Encode();
    return peak.Growth();
}

std::string DescribeDifference(const Encoder& ours, const Encoder& other) {
    const auto a = ours.ZlibStream();
    const auto b = other.ZlibStream();
    if (a == b) return {};
    const auto [at, _] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return "ours' IDAT data (" + std::to_string(a.size()) + " bytes) differ from " + std::string(other.Name()) +
           "'s (" + std::to_string(b.size()) + " bytes) from byte " + std::to_string(at - a.begin()) + " on";
}

// Deflate's output does not depend on how its input is split, so all three
// must have produced the same zlib stream.
std::string CompareStreams(const std::vector<std::unique_ptr<Encoder>>& encoders) {
    std::string mismatch = DescribeDifference(*encoders[Ours], *encoders[Libpng]);
    const std::string floorMismatch = DescribeDifference(*encoders[Ours], *encoders[Floor]);
    if (!mismatch.empty() && !floorMismatch.empty()) mismatch += "; ";
    return mismatch + floorMismatch;
}

ImageResult MeasureImage(const std::filesystem::path& file, int repeat) {
    const BgrImage image = DecodePng(file);
    const auto encoders = MakeEncoders(image);
    std::vector<std::int64_t> heapGrowth;
    for (const auto& encoder : encoders) heapGrowth.push_back(HeapGrowthOfEncode(*encoder));

    std::vector<Encoder*> turns;
    for (const auto& encoder : encoders) turns.push_back(encoder.get());
    const auto durations = TimeInterleaved(turns, repeat);

    ImageResult result{file.filename().string(), image.width, image.height, image.RawBytes(), {}, CompareStreams(encoders)};
    for (std::size_t i = 0; i < encoders.size(); ++i)
        result.encoders.push_back(
            {std::string(encoders[i]->Name()), Median(durations[i]), encoders[i]->Output().size(), heapGrowth[i]});
    return result;
}

int RunCorpus(const Options& options) {
    const auto files = ListPngFiles(options.folder);
    if (files.empty()) throw std::runtime_error("no .png files in " + options.folder.string());
    PrintRunHeader(options.folder.string(), files.size(), options.repeat);
    std::vector<ImageResult> results;
    for (const auto& file : files) {
        results.push_back(MeasureImage(file, options.repeat));
        PrintImage(results.back());
    }
    PrintSummary(results);
    const bool mismatch = std::any_of(results.begin(), results.end(), [](const auto& r) { return !r.streamMismatch.empty(); });
    return mismatch ? 1 : 0;
}

// A single encode, for counting its instructions under callgrind.
int RunOnce(const std::string& encoderName, const std::filesystem::path& file) {
    const auto factory = std::find_if(Factories.begin(), Factories.end(),
                                      [&](const auto& entry) { return entry.first == encoderName; });
    if (factory == Factories.end()) throw std::invalid_argument("unknown encoder " + encoderName);
    const BgrImage image = DecodePng(file);
    const auto encoder = factory->second(image);
    encoder->Encode();
    std::printf("%s %s: raw %llu bytes, output %zu bytes\n", encoderName.c_str(), file.filename().c_str(),
                static_cast<unsigned long long>(image.RawBytes()), encoder->Output().size());
    return 0;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
    try {
        const auto options = bench::ParseOptions(argc, argv);
        if (options.help) {
            std::fputs(bench::Usage, stdout);
            return 0;
        }
        return options.onceEncoder ? bench::RunOnce(*options.onceEncoder, options.onceImage)
                                   : bench::RunCorpus(options);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "png-bench: %s\n%s", error.what(), bench::Usage);
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "png-bench: %s\n", error.what());
        return 2;
    }
}
