// The local heap behind LocalFree: blocks that the system hands to callers.
#pragma once

#include "kxwin32.h"

namespace kxwin32 {

// Null with ERROR_NOT_ENOUGH_MEMORY when the heap is exhausted.
HLOCAL LocalAllocBytes(SIZE_T bytes);

} // namespace kxwin32
