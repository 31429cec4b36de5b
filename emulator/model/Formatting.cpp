// Formatting a volume: which unit sizes each file system accepts, and what a
// fresh file system leaves behind.
#include "model/BootSector.h"
#include "model/Layout.h"
#include "model/Operations.h"

#include <algorithm>

namespace kxemu {

namespace {

const ULONGLONG kMaxClusterBytes = 64 * KiB;
const ULONGLONG kFat16MinClusters = 4085;
const ULONGLONG kFat16MaxClusters = 65524;
const ULONGLONG kFat32MinClusters = 65525;
const ULONGLONG kFat32MaxFormatBytes = 32 * GiB;

size_t MaxLabel(VDS_FILE_SYSTEM_TYPE type)
{
    switch (type) {
    case VDS_FST_NTFS: return 32;
    case VDS_FST_EXFAT: return 15;
    default: return 11;
    }
}

} // namespace

ULONG SectorSize(const Volume& volume)
{
    if (volume.extents.empty()) return 512;
    const Disk* disk = volume.OwnerPack().OwnerMachine().FindDisk(volume.extents[0].diskNumber);
    return disk && disk->bytesPerSector ? disk->bytesPerSector : 512;
}

namespace {

ULONG UnitSizeFor(VDS_FILE_SYSTEM_TYPE type, ULONGLONG bytes)
{
    switch (type) {
    case VDS_FST_FAT:
        for (ULONG unit = 512; unit < kMaxClusterBytes; unit *= 2)
            if (bytes / unit <= kFat16MaxClusters) return unit;
        return static_cast<ULONG>(kMaxClusterBytes);
    case VDS_FST_FAT32:
        if (bytes < 8 * GiB) return 4096;
        if (bytes < 16 * GiB) return 8192;
        if (bytes < 32 * GiB) return 16384;
        return 32768;
    case VDS_FST_EXFAT:
        return bytes <= 256 * MiB ? 4096 : bytes <= 32 * GiB ? 32768 : 131072;
    default:
        return 4096;
    }
}

} // namespace

ULONG DefaultUnitSize(const Volume& volume, VDS_FILE_SYSTEM_TYPE type)
{
    return std::max(UnitSizeFor(type, volume.totalBytes), SectorSize(volume));
}

HRESULT CheckFormat(const Volume& volume, VDS_FILE_SYSTEM_TYPE type, const std::string& label, DWORD unitSize)
{
    if (volume.status != VDS_VS_ONLINE) return VDS_E_VOLUME_NOT_ONLINE;
    if (type != VDS_FST_FAT && type != VDS_FST_FAT32 && type != VDS_FST_NTFS && type != VDS_FST_EXFAT)
        return VDS_E_INVALID_FS_TYPE;
    if (label.size() > MaxLabel(type)) return VDS_E_BAD_LABEL;

    const ULONGLONG unit = unitSize ? unitSize : DefaultUnitSize(volume, type);
    if (!IsPowerOfTwo(unit)) return E_INVALIDARG;
    if (unit < SectorSize(volume)) return VDS_E_CLUSTER_SIZE_TOO_SMALL;
    const ULONGLONG maxUnit = type == VDS_FST_EXFAT ? 32 * MiB : kMaxClusterBytes;
    if (unit > maxUnit) return VDS_E_CLUSTER_SIZE_TOO_BIG;

    const ULONGLONG clusters = volume.totalBytes / unit;
    switch (type) {
    case VDS_FST_FAT:
        if (clusters > kFat16MaxClusters) return VDS_E_CLUSTER_SIZE_TOO_SMALL;
        if (clusters < kFat16MinClusters) return VDS_E_CLUSTER_SIZE_TOO_BIG;
        break;
    case VDS_FST_FAT32:
        if (volume.totalBytes > kFat32MaxFormatBytes) return VDS_E_VOLUME_TOO_BIG;
        if (clusters < kFat32MinClusters) return VDS_E_VOLUME_TOO_SMALL;
        break;
    case VDS_FST_NTFS:
        if (clusters >= (1ULL << 32)) return VDS_E_CLUSTER_COUNT_BEYOND_32BITS;
        if (volume.totalBytes < 8 * MiB) return VDS_E_VOLUME_TOO_SMALL;
        break;
    default:
        if (clusters >= (1ULL << 32)) return VDS_E_CLUSTER_COUNT_BEYOND_32BITS;
        break;
    }
    return S_OK;
}

ULONGLONG FormatOverhead(VDS_FILE_SYSTEM_TYPE type, ULONGLONG bytes, ULONG unitSize)
{
    const ULONGLONG unit = unitSize ? unitSize : 4096;
    const ULONGLONG clusters = bytes / unit;
    ULONGLONG used;
    switch (type) {
    case VDS_FST_FAT:
        used = 8 * 512 + 2 * FatBytes(type, clusters) + 512 * 32;
        break;
    case VDS_FST_FAT32:
        used = 32 * 512 + 2 * FatBytes(type, clusters) + unit;
        break;
    case VDS_FST_NTFS:
        // Boot files, a small MFT and a log file that grows with the volume.
        used = 2 * MiB + bytes / 128;
        break;
    default:
        used = 3 * unit;
        break;
    }
    return used < bytes ? used : bytes;
}

void ApplyFormat(Volume& volume, VDS_FILE_SYSTEM_TYPE type, const std::string& label, DWORD unitSize)
{
    volume.fileSystem = type;
    volume.label = label;
    volume.unitSize = unitSize ? unitSize : DefaultUnitSize(volume, type);
    volume.usedBytes = FormatOverhead(type, volume.totalBytes, volume.unitSize);
    WriteBootSector(volume);
}

} // namespace kxemu
