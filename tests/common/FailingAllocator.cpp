#include "common/FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace {
int allocationsLeft = -1; // -1: never fail
}

FailAllocations::FailAllocations(int after)
{
    allocationsLeft = after;
}

FailAllocations::~FailAllocations()
{
    allocationsLeft = -1;
}

void* operator new(std::size_t size)
{
    if (allocationsLeft == 0) throw std::bad_alloc();
    if (allocationsLeft > 0) --allocationsLeft;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// The sanitizers bring their own allocators: every form the library may use
// is replaced here, so all of them fail together and pair with free().
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return ::operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
