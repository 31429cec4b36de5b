// What Win32 tells of a file, read off its POSIX status.
#pragma once

#include "kxwin32.h"

#include <sys/stat.h>

namespace kxwin32 {

FILETIME ToFileTime(const struct timespec& t);
// FILE_ATTRIBUTE_DIRECTORY, _READONLY (no write bit at all), or _NORMAL.
DWORD AttributesOf(const struct stat& st);

} // namespace kxwin32
