#include "paths.h"

#include "unicode.h"

namespace kxwin32 {

bool IsSeparator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

bool IsDriveLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

DWORD ToPosixPath(LPCWSTR windowsPath, std::string* posixPath)
{
    std::u16string_view in = WideView(windowsPath);
    if (in.empty()) return ERROR_PATH_NOT_FOUND;
    if (in.size() >= 2 && IsSeparator(in[0]) && IsSeparator(in[1])) return ERROR_PATH_NOT_FOUND;

    std::u16string_view rest = in;
    if (in.size() >= 2 && in[1] == u':') {
        if (!IsDriveLetter(in[0])) return ERROR_INVALID_NAME;
        if (UpperUnit(in[0]) != u'Z') return ERROR_PATH_NOT_FOUND;
        // The working directory always lies on Z:, so "Z:name" is relative to it.
        rest = in.substr(2);
    }
    if (rest.empty()) rest = u".";
    if (!Utf16ToUtf8Strict(rest, posixPath)) return ERROR_INVALID_NAME;
    // A backslash is one byte in UTF-8 and never part of another character.
    for (char& c : *posixPath)
        if (c == '\\') c = '/';
    if (posixPath->find('\0') != std::string::npos) return ERROR_INVALID_NAME;
    return ERROR_SUCCESS;
}

std::u16string ToWindowsPath(std::string_view posixPath)
{
    std::u16string out = u"Z:";
    std::u16string wide = Utf8ToUtf16(posixPath);
    for (char16_t& c : wide)
        if (c == u'/') c = u'\\';
    out += wide;
    if (out.size() == 2) out += u'\\';
    return out;
}

bool IsDevicePath(LPCWSTR path)
{
    return path[0] == u'\\' && path[1] == u'\\';
}

bool IsDeviceOrDrivePath(LPCWSTR path)
{
    return IsDevicePath(path) || (IsDriveLetter(path[0]) && path[1] == u':');
}

bool IsRootOfDriveZ(LPCWSTR path)
{
    std::u16string_view p = WideView(path);
    return (p.size() == 2 || (p.size() == 3 && IsSeparator(p[2]))) && UpperUnit(p[0]) == u'Z' && p[1] == u':';
}

} // namespace kxwin32
