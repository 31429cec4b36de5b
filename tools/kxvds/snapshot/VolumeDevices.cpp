#include "snapshot/VolumeDevices.h"

#include "support/KXResource.h"

#include <algorithm>

namespace kxvds {

namespace {

// A 4K-native disk's first sector is 4096 bytes; a volume handle reads
// whole sectors only, and 4096 is whole on both kinds of disk.
const DWORD kFirstReadBytes = 4096;
const size_t kBootSectorBytes = 512;
const DWORD kMostExtents = 64;

void ReadExtents(HANDLE device, VolumeDevices& seen)
{
    std::vector<BYTE> buffer(sizeof(VOLUME_DISK_EXTENTS) + (kMostExtents - 1) * sizeof(DISK_EXTENT));
    DWORD returned = 0;
    if (!DeviceIoControl(device, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
        seen.extentsError = GetLastError();
        return;
    }
    const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(buffer.data());
    const DWORD count = std::min(extents->NumberOfDiskExtents, kMostExtents);
    for (DWORD i = 0; i < count; ++i) {
        const DISK_EXTENT& e = extents->Extents[i];
        seen.extents.push_back({e.DiskNumber, static_cast<ULONGLONG>(e.StartingOffset.QuadPart),
                                static_cast<ULONGLONG>(e.ExtentLength.QuadPart)});
    }
}

void ReadPartitionNumbers(HANDLE device, VolumeDevices& seen)
{
    DWORD returned = 0;
    PARTITION_INFORMATION info = {};
    if (DeviceIoControl(device, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof(info), &returned, nullptr))
        seen.mbrNumber = static_cast<long>(info.PartitionNumber);
    PARTITION_INFORMATION_EX infoEx = {};
    if (DeviceIoControl(device, IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, &infoEx, sizeof(infoEx), &returned,
                        nullptr))
        seen.exNumber = static_cast<long>(infoEx.PartitionNumber);
}

void ReadFirstSector(HANDLE device, VolumeDevices& seen)
{
    std::vector<BYTE> sector(kFirstReadBytes);
    DWORD read = 0;
    if (!ReadFile(device, sector.data(), kFirstReadBytes, &read, nullptr)) {
        seen.readError = GetLastError();
        return;
    }
    sector.resize(kBootSectorBytes);
    seen.firstSector = std::move(sector);
}

} // namespace

VolumeDevices ReadVolumeDevices(const WString& name)
{
    VolumeDevices seen;
    {
        KXUniqueFile device(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        if (device.valid()) {
            ReadExtents(device.get(), seen);
            ReadPartitionNumbers(device.get(), seen);
            ReadFirstSector(device.get(), seen);
        } else {
            seen.openError = GetLastError();
        }
    }
    const WString root = name + KXW("\\");
    seen.driveType = GetDriveTypeW(root.c_str());
    ULARGE_INTEGER toCaller = {}, total = {}, free = {};
    if (GetDiskFreeSpaceExW(root.c_str(), &toCaller, &total, &free)) {
        seen.hasFreeSpace = true;
        seen.totalBytes = total.QuadPart;
        seen.freeBytes = free.QuadPart;
    }
    return seen;
}

std::vector<std::pair<char, UINT>> LettersInUse()
{
    std::vector<std::pair<char, UINT>> letters;
    WCHAR root[] = KXW("A:\\");
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        root[0] = static_cast<WCHAR>(letter);
        const UINT type = GetDriveTypeW(root);
        if (type != DRIVE_NO_ROOT_DIR) letters.emplace_back(letter, type);
    }
    return letters;
}

} // namespace kxvds
