// A program that links FailingAllocator.cpp replaces the global allocator,
// so that a test can make allocations fail.
#pragma once

// Fails every allocation after the first `after` until the scope ends.
struct FailAllocations {
    explicit FailAllocations(int after);
    ~FailAllocations();
    FailAllocations(const FailAllocations&) = delete;
    FailAllocations& operator=(const FailAllocations&) = delete;
};

// Until reset with null, every allocation first asks `fails`, with the
// address of the code that called the allocator; true makes it fail.
void SetAllocationGate(bool (*fails)(const void* caller));
