// Local and global heaps. Both keep a table of their live blocks so that a
// foreign pointer is refused instead of corrupting the C heap.
#include "kxwin32.h"

#include "lasterror.h"
#include "local_memory.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

using namespace kxwin32;

namespace {

std::mutex localMutex;
std::unordered_set<void*>& LocalBlocks()
{
    static std::unordered_set<void*> blocks;
    return blocks;
}

// A movable block's handle stands for its data, which only a lock reveals.
// A fixed block's handle is its data pointer.
struct GlobalBlock {
    void* data;
    bool movable;
    unsigned locks;
};

std::mutex globalMutex;
std::unordered_map<void*, GlobalBlock>& GlobalBlocks()
{
    static std::unordered_map<void*, GlobalBlock> blocks;
    return blocks;
}

} // namespace

namespace kxwin32 {

HLOCAL LocalAllocBytes(SIZE_T bytes)
{
    void* p = std::calloc(1, bytes ? bytes : 1);
    if (!p) return Fail(ERROR_NOT_ENOUGH_MEMORY, HLOCAL{nullptr});
    std::lock_guard<std::mutex> lock(localMutex);
    LocalBlocks().insert(p);
    return p;
}

} // namespace kxwin32

HLOCAL LocalFree(HLOCAL mem)
{
    if (!mem) return nullptr;
    {
        std::lock_guard<std::mutex> lock(localMutex);
        if (LocalBlocks().erase(mem) == 0) return Fail(ERROR_INVALID_HANDLE, mem);
    }
    std::free(mem);
    return nullptr;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (!data) return Fail(ERROR_NOT_ENOUGH_MEMORY, HGLOBAL{nullptr});
    bool movable = (flags & GMEM_MOVEABLE) != 0;
    // The handle of a movable block is a separate cell, so that it never
    // equals the data pointer a lock returns.
    void* handle = movable ? std::malloc(1) : data;
    if (!handle) {
        std::free(data);
        return Fail(ERROR_NOT_ENOUGH_MEMORY, HGLOBAL{nullptr});
    }
    std::lock_guard<std::mutex> lock(globalMutex);
    GlobalBlocks()[handle] = GlobalBlock{data, movable, 0};
    return handle;
}

LPVOID GlobalLock(HGLOBAL mem)
{
    std::lock_guard<std::mutex> lock(globalMutex);
    auto it = GlobalBlocks().find(mem);
    if (it == GlobalBlocks().end()) return Fail(ERROR_INVALID_HANDLE, LPVOID{nullptr});
    if (it->second.movable) ++it->second.locks;
    return it->second.data;
}

BOOL GlobalUnlock(HGLOBAL mem)
{
    std::lock_guard<std::mutex> lock(globalMutex);
    auto it = GlobalBlocks().find(mem);
    if (it == GlobalBlocks().end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
    GlobalBlock& block = it->second;
    if (!block.movable) return TRUE;
    if (block.locks == 0) return Fail(ERROR_NOT_LOCKED, FALSE);
    if (--block.locks > 0) return TRUE;
    return Fail(ERROR_SUCCESS, FALSE);
}

HGLOBAL GlobalFree(HGLOBAL mem)
{
    if (!mem) return nullptr;
    GlobalBlock block;
    {
        std::lock_guard<std::mutex> lock(globalMutex);
        auto it = GlobalBlocks().find(mem);
        if (it == GlobalBlocks().end()) return Fail(ERROR_INVALID_HANDLE, mem);
        block = it->second;
        GlobalBlocks().erase(it);
    }
    if (block.movable) std::free(mem);
    std::free(block.data);
    return nullptr;
}

BOOL IsBadWritePtr(LPVOID p, UINT_PTR bytes)
{
    // As on Windows, an empty range is never bad.
    if (bytes == 0) return FALSE;
    return p ? FALSE : TRUE;
}
