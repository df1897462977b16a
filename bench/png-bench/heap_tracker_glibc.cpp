// The allocator's entry points, defined in the executable so that they take
// the place of the C library's for every caller (zlib, libpng, operator
// new). Each forwards to glibc's own implementation and adjusts the count by
// the block's usable size.
#include <errno.h>
#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "heap_tracker.h"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<std::int64_t> LiveBytes{0};
std::atomic<std::int64_t> PeakBytes{0};

void Count(std::int64_t change) {
    const std::int64_t live = LiveBytes.fetch_add(change, std::memory_order_relaxed) + change;
    std::int64_t peak = PeakBytes.load(std::memory_order_relaxed);
    while (live > peak && !PeakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

std::int64_t UsableSize(void* block) { return block ? static_cast<std::int64_t>(malloc_usable_size(block)) : 0; }

void* Counted(void* block) {
    Count(UsableSize(block));
    return block;
}

bool IsPowerOfTwo(std::size_t value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

extern "C" {

void* malloc(std::size_t size) { return Counted(__libc_malloc(size)); }

void* calloc(std::size_t count, std::size_t size) { return Counted(__libc_calloc(count, size)); }

void* realloc(void* block, std::size_t size) {
    const std::int64_t before = UsableSize(block);
    void* moved = __libc_realloc(block, size);
    if (moved || size == 0) Count(UsableSize(moved) - before);
    return moved;
}

void* reallocarray(void* block, std::size_t count, std::size_t size) {
    std::size_t total = 0;
    if (__builtin_mul_overflow(count, size, &total)) {
        errno = ENOMEM;
        return nullptr;
    }
    return realloc(block, total);
}

void free(void* block) {
    Count(-UsableSize(block));
    __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) { return Counted(__libc_memalign(alignment, size)); }

void* aligned_alloc(std::size_t alignment, std::size_t size) { return Counted(__libc_memalign(alignment, size)); }

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    if (!IsPowerOfTwo(alignment) || alignment % sizeof(void*) != 0) return EINVAL;
    void* block = Counted(__libc_memalign(alignment, size));
    if (!block) return ENOMEM;
    *result = block;
    return 0;
}

void* valloc(std::size_t size) { return Counted(__libc_valloc(size)); }

void* pvalloc(std::size_t size) { return Counted(__libc_pvalloc(size)); }

}  // extern "C"

namespace bench {

std::int64_t LiveHeapBytes() { return LiveBytes.load(std::memory_order_relaxed); }

HeapPeak::HeapPeak() : FStart(LiveHeapBytes()) { PeakBytes.store(FStart, std::memory_order_relaxed); }

std::int64_t HeapPeak::Growth() const { return PeakBytes.load(std::memory_order_relaxed) - FStart; }

}  // namespace bench
