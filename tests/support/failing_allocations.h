// Running out of memory on purpose: while a FailLargeAllocations object lives, every allocation
// through operator new larger than its limit fails (throwing new throws std::bad_alloc, nothrow
// new returns null). Link failing_allocations.cpp into the test executable to use it.
#pragma once

#include <cstddef>

class FailLargeAllocations {
public:
    explicit FailLargeAllocations(size_t largestBytes);
    ~FailLargeAllocations();
    FailLargeAllocations(const FailLargeAllocations&) = delete;
    FailLargeAllocations& operator=(const FailLargeAllocations&) = delete;
};
