#include "detours/ImportTable.h"

#include <cstring>

namespace kxemu {

namespace {

template <class T>
T* At(HMODULE module, DWORD rva)
{
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

void WriteEntry(IMAGE_THUNK_DATA* entry, void* target)
{
    DWORD protection = 0;
    VirtualProtect(entry, sizeof(*entry), PAGE_READWRITE, &protection);
    entry->u1.Function = reinterpret_cast<ULONG_PTR>(target);
    VirtualProtect(entry, sizeof(*entry), protection, &protection);
}

} // namespace

int RewriteImport(HMODULE module, const char* dll, const char* function, void* target)
{
    if (!module) return 0;
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return 0;

    int rewritten = 0;
    for (auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress); import->Name; ++import) {
        if (_stricmp(At<char>(module, import->Name), dll) != 0 || !import->OriginalFirstThunk) continue;
        // The lookup table keeps the names; the address table beside it is
        // what calls go through.
        auto* names = At<IMAGE_THUNK_DATA>(module, import->OriginalFirstThunk);
        auto* addresses = At<IMAGE_THUNK_DATA>(module, import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            WriteEntry(addresses, target);
            ++rewritten;
        }
    }
    return rewritten;
}

} // namespace kxemu
