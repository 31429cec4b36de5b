// Windows paths over the POSIX file system, in Wine's manner: Z:\ is "/".
#pragma once

#include "kxwin32.h"

#include <string>
#include <string_view>

namespace kxwin32 {

// '\\' or '/'.
bool IsSeparator(char16_t c);
// 'A' to 'Z' in either case.
bool IsDriveLetter(char16_t c);

// Z:\a\b -> /a/b; \a -> /a; a\b -> a/b (against the working directory).
// Other drives, UNC and device paths do not exist here: ERROR_PATH_NOT_FOUND.
// Returns ERROR_SUCCESS or the Win32 error of the refusal.
DWORD ToPosixPath(LPCWSTR windowsPath, std::string* posixPath);

// An absolute POSIX path in Z:\ form.
std::u16string ToWindowsPath(std::string_view posixPath);

// "\\?\..." and "\\.\...": the names the device provider may know; no file
// of the file system is named so.
bool IsDevicePath(LPCWSTR path);
// A device path or one that starts with a drive ("E:", "E:\mnt\data\").
bool IsDeviceOrDrivePath(LPCWSTR path);

// "Z:\", "z:" and the like: the root of the one drive this system has.
bool IsRootOfDriveZ(LPCWSTR path);

} // namespace kxwin32
