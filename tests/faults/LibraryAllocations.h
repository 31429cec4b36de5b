// Counts, and fails on demand, the allocations that the library module makes
// itself; the emulator's, the platform layer's and the test's own go on
// untouched. Natively the replaced global allocator tells them apart by the
// code that called it; the Windows module has a C++ runtime of its own, whose
// heap imports are detoured.
#pragma once

class LibraryAllocations {
public:
    // Counts from here on; the failAt-th allocation (from 1) fails, and with
    // `onward` every later one too. 0 fails none.
    explicit LibraryAllocations(int failAt = 0, bool onward = false);
    ~LibraryAllocations();
    LibraryAllocations(const LibraryAllocations&) = delete;
    LibraryAllocations& operator=(const LibraryAllocations&) = delete;

    // The allocations the library asked for so far, failed ones included.
    int Count() const;
};

// For the part that sees the library's allocations: counts one; true when it
// must fail.
bool LibraryAllocationFails();

// That part, for each platform: starts and stops handing the library's
// allocations to LibraryAllocationFails.
void WatchLibraryAllocations(bool watch);
