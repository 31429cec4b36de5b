// Executables built here carry no version resource, so every query fails the
// way it fails on Windows for such a file.
#include "kxwin32.h"

#include "lasterror.h"

using namespace kxwin32;

DWORD GetFileVersionInfoSizeW(LPCWSTR, LPDWORD handle)
{
    if (handle) *handle = 0;
    return Fail(ERROR_RESOURCE_DATA_NOT_FOUND, DWORD{0});
}

BOOL GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID)
{
    return Fail(ERROR_RESOURCE_DATA_NOT_FOUND, FALSE);
}

BOOL VerQueryValueW(LPCVOID, LPCWSTR, LPVOID* buffer, UINT* len)
{
    if (buffer) *buffer = nullptr;
    if (len) *len = 0;
    return FALSE;
}
