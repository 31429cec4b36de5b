// Translation of POSIX failures into Win32 error codes.
#pragma once

#include "kxwin32.h"

#include <string>

namespace kxwin32 {

DWORD ErrorFromErrno(int err);

// Windows tells a missing file (its folder exists) from a missing folder.
DWORD MissingFileError(const std::string& posixPath);

// Sets the thread's last error and hands back `result`, for one-line failures.
template <typename T>
T Fail(DWORD error, T result)
{
    SetLastError(error);
    return result;
}

} // namespace kxwin32
