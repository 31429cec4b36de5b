#include "ErrorText.h"

#include "WideText.h"
#include "kxplatform.h"

#include <cstdio>

namespace kxvds {

namespace {

struct KnownResult {
    uint32_t code;
    const char* name;
    const char* text;  // nullptr: the system's text
};

uint32_t U(HRESULT hr)
{
    return static_cast<uint32_t>(hr);
}

// Codes whose system text would mislead here (0x80070002 "cannot find the
// file"), codes without a system text, and the disk service's own codes.
const KnownResult kKnown[] = {
    {U(E_NOINTERFACE), "E_NOINTERFACE", "no such disk, or no volume on the partition"},
    {U(E_NOTIMPL), "E_NOTIMPL", "not implemented (exFAT cannot be formatted through this interface)"},
    {U(E_UNEXPECTED), "E_UNEXPECTED", "the disk service reported that the operation failed"},
    {U(E_FAIL), "E_FAIL", "unspecified failure"},
    {U(E_POINTER), "E_POINTER", "invalid pointer"},
    {U(E_OUTOFMEMORY), "E_OUTOFMEMORY", nullptr},
    {U(E_INVALIDARG), "E_INVALIDARG", "invalid argument (an index past the end, or no room for a new partition there)"},
    {U(E_ACCESSDENIED), "E_ACCESSDENIED", nullptr},
    {0x80070002u, "ERROR_FILE_NOT_FOUND", "not found: no such partition, or no disk selected"},
    {0x80070003u, "ERROR_PATH_NOT_FOUND", "path not found, or no free drive letter"},
    {0x80070103u, "ERROR_NO_MORE_ITEMS", "no more items: the volume has no (further) access path"},
    {0x10000006u, "", "the new offset could not be written"},
    {U(REGDB_E_CLASSNOTREG), "REGDB_E_CLASSNOTREG",
     "the Virtual Disk Service is not available on this system (its class is not registered)"},
    {U(CO_E_NOTINITIALIZED), "CO_E_NOTINITIALIZED", "COM is not initialised on this thread"},
    {0x80080005u, "CO_E_SERVER_EXEC_FAILURE", "the Virtual Disk Service could not be started"},
    {0x800706BAu, "RPC_S_SERVER_UNAVAILABLE", "the Virtual Disk Service is not running"},

    {U(VDS_E_NOT_SUPPORTED), "VDS_E_NOT_SUPPORTED", "the disk service does not support this operation"},
    {U(VDS_E_INITIALIZED_FAILED), "VDS_E_INITIALIZED_FAILED", "the disk service failed to initialise"},
    {U(VDS_E_OBJECT_NOT_FOUND), "VDS_E_OBJECT_NOT_FOUND", "the object (for example the access path) was not found"},
    {U(VDS_E_INVALID_SPACE), "VDS_E_INVALID_SPACE", "the space for the partition is not free or not on the disk"},
    {U(VDS_E_PARTITION_LIMIT_REACHED), "VDS_E_PARTITION_LIMIT_REACHED",
     "no more partitions fit in the partition table"},
    {U(VDS_E_OPERATION_PENDING), "VDS_E_OPERATION_PENDING", "another operation on this object is still running"},
    {U(VDS_E_OPERATION_DENIED), "VDS_E_OPERATION_DENIED", "the disk service denied the operation"},
    {U(VDS_E_OBJECT_DELETED), "VDS_E_OBJECT_DELETED", "the object has been deleted"},
    {U(VDS_E_NOT_ENOUGH_SPACE), "VDS_E_NOT_ENOUGH_SPACE", "not enough free space"},
    {U(VDS_E_DEVICE_IN_USE), "VDS_E_DEVICE_IN_USE", "the device is in use"},
    {U(VDS_E_INVALID_OPERATION), "VDS_E_INVALID_OPERATION", "the operation is not valid here"},
    {U(VDS_E_PATH_NOT_FOUND), "VDS_E_PATH_NOT_FOUND", "the path was not found"},
    {U(VDS_E_OBJECT_EXISTS), "VDS_E_OBJECT_EXISTS", "it exists already (a volume keeps one drive letter)"},
    {U(VDS_E_INCOMPATIBLE_FILE_SYSTEM), "VDS_E_INCOMPATIBLE_FILE_SYSTEM",
     "the file system does not support this operation"},
    {U(VDS_E_ACCESS_DENIED), "VDS_E_ACCESS_DENIED", "access denied"},
    {U(VDS_E_MEDIA_WRITE_PROTECTED), "VDS_E_MEDIA_WRITE_PROTECTED", "the medium is write-protected"},
    {U(VDS_E_BAD_LABEL), "VDS_E_BAD_LABEL", "the label is not valid for this file system (too long?)"},
    {U(VDS_E_CANT_QUICK_FORMAT), "VDS_E_CANT_QUICK_FORMAT", "this volume cannot be quick-formatted"},
    {U(VDS_E_IO_ERROR), "VDS_E_IO_ERROR", "an input/output error occurred"},
    {U(VDS_E_VOLUME_TOO_SMALL), "VDS_E_VOLUME_TOO_SMALL", "the volume is too small for this file system"},
    {U(VDS_E_VOLUME_TOO_BIG), "VDS_E_VOLUME_TOO_BIG", "the volume is too big for this file system"},
    {U(VDS_E_CLUSTER_SIZE_TOO_SMALL), "VDS_E_CLUSTER_SIZE_TOO_SMALL",
     "the allocation unit is too small for this volume and file system"},
    {U(VDS_E_CLUSTER_SIZE_TOO_BIG), "VDS_E_CLUSTER_SIZE_TOO_BIG",
     "the allocation unit is too big for this volume and file system"},
    {U(VDS_E_CLUSTER_COUNT_BEYOND_32BITS), "VDS_E_CLUSTER_COUNT_BEYOND_32BITS",
     "the volume has too many allocation units for this file system"},
    {U(VDS_E_NO_FREE_SPACE), "VDS_E_NO_FREE_SPACE", "there is no free space on the disk"},
    {U(VDS_E_ACTIVE_PARTITION), "VDS_E_ACTIVE_PARTITION",
     "the disk has an active partition already, and an MBR disk boots from one"},
    {U(VDS_E_VOLUME_LENGTH_NOT_SECTOR_SIZE_MULTIPLE), "VDS_E_VOLUME_LENGTH_NOT_SECTOR_SIZE_MULTIPLE",
     "the size is not a whole number of sectors"},
    {U(VDS_E_VOLUME_NOT_ONLINE), "VDS_E_VOLUME_NOT_ONLINE", "the volume is not online"},
    {U(VDS_E_PROVIDER_FAILURE), "VDS_E_PROVIDER_FAILURE", "a disk service provider failed"},
    {U(VDS_E_INTERNAL_ERROR), "VDS_E_INTERNAL_ERROR", "internal error of the disk service"},
    {U(VDS_E_DISK_NOT_ONLINE), "VDS_E_DISK_NOT_ONLINE", "the disk is not online"},
    {U(VDS_E_VOLUME_NOT_MOUNTED), "VDS_E_VOLUME_NOT_MOUNTED", "the volume is not mounted"},
    {U(VDS_E_VOLUME_HAS_PATH), "VDS_E_VOLUME_HAS_PATH", "the volume already has an access path"},
    {U(VDS_E_TIMEOUT), "VDS_E_TIMEOUT", "the disk service timed out"},
    {U(VDS_E_CANNOT_SHRINK), "VDS_E_CANNOT_SHRINK",
     "this volume cannot be shrunk (only NTFS volumes on one partition can)"},
    {U(VDS_E_DRIVE_LETTER_NOT_FREE), "VDS_E_DRIVE_LETTER_NOT_FREE", "the drive letter is in use"},
    {U(VDS_E_INVALID_DRIVE_LETTER), "VDS_E_INVALID_DRIVE_LETTER", "not a valid drive letter"},
    {U(VDS_E_INVALID_FS_TYPE), "VDS_E_INVALID_FS_TYPE", "not a valid file system type"},
    {U(VDS_E_INVALID_PARTITION_STYLE), "VDS_E_INVALID_PARTITION_STYLE", "the disk's partition style does not allow it"},
    {U(VDS_E_INVALID_PARTITION_TYPE), "VDS_E_INVALID_PARTITION_TYPE", "not a valid partition type"},
    {U(VDS_E_PARTITION_STYLE_MISMATCH), "VDS_E_PARTITION_STYLE_MISMATCH",
     "the disk is not partitioned MBR (this interface creates MBR partitions)"},
    {U(VDS_E_SHRINK_SIZE_LESS_THAN_MIN), "VDS_E_SHRINK_SIZE_LESS_THAN_MIN",
     "the shrink amount is less than one allocation unit of the volume"},
    {U(VDS_E_SHRINK_SIZE_TOO_BIG), "VDS_E_SHRINK_SIZE_TOO_BIG",
     "the shrink amount is more than the volume's free space"},
    {U(VDS_E_SHRINK_IN_PROGRESS), "VDS_E_SHRINK_IN_PROGRESS", "a shrink of this volume is already running"},
    {U(VDS_E_SHRINK_OVER_DATA), "VDS_E_SHRINK_OVER_DATA", "the shrink would cut into data"},
    {U(VDS_E_INVALID_SHRINK_SIZE), "VDS_E_INVALID_SHRINK_SIZE", "not a valid shrink amount"},
    {U(VDS_E_DISK_IS_OFFLINE), "VDS_E_DISK_IS_OFFLINE", "the disk is offline"},
    {U(VDS_E_DISK_IS_READ_ONLY), "VDS_E_DISK_IS_READ_ONLY", "the disk is read-only"},
    {U(VDS_E_VOLUME_GUID_PATHNAME_NOT_ALLOWED), "VDS_E_VOLUME_GUID_PATHNAME_NOT_ALLOWED",
     "a volume GUID path cannot be used as an access path"},
    {U(VDS_E_BOOT_PAGEFILE_DRIVE_LETTER), "VDS_E_BOOT_PAGEFILE_DRIVE_LETTER",
     "the drive letter of the boot or paging volume cannot be changed"},
    {U(VDS_E_NTFS_FORMAT_NOT_SUPPORTED), "VDS_E_NTFS_FORMAT_NOT_SUPPORTED", "NTFS cannot be used on this volume"},
    {U(VDS_E_FAT32_FORMAT_NOT_SUPPORTED), "VDS_E_FAT32_FORMAT_NOT_SUPPORTED", "FAT32 cannot be used on this volume"},
};

const uint32_t kWin32Facility = 0x80070000u;

const KnownResult* Find(uint32_t code)
{
    for (const KnownResult& k : kKnown)
        if (k.code == code) return &k;
    return nullptr;
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && !(text.size() > 1 && text[1] >= 'A' && text[1] <= 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

std::string SystemText(DWORD messageId)
{
    WCHAR buffer[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        messageId, 0, buffer, 512, nullptr);
    if (length == 0) return std::string();
    return Trimmed(ToUtf8(reinterpret_cast<const KXWCHAR*>(buffer)));
}

} // namespace

std::string HexResult(uint32_t code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

std::string ResultName(uint32_t code)
{
    const KnownResult* known = Find(code);
    return known ? known->name : "";
}

std::string ResultText(uint32_t code)
{
    const KnownResult* known = Find(code);
    if (known && known->text) return known->text;
    std::string text;
    if ((code & 0xFFFF0000u) == kWin32Facility) text = SystemText(code & 0xFFFFu);
    if (text.empty()) text = SystemText(code);
    if (text.empty()) {
        text = "unknown error";
        if ((code & 0xFFFF0000u) == kWin32Facility) text += " (Win32 error " + std::to_string(code & 0xFFFFu) + ")";
    }
    return text;
}

std::string Win32ErrorText(uint32_t error)
{
    const std::string text = SystemText(error);
    return (text.empty() ? "unknown error" : text) + " (Win32 error " + std::to_string(error) + ")";
}

} // namespace kxvds
