#include "tests/support/failing_allocations.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> largest{SIZE_MAX};

void* allocate(size_t size) {
    if (size > largest.load(std::memory_order_relaxed)) return nullptr;
    return std::malloc(size ? size : 1);
}
}  // namespace

FailLargeAllocations::FailLargeAllocations(size_t largestBytes) { largest = largestBytes; }
FailLargeAllocations::~FailLargeAllocations() { largest = SIZE_MAX; }

void* operator new(size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
