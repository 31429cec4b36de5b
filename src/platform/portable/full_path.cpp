// GetFullPathNameW: a name made absolute against the working directory and
// cleaned of "." and ".." as Windows does it, touching no file.
#include "kxwin32.h"

#include "lasterror.h"
#include "paths.h"
#include "unicode.h"

#include <string>
#include <vector>

using kxwin32::IsDriveLetter;
using kxwin32::IsSeparator;

namespace {

// The part that ".." never climbs out of, and the rest.
void SplitRoot(const std::u16string& path, std::u16string* root, std::u16string* rest)
{
    size_t end = 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\.\" keeps its prefix; a UNC name its server and share.
        const bool device = path.size() >= 4 && path[2] == u'.' && IsSeparator(path[3]);
        end = device ? 4 : 2;
        for (int parts = device ? 0 : 2; parts > 0 && end < path.size(); --parts) {
            while (end < path.size() && !IsSeparator(path[end])) ++end;
            if (parts > 1 && end < path.size()) ++end;
        }
    } else {
        end = 3;  // "X:\"
    }
    *root = path.substr(0, end);
    *rest = end < path.size() ? path.substr(end) : std::u16string();
}

std::u16string Absolute(std::u16string_view name)
{
    std::u16string path(name);
    for (char16_t& c : path)
        if (c == u'/') c = u'\\';
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') return path;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == u':' && path[2] == u'\\') return path;

    WCHAR cwd[4096] = {};
    const DWORD length = GetCurrentDirectoryW(4096, cwd);
    std::u16string current(cwd, length < 4096 ? length : 0);
    if (current.empty() || current.back() != u'\\') current += u'\\';
    if (!path.empty() && path[0] == u'\\') return current.substr(0, 2) + path;
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':') {
        // Only the working directory's drive has a directory of its own here.
        const bool sameDrive = kxwin32::UpperUnit(path[0]) == kxwin32::UpperUnit(current[0]);
        return (sameDrive ? current : std::u16string(1, path[0]) + u":\\") + path.substr(2);
    }
    return current + path;
}

std::u16string Clean(const std::u16string& path)
{
    std::u16string root, rest;
    SplitRoot(path, &root, &rest);
    std::vector<std::u16string> parts;
    std::u16string part;
    const bool trailing = !rest.empty() && rest.back() == u'\\';
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && rest[i] != u'\\') {
            part += rest[i];
            continue;
        }
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        part.clear();
    }
    std::u16string out = root;
    if (!out.empty() && out.back() != u'\\' && !parts.empty()) out += u'\\';
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? u"\\" : u"") + parts[i];
    if (trailing && !parts.empty()) out += u'\\';
    return out;
}

} // namespace

DWORD GetFullPathNameW(LPCWSTR name, DWORD length, LPWSTR buffer, LPWSTR* filePart)
{
    if (!name || !*name) return kxwin32::Fail(ERROR_INVALID_NAME, DWORD{0});
    const std::u16string_view given = kxwin32::WideView(name);
    // "\\?\" names are taken as they stand.
    const bool literal = given.size() >= 4 && given.substr(0, 4) == u"\\\\?\\";
    const std::u16string full = literal ? std::u16string(given) : Clean(Absolute(given));
    if (!buffer || length < full.size() + 1) return static_cast<DWORD>(full.size() + 1);
    full.copy(buffer, full.size());
    buffer[full.size()] = 0;
    if (filePart) {
        const size_t last = full.find_last_of(u'\\');
        *filePart = last == std::u16string::npos || last + 1 == full.size() ? nullptr : buffer + last + 1;
    }
    return static_cast<DWORD>(full.size());
}
