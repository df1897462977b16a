// The timing loop: encoders take turns so that a noisy moment of the
// machine spreads over all of them instead of hitting one.
#pragma once

#include <span>
#include <vector>

#include "encoder.h"

namespace bench {

// Runs every encoder `repeat` times, interleaved (first, second, ..., first,
// second, ...). Returns one list of durations in milliseconds per encoder.
std::vector<std::vector<double>> TimeInterleaved(std::span<Encoder* const> encoders, int repeat);

// The median of the durations; the mean of the two middle ones for an even count.
double Median(std::vector<double> durations);

}  // namespace bench
