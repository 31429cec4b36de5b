// What the storage stack answers for a volume, asked as the library asks it,
// and the drive letters that answer as in use.
#pragma once

#include "kxplatform.h"

#include <string>
#include <utility>
#include <vector>

namespace kxvds {

using WString = std::basic_string<WCHAR>;

struct SeenExtent {
    DWORD disk = 0;
    ULONGLONG offset = 0;
    ULONGLONG length = 0;
};

struct VolumeDevices {
    DWORD openError = 0;      // CreateFileW's last error; 0 when the device opened
    DWORD extentsError = 0;
    std::vector<SeenExtent> extents;
    long mbrNumber = -1;      // IOCTL_DISK_GET_PARTITION_INFO; -1 when it fails
    long exNumber = -1;       // IOCTL_DISK_GET_PARTITION_INFO_EX
    DWORD readError = 0;
    std::vector<BYTE> firstSector;  // the boot sector's 512 bytes, when read
    UINT driveType = DRIVE_UNKNOWN; // of the device root
    bool hasFreeSpace = false;
    ULONGLONG totalBytes = 0;
    ULONGLONG freeBytes = 0;
};

// `name` as the service gives it, without the trailing backslash.
VolumeDevices ReadVolumeDevices(const WString& name);

// Each letter whose root GetDriveTypeW does not call free, with its type.
std::vector<std::pair<char, UINT>> LettersInUse();

} // namespace kxvds
