#include "faults/LibraryAllocations.h"

namespace {

struct Watch {
    bool active = false;
    int count = 0;
    int failAt = 0;
    bool onward = false;
};
Watch watch;

} // namespace

LibraryAllocations::LibraryAllocations(int failAt, bool onward)
{
    watch = Watch{true, 0, failAt, onward};
    WatchLibraryAllocations(true);
}

LibraryAllocations::~LibraryAllocations()
{
    WatchLibraryAllocations(false);
    watch.active = false;
}

int LibraryAllocations::Count() const
{
    return watch.count;
}

bool LibraryAllocationFails()
{
    if (!watch.active) return false;
    const int n = ++watch.count;
    return watch.failAt > 0 && (n == watch.failAt || (watch.onward && n > watch.failAt));
}
