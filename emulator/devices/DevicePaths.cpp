#include "devices/DevicePaths.h"

namespace kxemu {

namespace {

char Letter(char c)
{
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return upper >= 'A' && upper <= 'Z' ? upper : 0;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
        if (c != prefix[i]) return false;
    }
    return true;
}

} // namespace

char DriveLetterOf(const std::string& root)
{
    if ((root.size() == 2 || (root.size() == 3 && root[2] == '\\')) && root[1] == ':') return Letter(root[0]);
    return 0;
}

char DosDeviceLetterOf(const std::string& path)
{
    if (path.size() == 6 && path[0] == '\\' && path[1] == '\\' && (path[2] == '.' || path[2] == '?') &&
        path[3] == '\\' && path[5] == ':')
        return Letter(path[4]);
    return 0;
}

bool PhysicalDriveNumberOf(const std::string& path, ULONG* number)
{
    const size_t digits = 17;  // after "\\.\PHYSICALDRIVE"
    if (path.size() <= digits || path.size() > digits + 10) return false;
    if (!StartsWithNoCase(path, "\\\\.\\PHYSICALDRIVE") && !StartsWithNoCase(path, "\\\\?\\PHYSICALDRIVE"))
        return false;
    unsigned long long value = 0;
    for (size_t i = digits; i < path.size(); ++i) {
        if (path[i] < '0' || path[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(path[i] - '0');
    }
    if (value > 0xFFFFFFFFull) return false;
    *number = static_cast<ULONG>(value);
    return true;
}

bool IsGlobalRootPath(const std::string& path)
{
    return StartsWithNoCase(path, "\\\\?\\GLOBALROOT\\DEVICE\\") ||
           StartsWithNoCase(path, "\\\\.\\GLOBALROOT\\DEVICE\\");
}

} // namespace kxemu
