#include "log/KXLogger.h"

namespace {

// A locked GlobalAlloc block, unlocked and freed on every path.
class GlobalBlock {
public:
    explicit GlobalBlock(SIZE_T bytes) : memory(GlobalAlloc(GMEM_MOVEABLE, bytes)),
                                         data(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalBlock()
    {
        if (data)
            GlobalUnlock(memory);
        if (memory)
            GlobalFree(memory);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    void* Data() const { return data; }

private:
    HGLOBAL memory;
    void* data;
};

// One unit more than the call is told, so that a path cut at MAX_PATH stays
// terminated on systems that do not terminate it.
struct ModulePath {
    ModulePath() { GetModuleFileNameW(nullptr, path, MAX_PATH); }
    WCHAR path[MAX_PATH + 1] = {};
};

const WCHAR* const originalFilenameKeys[] = {
    KXW("\\StringFileInfo\\040C04B0\\OriginalFilename"),
    KXW("\\StringFileInfo\\040904B0\\OriginalFilename"),
};

} // namespace

CKXString KX_LOGGER::GetModuleVersionName()
{
    ModulePath module;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(module.path, &handle);
    if (size == 0)
        return CKXString();
    GlobalBlock block(size);
    if (!block.Data() || !GetFileVersionInfoW(module.path, 0, size, block.Data()))
        return CKXString();
    for (const WCHAR* key : originalFilenameKeys) {
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueW(block.Data(), key, &value, &length) && value)
            return CKXString(static_cast<const WCHAR*>(value));
    }
    return CKXString();
}

CKXString KX_LOGGER::GetDefaultLogFileName()
{
    ModulePath module;
    PathStripPathW(module.path);
    return CKXString(module.path) + KXW(".LOG");
}
