#include "partition/VolumePosition.h"

#include "log/KXLogger.h"
#include "support/KXResource.h"

namespace {

HANDLE OpenVolume(const WCHAR* path, DWORD access, DWORD attributes)
{
    HANDLE h = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, attributes,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        GetLogger()->LogError("CreateFile(%s) failed (%u - %8.8X)", path, code, code);
    }
    return h;
}

} // namespace

int GetVolumeDiskNumber(const WCHAR* path)
{
    KXUniqueFile volume(OpenVolume(path, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL));
    if (!volume.valid()) return -1;
    VOLUME_DISK_EXTENTS extents = {};
    DWORD returned = 0;
    if (!DeviceIoControl(volume.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &extents, sizeof(extents),
                         &returned, nullptr))
        return -1;
    return static_cast<int>(extents.Extents[0].DiskNumber);
}

int GetVolumePartitionNumber(const WCHAR* path)
{
    KXUniqueFile volume(OpenVolume(path, GENERIC_READ, 0));
    if (!volume.valid()) return -1;
    PARTITION_INFORMATION info = {};
    DWORD returned = 0;
    if (DeviceIoControl(volume.get(), IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof(info), &returned,
                        nullptr))
        return static_cast<int>(info.PartitionNumber);
    // The older call knows MBR disks only; a GPT volume answers the style-aware one.
    PARTITION_INFORMATION_EX infoEx = {};
    if (DeviceIoControl(volume.get(), IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, &infoEx, sizeof(infoEx),
                        &returned, nullptr))
        return static_cast<int>(infoEx.PartitionNumber);
    return -1;
}
