#include "kxwin32.h"

#include "devices.h"
#include "file_stat.h"
#include "find.h"
#include "lasterror.h"
#include "paths.h"
#include "unicode.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <string>
#include <sys/stat.h>

using namespace kxwin32;

namespace {

bool HasWildcard(const std::string& s)
{
    return s.find_first_of("*?") != std::string::npos;
}

// Windows matching of one name component: '*' any run, '?' one character,
// letters without regard to case.
bool Matches(std::u16string_view pattern, std::u16string_view name)
{
    size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || UpperUnit(pattern[p]) == UpperUnit(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

void Describe(const std::string& name, const struct stat& st, LPWIN32_FIND_DATAW data)
{
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = AttributesOf(st);
    data->ftCreationTime = ToFileTime(st.st_ctim);
    data->ftLastAccessTime = ToFileTime(st.st_atim);
    data->ftLastWriteTime = ToFileTime(st.st_mtim);
    uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    std::u16string wide = Utf8ToUtf16(name);
    wide.copy(data->cFileName, MAX_PATH - 1);
}

// The first entry of `folder` that `pattern` matches; false when none does.
bool FindInFolder(const std::string& folder, const std::string& pattern, std::string* name, DWORD* error)
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) {
        *error = errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
        return false;
    }
    std::u16string widePattern = Utf8ToUtf16(pattern);
    while (struct dirent* entry = readdir(dir.get())) {
        if (Matches(widePattern, Utf8ToUtf16(entry->d_name))) {
            *name = entry->d_name;
            return true;
        }
    }
    *error = ERROR_FILE_NOT_FOUND;
    return false;
}

} // namespace

HANDLE FindFirstFileW(LPCWSTR name, LPWIN32_FIND_DATAW data)
{
    if (!data) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    KXDeviceProvider* provider = name && IsDevicePath(name) ? CurrentDeviceProvider() : nullptr;
    DWORD claimed = ERROR_SUCCESS;
    if (provider && provider->Find(name, &claimed)) return Fail(claimed, INVALID_HANDLE_VALUE);
    std::string path;
    if (DWORD error = ToPosixPath(name, &path)) return Fail(error, INVALID_HANDLE_VALUE);
    // A name ending in a separator names no file.
    if (path.back() == '/') return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);

    std::string::size_type slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    if (HasWildcard(folder)) return Fail(ERROR_INVALID_NAME, INVALID_HANDLE_VALUE);

    if (HasWildcard(leaf)) {
        DWORD error = ERROR_SUCCESS;
        if (!FindInFolder(folder, leaf, &leaf, &error)) return Fail(error, INVALID_HANDLE_VALUE);
        path = (folder == "/" ? "" : folder) + "/" + leaf;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return Fail(errno == ENOENT ? MissingFileError(path) : ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
    Describe(leaf, st, data);
    return InsertHandle(std::make_shared<FindObject>());
}

BOOL FindClose(HANDLE find)
{
    if (!LookupHandleAs<FindObject>(find)) return Fail(ERROR_INVALID_HANDLE, FALSE);
    RemoveHandle(find);
    return TRUE;
}
