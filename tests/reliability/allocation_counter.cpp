#include "reliability/allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace reliability {
namespace {

std::atomic<std::uint64_t> allocations{0};
std::atomic<std::uint64_t> releases{0};
std::atomic<std::uint64_t> untilFailure{0};  // 0: no failure planned
std::atomic<bool> failed{false};

// Whether this allocation is the one chosen to fail.
bool ChosenToFail() {
    std::uint64_t left = untilFailure.load();
    while (left != 0 && !untilFailure.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 1) return false;
    failed = true;
    return true;
}

void* Allocate(std::size_t size, std::size_t alignment) {
    if (ChosenToFail()) return nullptr;
    if (size == 0) size = 1;
    void* block = nullptr;
    if (alignment <= alignof(std::max_align_t))
        block = std::malloc(size);
    else if (::posix_memalign(&block, alignment, size) != 0)
        block = nullptr;
    if (block != nullptr) ++allocations;
    return block;
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
    void* block = Allocate(size, alignment);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    ++releases;
    std::free(block);
}

}  // namespace

std::int64_t LiveAllocations() { return static_cast<std::int64_t>(allocations.load() - releases.load()); }
std::uint64_t AllocationCount() { return allocations.load(); }

void FailAllocation(std::uint64_t n) {
    if (n != 0) failed = false;
    untilFailure = n;
}

bool AllocationFailed() { return failed.load(); }

}  // namespace reliability

using reliability::Release;

void* operator new(std::size_t size) { return reliability::AllocateOrThrow(size, 0); }
void* operator new[](std::size_t size) { return reliability::AllocateOrThrow(size, 0); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return reliability::AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return reliability::AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return reliability::Allocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return reliability::Allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return reliability::Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return reliability::Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { Release(block); }
