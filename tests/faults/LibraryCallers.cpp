// Natively the global allocator that this program replaces serves every
// module: the library's allocations are those called from the code of
// libKXVdsDisks.so.
#include "common/FailingAllocator.h"
#include "faults/LibraryAllocations.h"

#include <link.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct CodeRange {
    std::uintptr_t begin;
    std::uintptr_t end;
};
CodeRange ranges[8];
int rangeCount = 0;

int FindLibraryCode(dl_phdr_info* info, size_t, void*)
{
    if (!info->dlpi_name || !std::strstr(info->dlpi_name, "libKXVdsDisks.so")) return 0;
    for (int i = 0; i < info->dlpi_phnum && rangeCount < 8; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || !(header.p_flags & PF_X)) continue;
        const std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
        ranges[rangeCount++] = CodeRange{begin, begin + header.p_memsz};
    }
    return 1;
}

bool FailsForLibrary(const void* caller)
{
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(caller);
    for (int i = 0; i < rangeCount; ++i)
        if (address >= ranges[i].begin && address < ranges[i].end) return LibraryAllocationFails();
    return false;
}

} // namespace

void WatchLibraryAllocations(bool watch)
{
    if (watch && rangeCount == 0) {
        dl_iterate_phdr(FindLibraryCode, nullptr);
        // Without it every count would be 0 and every run clean.
        if (rangeCount == 0) {
            std::fprintf(stderr, "libKXVdsDisks.so is not loaded\n");
            std::abort();
        }
    }
    SetAllocationGate(watch ? FailsForLibrary : nullptr);
}
