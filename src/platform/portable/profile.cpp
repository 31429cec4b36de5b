// Reads of Windows profile (INI) files. The file is read afresh on every call,
// as Windows does for files it has not cached, so edits show at once.
//
// A file name without a folder would name a file of the Windows directory;
// no such directory exists here, so it names a file of the working directory.
#include "kxwin32.h"

#include "lasterror.h"
#include "paths.h"
#include "unicode.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kxwin32;

namespace {

struct Entry {
    std::u16string key;
    std::optional<std::u16string> value; // a line without '=' has none
};

struct Section {
    std::u16string name;
    std::vector<Entry> entries;
};

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::u16string Trim(std::u16string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return std::u16string(s.substr(b, e - b));
}

bool SameName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperUnit(a[i]) != UpperUnit(b[i])) return false;
    return true;
}

// UTF-16 with either byte-order mark, or UTF-8 with or without one.
std::u16string Decode(const std::string& bytes)
{
    auto utf16 = [&](bool bigEndian) {
        std::u16string text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            unsigned char lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
            unsigned char hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
            text.push_back(static_cast<char16_t>(lo | (hi << 8)));
        }
        return text;
    };
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return utf16(false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return utf16(true);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return Utf8ToUtf16(std::string_view(bytes).substr(3));
    return Utf8ToUtf16(bytes);
}

// Windows drops one pair of matching quotes around a value.
std::u16string Unquote(std::u16string value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::vector<Section> Parse(const std::u16string& text)
{
    std::vector<Section> sections;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = Trim(std::u16string_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == u';') continue;
        if (line[0] == u'[') {
            size_t close = line.find(u']');
            sections.push_back(Section{Trim(std::u16string_view(line).substr(1, close == std::u16string::npos
                                                                                    ? std::u16string::npos
                                                                                    : close - 1)),
                                       {}});
            continue;
        }
        // Lines before the first section belong to none and cannot be read.
        if (sections.empty()) continue;
        size_t eq = line.find(u'=');
        if (eq == std::u16string::npos) {
            sections.back().entries.push_back(Entry{line, std::nullopt});
        } else {
            std::u16string_view view(line);
            sections.back().entries.push_back(Entry{Trim(view.substr(0, eq)), Unquote(Trim(view.substr(eq + 1)))});
        }
    }
    return sections;
}

// The whole file, or false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string* bytes)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char chunk[4096];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        // A folder opens but reads nothing, like an empty file.
        if (n <= 0) break;
        bytes->append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

bool Load(LPCWSTR fileName, std::vector<Section>* sections)
{
    std::string path;
    if (ToPosixPath(fileName, &path) != ERROR_SUCCESS) return false;
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) return false;
    *sections = Parse(Decode(bytes));
    return true;
}

const Entry* FindEntry(const std::vector<Section>& sections, LPCWSTR app, LPCWSTR key)
{
    for (const Section& s : sections) {
        if (!SameName(s.name, app)) continue;
        for (const Entry& e : s.entries)
            if (e.value && SameName(e.key, key)) return &e;
    }
    return nullptr;
}

// One string, cut to size - 1 units when it does not fit.
DWORD CopyString(std::u16string_view text, LPWSTR out, DWORD size)
{
    size_t n = text.size() < size ? text.size() : size - 1;
    text.copy(out, n);
    out[n] = 0;
    return static_cast<DWORD>(n);
}

// Zero-separated names ending in a second zero. When they do not fit, the
// last one is cut and followed by two zeros, and the answer is size - 2.
DWORD CopyList(const std::vector<std::u16string>& names, LPWSTR out, DWORD size)
{
    if (size < 2) {
        out[0] = 0;
        return 0;
    }
    size_t used = 0;
    for (const std::u16string& name : names) {
        if (used + name.size() + 1 > size - 1) {
            size_t room = size - 2 - used;
            name.copy(out + used, room);
            out[size - 2] = 0;
            out[size - 1] = 0;
            return size - 2;
        }
        name.copy(out + used, name.size());
        used += name.size();
        out[used++] = 0;
    }
    out[used] = 0;
    return static_cast<DWORD>(used);
}

// The value for app/key, or null when the file, section or key is missing.
std::optional<std::u16string> ReadValue(LPCWSTR app, LPCWSTR key, LPCWSTR fileName)
{
    std::vector<Section> sections;
    if (!Load(fileName, &sections)) return std::nullopt;
    const Entry* e = FindEntry(sections, app, key);
    if (!e) return std::nullopt;
    return e->value;
}

} // namespace

DWORD GetPrivateProfileStringW(LPCWSTR app, LPCWSTR key, LPCWSTR def, LPWSTR out, DWORD size, LPCWSTR fileName)
{
    if (!out || size == 0) return 0;
    if (!app || !key) {
        std::vector<Section> sections;
        std::vector<std::u16string> names;
        if (!Load(fileName, &sections)) SetLastError(ERROR_FILE_NOT_FOUND);
        for (const Section& s : sections) {
            if (!app) {
                names.push_back(s.name);
            } else if (SameName(s.name, app)) {
                for (const Entry& e : s.entries)
                    names.push_back(e.key);
            }
        }
        return CopyList(names, out, size);
    }
    std::optional<std::u16string> value = ReadValue(app, key, fileName);
    if (value) return CopyString(*value, out, size);
    // Windows strips trailing blanks of the default and reports the miss.
    std::u16string_view fallback = WideView(def);
    while (!fallback.empty() && IsBlank(fallback.back()))
        fallback.remove_suffix(1);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyString(fallback, out, size);
}

UINT GetPrivateProfileIntW(LPCWSTR app, LPCWSTR key, INT def, LPCWSTR fileName)
{
    if (!app || !key) return static_cast<UINT>(def);
    std::optional<std::u16string> value = ReadValue(app, key, fileName);
    if (!value || value->empty()) {
        if (!value) SetLastError(ERROR_FILE_NOT_FOUND);
        return static_cast<UINT>(def);
    }
    // Leading digits count; "0x" switches to hexadecimal; the rest is ignored.
    const std::u16string& v = *value;
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) negative = v[i++] == u'-';
    unsigned base = 10;
    if (i + 1 < v.size() && v[i] == u'0' && (v[i + 1] == u'x' || v[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    uint32_t result = 0;
    for (; i < v.size(); ++i) {
        char16_t c = v[i];
        unsigned digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else break;
        result = result * base + digit;
    }
    return negative ? 0u - result : result;
}
