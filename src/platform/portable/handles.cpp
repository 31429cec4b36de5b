#include "handles.h"

#include "find.h"
#include "lasterror.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace kxwin32 {

namespace {

std::mutex tableMutex;
// Values count up in steps of 4 like Windows handles and are never reused.
uintptr_t nextValue = 0x1000;

std::unordered_map<HANDLE, std::shared_ptr<HandleObject>>& Table()
{
    static std::unordered_map<HANDLE, std::shared_ptr<HandleObject>> table;
    return table;
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<HandleObject> object)
{
    std::lock_guard<std::mutex> lock(tableMutex);
    HANDLE handle = reinterpret_cast<HANDLE>(nextValue);
    nextValue += 4;
    Table().emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<HandleObject> LookupHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(tableMutex);
    auto it = Table().find(handle);
    return it == Table().end() ? nullptr : it->second;
}

std::shared_ptr<HandleObject> RemoveHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(tableMutex);
    auto it = Table().find(handle);
    if (it == Table().end()) return nullptr;
    std::shared_ptr<HandleObject> object = std::move(it->second);
    Table().erase(it);
    return object;
}

} // namespace kxwin32

using namespace kxwin32;

BOOL CloseHandle(HANDLE h)
{
    // Search handles end with FindClose only.
    if (LookupHandleAs<FindObject>(h)) return Fail(ERROR_INVALID_HANDLE, FALSE);
    std::shared_ptr<HandleObject> object = RemoveHandle(h);
    if (!object) return Fail(ERROR_INVALID_HANDLE, FALSE);
    return TRUE;
}
