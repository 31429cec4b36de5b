// Windows: the module carries its own C++ runtime, which allocates through the
// module's msvcrt imports, so detouring those in the module's import address
// table sees the library's allocations and no others. A failed allocation
// answers null, as the system's heap does when it runs out.
#include "detours/ImportTable.h"
#include "faults/LibraryAllocations.h"

#include <cstdio>
#include <cstdlib>

namespace {

template <class F>
F Real(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), name)));
}
const auto realMalloc = Real<void*(__cdecl*)(size_t)>("malloc");
const auto realCalloc = Real<void*(__cdecl*)(size_t, size_t)>("calloc");
const auto realRealloc = Real<void*(__cdecl*)(void*, size_t)>("realloc");

void* __cdecl DetourMalloc(size_t size)
{
    return LibraryAllocationFails() ? nullptr : realMalloc(size);
}

void* __cdecl DetourCalloc(size_t count, size_t size)
{
    return LibraryAllocationFails() ? nullptr : realCalloc(count, size);
}

void* __cdecl DetourRealloc(void* block, size_t size)
{
    return LibraryAllocationFails() ? nullptr : realRealloc(block, size);
}

void Detour(const char* name, void* target)
{
    // Without it every count would be 0 and every run clean.
    if (kxemu::RewriteImport(GetModuleHandleW(L"KXVdsDisks.dll"), "msvcrt.dll", name, target) == 0) {
        std::fprintf(stderr, "KXVdsDisks.dll imports no %s from msvcrt.dll\n", name);
        std::abort();
    }
}

} // namespace

// Once detoured, the imports stay so: outside a watch the detours only pass on.
void WatchLibraryAllocations(bool watch)
{
    static bool detoured = false;
    if (!watch || detoured) return;
    Detour("malloc", reinterpret_cast<void*>(&DetourMalloc));
    Detour("calloc", reinterpret_cast<void*>(&DetourCalloc));
    Detour("realloc", reinterpret_cast<void*>(&DetourRealloc));
    detoured = true;
}
