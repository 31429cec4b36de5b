// Reading a partition record the way placement and lookup compare positions:
// as signed 64-bit values.
#pragma once

#include "kxplatform.h"

#include <cstdint>

// MBR types 5 and 15: a container of logical drives.
inline bool IsExtendedType(BYTE type)
{
    return type == 0x05 || type == 0x0F;
}

// start + size, saturated at the largest signed position: the service's
// records are not trusted to keep the sum in range.
inline LONGLONG SignedEnd(LONGLONG start, ULONGLONG size)
{
    const ULONGLONG room = static_cast<ULONGLONG>(INT64_MAX) - static_cast<ULONGLONG>(start);
    if (size > room) return INT64_MAX;
    return static_cast<LONGLONG>(static_cast<ULONGLONG>(start) + size);
}
