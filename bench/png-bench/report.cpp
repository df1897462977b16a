#include "report.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace bench {
namespace {

// The encoder's targets, measured on the development machine.
constexpr double CorpusOursPerFloor = 1.03;
constexpr double ImageOursPerFloor = 1.05;
constexpr double OursPerLibpng = 1;  // strictly below
constexpr double HeapLimitKiB = 400;
constexpr double InstructionsPerRawByte = 2.5;

double Megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / 1e6; }
double KiB(std::int64_t bytes) { return static_cast<double>(bytes) / 1024; }
double MegabytesPerSecond(std::uint64_t bytes, double ms) { return ms > 0 ? Megabytes(bytes) / (ms / 1000) : 0; }
const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

double OursPer(const ImageResult& image, EncoderIndex other) {
    return image.encoders[Ours].medianMs / image.encoders[other].medianMs;
}

// The first field of /proc/loadavg: how busy the machine was over the last minute.
std::string LoadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string oneMinute;
    return file >> oneMinute ? oneMinute : "unknown";
}

// One line per encoder; the others carry ours' time divided by theirs.
void PrintEncoderTable(const std::vector<EncoderResult>& encoders, std::uint64_t rawBytes) {
    std::printf("  %-8s %10s %9s %11s %9s %8s\n", "encoder", "ms", "MB/s", "bytes", "heap KiB", "ours/x");
    for (std::size_t i = 0; i < encoders.size(); ++i) {
        const auto& encoder = encoders[i];
        std::printf("  %-8s %10.3f %9.1f %11zu %9.1f", encoder.name.c_str(), encoder.medianMs,
                    MegabytesPerSecond(rawBytes, encoder.medianMs), encoder.outputBytes, KiB(encoder.heapGrowth));
        if (i != Ours) std::printf(" %8.3f", encoders[Ours].medianMs / encoder.medianMs);
        std::printf("\n");
    }
}

// The image on which `key` is largest.
template <class Key>
const ImageResult& Largest(const std::vector<ImageResult>& images, Key key) {
    return *std::max_element(images.begin(), images.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
}

// One line of the targets: the goal with its limit, the worst value and where it was seen.
void PrintTarget(const char* goal, double limit, double value, const std::string& where, bool met) {
    char text[64];
    std::snprintf(text, sizeof text, goal, limit);
    std::printf("  %-42s %9.3f  %-16s %s\n", text, value, where.c_str(), Verdict(met));
}

void PrintTargets(const std::vector<ImageResult>& images, double corpusOursPerFloor) {
    const auto perFloor = [](const ImageResult& image) { return OursPer(image, Floor); };
    const auto perLibpng = [](const ImageResult& image) { return OursPer(image, Libpng); };
    const auto heapKiB = [](const ImageResult& image) { return KiB(image.encoders[Ours].heapGrowth); };
    const auto& floorWorst = Largest(images, perFloor);
    const auto& libpngWorst = Largest(images, perLibpng);
    const auto& heapWorst = Largest(images, heapKiB);

    std::printf("targets (worst value, where)\n");
    PrintTarget("ours/floor over the corpus <= %.2f", CorpusOursPerFloor, corpusOursPerFloor, "corpus",
                corpusOursPerFloor <= CorpusOursPerFloor);
    PrintTarget("ours/floor on every image <= %.2f", ImageOursPerFloor, perFloor(floorWorst), floorWorst.file,
                perFloor(floorWorst) <= ImageOursPerFloor);
    PrintTarget("ours/libpng on every image < %.0f", OursPerLibpng, perLibpng(libpngWorst), libpngWorst.file,
                perLibpng(libpngWorst) < OursPerLibpng);
    PrintTarget("ours' heap beyond the pixels <= %.0f KiB", HeapLimitKiB, heapKiB(heapWorst), heapWorst.file,
                heapKiB(heapWorst) <= HeapLimitKiB);
    std::printf("  instructions per raw byte outside deflate <= %.1f: see callgrind.sh\n", InstructionsPerRawByte);
}

}  // namespace

void PrintRunHeader(const std::string& folder, std::size_t imageCount, int repeat) {
    std::printf("png-bench: %zu images from %s, median of %d interleaved runs (ours, libpng, floor, ...)\n",
                imageCount, folder.c_str(), repeat);
    std::printf("zlib %s, libpng %s, load average %s\n\n", zlibVersion(), png_get_libpng_ver(nullptr),
                LoadAverage().c_str());
}

void PrintImage(const ImageResult& image) {
    std::printf("%s  %ux%u  raw %.2f MB\n", image.file.c_str(), image.width, image.height, Megabytes(image.rawBytes));
    PrintEncoderTable(image.encoders, image.rawBytes);
    if (image.streamMismatch.empty())
        std::printf("  IDAT data identical: ours = libpng = floor\n\n");
    else
        std::printf("  !!! MISMATCH: %s !!!\n\n", image.streamMismatch.c_str());
    std::fflush(stdout);
}

void PrintSummary(const std::vector<ImageResult>& images) {
    if (images.empty()) return;
    std::uint64_t rawBytes = 0;
    std::vector<EncoderResult> totals = images.front().encoders;
    for (auto& total : totals) total = {total.name, 0, 0, 0};
    for (const auto& image : images) {
        rawBytes += image.rawBytes;
        for (std::size_t i = 0; i < totals.size(); ++i) {
            totals[i].medianMs += image.encoders[i].medianMs;
            totals[i].outputBytes += image.encoders[i].outputBytes;
            totals[i].heapGrowth = std::max(totals[i].heapGrowth, image.encoders[i].heapGrowth);
        }
    }
    std::printf("corpus: %zu images, raw %.2f MB; ms and bytes are sums of the medians, heap the largest\n",
                images.size(), Megabytes(rawBytes));
    PrintEncoderTable(totals, rawBytes);
    const auto mismatches = std::count_if(images.begin(), images.end(), [](const auto& i) { return !i.streamMismatch.empty(); });
    if (mismatches) std::printf("  !!! MISMATCH in %td image(s): see above !!!\n", mismatches);
    std::printf("load average at the end %s\n\n", LoadAverage().c_str());
    PrintTargets(images, totals[Ours].medianMs / totals[Floor].medianMs);
}

}  // namespace bench
