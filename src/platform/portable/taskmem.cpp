#include "kxwin32.h"

#include <atomic>
#include <cstdlib>

namespace {
std::atomic<long> liveBlocks{0};
}

LPVOID CoTaskMemAlloc(SIZE_T cb)
{
    // A zero-byte request still yields a distinct block, as on Windows.
    void* p = std::malloc(cb ? cb : 1);
    if (p) ++liveBlocks;
    return p;
}

void CoTaskMemFree(LPVOID pv)
{
    if (!pv) return;
    std::free(pv);
    --liveBlocks;
}

long KXLiveTaskMemBlocks()
{
    return liveBlocks.load();
}
