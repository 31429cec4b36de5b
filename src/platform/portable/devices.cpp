#include "devices.h"

#include "lasterror.h"
#include "paths.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <sys/statvfs.h>

namespace kxwin32 {

namespace {
std::atomic<KXDeviceProvider*> provider{nullptr};
}

KXDeviceProvider* CurrentDeviceProvider()
{
    return provider.load();
}

BOOL DeviceObject::Read(void* buffer, DWORD size, DWORD* read, DWORD* error)
{
    std::lock_guard<std::mutex> lock(positionMutex_);
    *read = 0;
    BOOL ok = provider_->Read(token_, position_, buffer, size, read, error);
    if (ok) position_ += *read;
    return ok;
}

BOOL DeviceObject::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                           DWORD* error)
{
    return provider_->Control(token_, code, in, inSize, out, outSize, returned, error);
}

bool DeviceObject::Seek(int64_t distance, DWORD method, uint64_t* position, DWORD* error)
{
    std::lock_guard<std::mutex> lock(positionMutex_);
    int64_t base;
    if (method == FILE_BEGIN) {
        base = 0;
    } else if (method == FILE_CURRENT) {
        base = static_cast<int64_t>(position_);
    } else {
        *error = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (base + distance < 0) {
        *error = ERROR_NEGATIVE_SEEK;
        return false;
    }
    position_ = static_cast<uint64_t>(base + distance);
    *position = position_;
    return true;
}

} // namespace kxwin32

using namespace kxwin32;

namespace {

DWORD FileSystemFreeSpace(LPCWSTR dir, ULONGLONG* callerBytes, ULONGLONG* totalBytes, ULONGLONG* freeBytes)
{
    std::string posix = ".";
    if (dir) {
        // Only absolute Z:\ paths name a folder of this system's one volume.
        std::u16string_view d(dir);
        if (d.size() < 3 || (d[0] != u'Z' && d[0] != u'z') || d[1] != u':' || d[2] != u'\\')
            return ERROR_PATH_NOT_FOUND;
        if (DWORD error = ToPosixPath(dir, &posix)) return error;
    }
    struct statvfs vfs;
    if (statvfs(posix.c_str(), &vfs) != 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
    *callerBytes = static_cast<ULONGLONG>(vfs.f_bavail) * vfs.f_frsize;
    *totalBytes = static_cast<ULONGLONG>(vfs.f_blocks) * vfs.f_frsize;
    *freeBytes = static_cast<ULONGLONG>(vfs.f_bfree) * vfs.f_frsize;
    return ERROR_SUCCESS;
}

} // namespace

void KXSetDeviceProvider(KXDeviceProvider* p)
{
    provider.store(p);
}

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                     LPDWORD returned, LPOVERLAPPED ov)
{
    if (ov) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    std::shared_ptr<HandleObject> object = LookupHandle(device);
    if (!object) return Fail(ERROR_INVALID_HANDLE, FALSE);
    auto dev = std::dynamic_pointer_cast<DeviceObject>(object);
    if (!dev) return Fail(ERROR_INVALID_FUNCTION, FALSE);
    DWORD count = 0;
    DWORD error = ERROR_SUCCESS;
    BOOL ok = dev->Control(code, in, inSize, out, outSize, &count, &error);
    if (returned) *returned = count;
    return ok ? TRUE : Fail(error, FALSE);
}

UINT GetDriveTypeW(LPCWSTR root)
{
    KXDeviceProvider* p = root && IsDeviceOrDrivePath(root) ? CurrentDeviceProvider() : nullptr;
    UINT type = DRIVE_UNKNOWN;
    if (p && p->DriveType(root, &type)) return type;
    // No root means the working directory's drive, which is always Z:.
    if (!root || IsRootOfDriveZ(root)) return DRIVE_FIXED;
    return DRIVE_NO_ROOT_DIR;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR dir, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree)
{
    KXDeviceProvider* p = dir && IsDeviceOrDrivePath(dir) ? CurrentDeviceProvider() : nullptr;
    ULONGLONG callerBytes = 0, totalBytes = 0, freeBytes = 0;
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS;
    if (!(p && p->FreeSpace(dir, &ok, &callerBytes, &totalBytes, &freeBytes, &error))) {
        error = FileSystemFreeSpace(dir, &callerBytes, &totalBytes, &freeBytes);
        ok = error == ERROR_SUCCESS;
    }
    if (!ok) return Fail(error, FALSE);
    if (freeToCaller) freeToCaller->QuadPart = callerBytes;
    if (total) total->QuadPart = totalBytes;
    if (totalFree) totalFree->QuadPart = freeBytes;
    return TRUE;
}
