#include "devices/DevicePaths.h"

#include "model/Text.h"

namespace kxemu {

namespace {

char Letter(char c)
{
    const char upper = UpperAscii(std::string(1, c))[0];
    return upper >= 'A' && upper <= 'Z' ? upper : 0;
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

bool IsGlobalRootPath(const std::string& path)
{
    const std::string upper = UpperAscii(path);
    return upper.rfind("\\\\?\\GLOBALROOT\\DEVICE\\", 0) == 0 || upper.rfind("\\\\.\\GLOBALROOT\\DEVICE\\", 0) == 0;
}

} // namespace kxemu
