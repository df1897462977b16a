// Counts the heap bytes that are live in the process, by replacing the
// allocator's entry points in the benchmark executable.
#pragma once

#include <cstdint>

namespace bench {

// Usable bytes of every block currently allocated.
std::int64_t LiveHeapBytes();

// Watches how high the live heap climbs from the moment it is made; one at a time.
class HeapPeak {
public:
    HeapPeak();

    // The highest live byte count reached since construction, minus the count at construction.
    std::int64_t Growth() const;

private:
    std::int64_t FStart;
};

}  // namespace bench
