#include "timing.h"

#include <algorithm>
#include <chrono>

namespace bench {
namespace {

double TimeOneEncode(Encoder& encoder) {
    const auto start = std::chrono::steady_clock::now();
    encoder.Encode();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

std::vector<std::vector<double>> TimeInterleaved(std::span<Encoder* const> encoders, int repeat) {
    std::vector<std::vector<double>> durations(encoders.size());
    for (int round = 0; round < repeat; ++round)
        for (std::size_t i = 0; i < encoders.size(); ++i) durations[i].push_back(TimeOneEncode(*encoders[i]));
    return durations;
}

double Median(std::vector<double> durations) {
    if (durations.empty()) return 0;
    const std::size_t middle = durations.size() / 2;
    std::nth_element(durations.begin(), durations.begin() + middle, durations.end());
    if (durations.size() % 2 == 1) return durations[middle];
    const double below = *std::max_element(durations.begin(), durations.begin() + middle);
    return (below + durations[middle]) / 2;
}

}  // namespace bench
