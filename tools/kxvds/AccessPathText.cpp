#include "AccessPathText.h"

#include "UsageError.h"

#include <cctype>

namespace kxvds {

std::string NormalisePath(const std::string& text)
{
    std::string path = text;
    for (char& c : path)
        if (c == '/') c = '\\';
    const bool letter = !path.empty() && std::isalpha(static_cast<unsigned char>(path[0]));
    if (letter && path.size() == 1) return std::string(1, static_cast<char>(std::toupper(path[0]))) + ":\\";
    if (!letter || path.size() < 2 || path[1] != ':' || (path.size() > 2 && path[2] != '\\'))
        throw UsageError("bad path '" + text + "': expected a drive letter (F:) or a folder with its drive (C:\\Mount\\Data)");
    path[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (path.back() != '\\') path += '\\';
    for (size_t i = 3; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || std::string("<>:\"|?*").find(path[i]) != std::string::npos)
            throw UsageError("bad path '" + text + "': folder names cannot hold < > : \" | ? * or control characters");
        if (c == '\\' && path[i - 1] == '\\') throw UsageError("bad path '" + text + "': an empty folder name");
    }
    return path;
}

} // namespace kxvds
