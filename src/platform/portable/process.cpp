// The process's working directory and executable, in Z:\ form.
#include "kxwin32.h"

#include "lasterror.h"
#include "paths.h"
#include "unicode.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace kxwin32;

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer)
{
    // Folders of ordinary depth fit on the stack; deeper ones grow a string.
    char local[PATH_MAX];
    std::string deep;
    const char* cwd = getcwd(local, sizeof local);
    for (size_t size = 2 * sizeof local; !cwd; size *= 2) {
        if (errno != ERANGE) return Fail(ErrorFromErrno(errno), DWORD{0});
        deep.resize(size);
        cwd = getcwd(&deep[0], deep.size());
    }
    const std::u16string path = ToWindowsPath(cwd);
    DWORD needed = static_cast<DWORD>(path.size() + 1);
    // Too small: Windows writes nothing and answers the size it needs.
    if (!buffer || bufferLength < needed) return needed;
    path.copy(buffer, path.size());
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

BOOL SetCurrentDirectoryW(LPCWSTR path)
{
    std::string posix;
    if (DWORD error = ToPosixPath(path, &posix)) return Fail(error, FALSE);
    if (chdir(posix.c_str()) == 0) return TRUE;
    int err = errno;
    if (err == ENOENT) return Fail(MissingFileError(posix), FALSE);
    struct stat st;
    if (err == ENOTDIR && stat(posix.c_str(), &st) == 0) return Fail(ERROR_DIRECTORY, FALSE);
    return Fail(ErrorFromErrno(err), FALSE);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR filename, DWORD size)
{
    // Only the executable is known here; loaded libraries have no handles.
    if (module) return Fail(ERROR_MOD_NOT_FOUND, DWORD{0});
    std::string exe(PATH_MAX, '\0');
    ssize_t n = readlink("/proc/self/exe", &exe[0], exe.size());
    if (n < 0) return Fail(ErrorFromErrno(errno), DWORD{0});
    exe.resize(static_cast<size_t>(n));
    std::u16string path = ToWindowsPath(exe);

    if (!filename || size == 0) return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    if (path.size() >= size) {
        // Cut to size - 1 characters plus terminator; the result is the size.
        path.copy(filename, size - 1);
        filename[size - 1] = 0;
        return Fail(ERROR_INSUFFICIENT_BUFFER, size);
    }
    path.copy(filename, path.size());
    filename[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}
