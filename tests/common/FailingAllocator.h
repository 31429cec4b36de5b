// A program that links FailingAllocator.cpp replaces the global allocator,
// so that a test can make allocations fail from the n-th call on.
#pragma once

// Fails every allocation after the first `after` until the scope ends.
struct FailAllocations {
    explicit FailAllocations(int after);
    ~FailAllocations();
    FailAllocations(const FailAllocations&) = delete;
    FailAllocations& operator=(const FailAllocations&) = delete;
};
