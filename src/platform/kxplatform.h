// The platform seam: the library calls Win32, COM and VDS by their real names;
// this header decides what those names are on the system being built for.
#pragma once

#if defined(_WIN32)
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <windows.h>
#  include <objbase.h>
#  include <shlwapi.h>
#  include <winioctl.h>
#  include <ctime>
// UTF-16 literal of the platform's WCHAR type.
#  define KXW(s) L##s
#else
#  include "portable/kxwin32.h"
#  define KXW(s) u##s
#endif

#include "vds/kxvds_api.h"

#include <cstddef>

// The disk layout records that the style-aware IOCTLs fill; one layout on every target.
static_assert(sizeof(PARTITION_INFORMATION_EX) == 144, "PARTITION_INFORMATION_EX");
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionNumber) == 24, "PARTITION_INFORMATION_EX");
static_assert(offsetof(PARTITION_INFORMATION_EX, Gpt) == 32, "PARTITION_INFORMATION_EX");
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) == 48, "DRIVE_LAYOUT_INFORMATION_EX");
