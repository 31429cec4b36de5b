// The process's handle table: every HANDLE this library gives out names an
// object here, so a stale or foreign handle is refused with ERROR_INVALID_HANDLE.
#pragma once

#include "kxwin32.h"

#include <memory>

namespace kxwin32 {

class HandleObject {
public:
    virtual ~HandleObject() = default;
};

HANDLE InsertHandle(std::shared_ptr<HandleObject> object);
std::shared_ptr<HandleObject> LookupHandle(HANDLE handle);
// Takes the handle out of the table; the object ends with its last user.
std::shared_ptr<HandleObject> RemoveHandle(HANDLE handle);

template <typename T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

} // namespace kxwin32
