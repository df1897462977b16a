// Counts the allocations made through the global operator new of this test
// executable, which replaces it, and can make one of them fail.
#pragma once

#include <cstdint>

namespace reliability {

// Blocks allocated and not yet released since the program began.
std::int64_t LiveAllocations();

// Allocations made since the program began.
std::uint64_t AllocationCount();

// Makes the n-th allocation from now fail, as an exhausted heap does
// (std::bad_alloc, or null from the nothrow forms); only that one. 0 disarms.
void FailAllocation(std::uint64_t n);

// Whether the allocation chosen by the last arming FailAllocation has failed.
bool AllocationFailed();

}  // namespace reliability
