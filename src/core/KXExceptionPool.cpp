// The module is linked with --wrap=malloc, so that every malloc of its own
// code and of the runtime comes here first: one call, the exception's in
// KXPrimeExceptionPool, is refused on purpose.
#include "KXExceptionPool.h"

#include <windows.h>

#include <atomic>
#include <cstddef>

extern "C" void* __real_malloc(std::size_t size);

namespace {

std::atomic<DWORD> refusingThread{0};

} // namespace

extern "C" void* __wrap_malloc(std::size_t size)
{
    if (refusingThread.load(std::memory_order_relaxed) == GetCurrentThreadId()) {
        refusingThread = 0;
        return nullptr;
    }
    return __real_malloc(size);
}

void KXPrimeExceptionPool() noexcept
{
    refusingThread = GetCurrentThreadId();
    try {
        throw 0;
    } catch (int) {
    }
}
