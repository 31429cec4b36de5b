#include "ChangeReport.h"

#include "Failure.h"

#include <cctype>

namespace kxvds {

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsDriveRoot(const std::string& path)
{
    return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

std::string DriveLetterOf(const std::vector<std::string>& paths)
{
    for (const std::string& p : paths)
        if (IsDriveRoot(p)) return p;
    return std::string();
}

std::string On(unsigned number, unsigned long disk)
{
    return "partition " + std::to_string(number) + " on disk " + std::to_string(disk);
}

std::string Done(const CommandLine& line, const char* done, const char* would)
{
    return line.Has("--dry-run") ? would : done;
}

Json Document(const CommandLine& line, unsigned long disk)
{
    Json json = {{"disk", disk}};
    if (line.Has("--dry-run")) json["dryRun"] = true;
    return json;
}

void Check(KXHRESULT hr, const std::string& action, const std::string& why)
{
    if (hr != 0) throw OperationFailed(static_cast<uint32_t>(hr), action, why);
}

} // namespace kxvds
