// kernel32's file calls over POSIX descriptors. Device paths go to the device
// provider first; everything else is a Z:\ path of the file system.
#include "kxwin32.h"

#include "devices.h"
#include "file_object.h"
#include "file_stat.h"
#include "lasterror.h"
#include "paths.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace kxwin32;

namespace {

// Windows keeps a read-only attribute that even administrators must clear
// before writing; root ignores POSIX permission bits, so a file without any
// write bit plays that attribute here.
bool HasReadOnlyAttribute(const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

int OpenFlags(DWORD access)
{
    bool read = (access & GENERIC_READ) != 0;
    bool write = (access & GENERIC_WRITE) != 0;
    return (write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY) | O_CLOEXEC;
}

HANDLE OpenDevice(KXDeviceProvider* provider, LPCWSTR name, DWORD access, bool* claimed)
{
    void* token = nullptr;
    DWORD error = ERROR_SUCCESS;
    *claimed = provider->Open(name, access, &token, &error);
    if (!*claimed) return INVALID_HANDLE_VALUE;
    if (!token) return Fail(error ? error : ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(std::make_shared<DeviceObject>(provider, token));
}

HANDLE OpenFile(LPCWSTR name, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE))
        return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);

    std::string path;
    if (DWORD error = ToPosixPath(name, &path)) return Fail(error, INVALID_HANDLE_VALUE);

    struct stat st;
    bool exists = stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return Fail(ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
    if (exists) {
        if (disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
        // Without backup semantics a folder cannot be opened as a file.
        if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        bool writes = (access & GENERIC_WRITE) || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
        if (writes && HasReadOnlyAttribute(st)) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    } else if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
        return Fail(MissingFileError(path), INVALID_HANDLE_VALUE);
    }

    int fd;
    if (exists) {
        // Truncation waits until the share check has let this open through.
        fd = open(path.c_str(), OpenFlags(access));
    } else {
        mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        fd = open(path.c_str(), OpenFlags(access) | O_CREAT | O_EXCL, mode);
    }
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT) return Fail(exists ? ERROR_FILE_NOT_FOUND : MissingFileError(path), INVALID_HANDLE_VALUE);
        // Another process created it between the test and the open.
        if (err == EEXIST) return Fail(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        return Fail(ErrorFromErrno(err), INVALID_HANDLE_VALUE);
    }
    if (fstat(fd, &st) != 0) {
        int err = errno;
        close(fd);
        return Fail(ErrorFromErrno(err), INVALID_HANDLE_VALUE);
    }

    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<FileObject> file = FileObject::Open(fd, FileIdentity{st.st_dev, st.st_ino}, access, share, &error);
    if (!file) return Fail(error, INVALID_HANDLE_VALUE);
    bool truncate = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    if (truncate && ftruncate(fd, 0) != 0) return Fail(ErrorFromErrno(errno), INVALID_HANDLE_VALUE);

    // Windows reports, on success, that an existing file was opened or replaced.
    bool reportsExisting = exists && (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return InsertHandle(file);
}

} // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flags,
                   HANDLE)
{
    if (!name) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    KXDeviceProvider* provider = IsDevicePath(name) ? CurrentDeviceProvider() : nullptr;
    if (provider) {
        bool claimed = false;
        HANDLE device = OpenDevice(provider, name, access, &claimed);
        if (claimed) return device;
    }
    return OpenFile(name, access, share, disposition, flags);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov)
{
    if (read) *read = 0;
    // Overlapped reads need asynchronous handles, which are not made here.
    if (ov) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    std::shared_ptr<HandleObject> object = LookupHandle(file);
    if (auto device = std::dynamic_pointer_cast<DeviceObject>(object)) {
        DWORD count = 0;
        DWORD error = ERROR_SUCCESS;
        BOOL ok = device->Read(buffer, toRead, &count, &error);
        if (read) *read = count;
        return ok ? TRUE : Fail(error, FALSE);
    }
    auto f = std::dynamic_pointer_cast<FileObject>(object);
    if (!f) return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (!f->CanRead()) return Fail(ERROR_ACCESS_DENIED, FALSE);
    // A disk file gives everything up to its end in one call.
    DWORD total = 0;
    auto out = static_cast<char*>(buffer);
    while (total < toRead) {
        ssize_t n = ::read(f->Descriptor(), out + total, toRead - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (read) *read = total;
            return Fail(ErrorFromErrno(errno), FALSE);
        }
        if (n == 0) break;
        total += static_cast<DWORD>(n);
    }
    if (read) *read = total;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov)
{
    if (written) *written = 0;
    if (ov) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    std::shared_ptr<HandleObject> object = LookupHandle(file);
    // Providers model read-only devices.
    if (std::dynamic_pointer_cast<DeviceObject>(object)) return Fail(ERROR_NOT_SUPPORTED, FALSE);
    auto f = std::dynamic_pointer_cast<FileObject>(object);
    if (!f) return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (!f->CanWrite()) return Fail(ERROR_ACCESS_DENIED, FALSE);
    DWORD total = 0;
    auto in = static_cast<const char*>(buffer);
    while (total < toWrite) {
        ssize_t n = ::write(f->Descriptor(), in + total, toWrite - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (written) *written = total;
            return Fail(ErrorFromErrno(errno), FALSE);
        }
        total += static_cast<DWORD>(n);
    }
    if (written) *written = total;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method)
{
    // With a high part the two halves form one signed 64-bit distance.
    int64_t move = distanceHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                                       static_cast<uint32_t>(distance))
                                : static_cast<int64_t>(distance);
    if (method > FILE_END) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);

    std::shared_ptr<HandleObject> object = LookupHandle(file);
    uint64_t position = 0;
    if (auto device = std::dynamic_pointer_cast<DeviceObject>(object)) {
        DWORD error = ERROR_SUCCESS;
        if (!device->Seek(move, method, &position, &error)) return Fail(error, INVALID_SET_FILE_POINTER);
    } else if (auto f = std::dynamic_pointer_cast<FileObject>(object)) {
        // Without a high part the result must fit the 32-bit answer.
        const int64_t limit = distanceHigh ? INT64_MAX : 0xFFFFFFFELL;
        if (method == FILE_BEGIN && move < 0) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
        if (method == FILE_BEGIN && move > limit) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
        // One call moves and answers; the kernel refuses a negative result
        // with EINVAL and leaves the position as it was.
        const int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
        const off_t target = lseek(f->Descriptor(), move, whence);
        if (target < 0)
            return Fail(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrorFromErrno(errno), INVALID_SET_FILE_POINTER);
        if (target > limit) {
            // Past 4 GiB without a high part: refused, and a relative move is
            // undone; from the end the old position is not known, so the
            // pointer stays at the end.
            if (method == FILE_CURRENT) lseek(f->Descriptor(), target - move, SEEK_SET);
            return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
        }
        position = static_cast<uint64_t>(target);
    } else {
        return Fail(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
    }
    if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
    DWORD low = static_cast<DWORD>(position);
    // A low part that looks like the failure value must be told apart by the error.
    if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
    return low;
}

BOOL DeleteFileW(LPCWSTR name)
{
    std::string path;
    if (DWORD error = ToPosixPath(name, &path)) return Fail(error, FALSE);
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return Fail(errno == ENOENT ? MissingFileError(path) : ErrorFromErrno(errno), FALSE);
    if (S_ISDIR(st.st_mode) || HasReadOnlyAttribute(st)) return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (DeletionBlocked(FileIdentity{st.st_dev, st.st_ino})) return Fail(ERROR_SHARING_VIOLATION, FALSE);
    if (unlink(path.c_str()) != 0) return Fail(ErrorFromErrno(errno), FALSE);
    return TRUE;
}

DWORD GetFileType(HANDLE file)
{
    std::shared_ptr<HandleObject> object = LookupHandle(file);
    DWORD type = FILE_TYPE_DISK;
    if (auto f = std::dynamic_pointer_cast<FileObject>(object)) {
        struct stat st;
        if (fstat(f->Descriptor(), &st) != 0) return Fail(ErrorFromErrno(errno), DWORD{FILE_TYPE_UNKNOWN});
        if (S_ISCHR(st.st_mode)) type = FILE_TYPE_CHAR;
        if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) type = FILE_TYPE_PIPE;
    } else if (!std::dynamic_pointer_cast<DeviceObject>(object)) {
        return Fail(ERROR_INVALID_HANDLE, DWORD{FILE_TYPE_UNKNOWN});
    }
    // The answer alone cannot tell FILE_TYPE_UNKNOWN from a failure.
    SetLastError(ERROR_SUCCESS);
    return type;
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info)
{
    if (!info) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    auto f = std::dynamic_pointer_cast<FileObject>(LookupHandle(file));
    if (!f) return Fail(ERROR_INVALID_HANDLE, FALSE);
    struct stat st;
    if (fstat(f->Descriptor(), &st) != 0) return Fail(ErrorFromErrno(errno), FALSE);
    *info = BY_HANDLE_FILE_INFORMATION{};
    info->dwFileAttributes = AttributesOf(st);
    info->ftCreationTime = ToFileTime(st.st_ctim);
    info->ftLastAccessTime = ToFileTime(st.st_atim);
    info->ftLastWriteTime = ToFileTime(st.st_mtim);
    info->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
    const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    info->nFileSizeLow = static_cast<DWORD>(size);
    info->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    info->nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_ino) >> 32);
    info->nFileIndexLow = static_cast<DWORD>(st.st_ino);
    return TRUE;
}
