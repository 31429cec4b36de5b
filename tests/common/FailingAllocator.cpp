#include "common/FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace {

int allocationsLeft = -1; // -1: never fail
bool (*gate)(const void* caller) = nullptr;

bool Fails(const void* caller)
{
    if (gate) return gate(caller);
    if (allocationsLeft == 0) return true;
    if (allocationsLeft > 0) --allocationsLeft;
    return false;
}

void* Allocate(std::size_t size, const void* caller)
{
    if (Fails(caller)) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size, const void* caller) noexcept
{
    try {
        return Allocate(size, caller);
    } catch (...) {
        return nullptr;
    }
}

} // namespace

FailAllocations::FailAllocations(int after)
{
    allocationsLeft = after;
}

FailAllocations::~FailAllocations()
{
    allocationsLeft = -1;
}

void SetAllocationGate(bool (*fails)(const void* caller))
{
    gate = fails;
}

// The sanitizers bring their own allocators: every form the library may use
// is replaced here, so all of them fail together and pair with free(). Each
// names its own caller.
void* operator new(std::size_t size)
{
    return Allocate(size, __builtin_return_address(0));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, __builtin_return_address(0));
}
void* operator new[](std::size_t size)
{
    return Allocate(size, __builtin_return_address(0));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, __builtin_return_address(0));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
