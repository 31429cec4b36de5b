// Shrinking volumes and changing their access paths.
#include "model/Operations.h"

#include "model/Layout.h"
#include "model/Text.h"

#include <algorithm>

namespace kxemu {

namespace {
const DWORD kErrorDirNotEmpty = 145;
}

HRESULT CheckShrink(const Volume& volume, ULONGLONG bytes, ULONGLONG* removed)
{
    if (volume.status != VDS_VS_ONLINE) return VDS_E_VOLUME_NOT_ONLINE;
    if (bytes == 0) return E_INVALIDARG;
    // Only NTFS moves its data out of the way; a RAW volume has none to move.
    const bool raw = !volume.HasFileSystem();
    if ((!raw && volume.fileSystem != VDS_FST_NTFS) || volume.extents.size() != 1) return VDS_E_CANNOT_SHRINK;
    // Whole clusters come off (whole sectors of a RAW volume), never more than asked.
    const ULONGLONG unit = raw || !volume.unitSize ? SectorSize(volume) : volume.unitSize;
    *removed = bytes / unit * unit;
    if (*removed == 0) return VDS_E_SHRINK_SIZE_LESS_THAN_MIN;
    if (*removed > volume.FreeBytes()) return VDS_E_SHRINK_SIZE_TOO_BIG;
    return S_OK;
}

void ApplyShrink(Volume& volume, ULONGLONG removed)
{
    volume.totalBytes -= removed;
    Machine& machine = volume.OwnerPack().OwnerMachine();
    const Extent& e = volume.extents[0];
    if (Disk* disk = machine.FindDisk(e.diskNumber))
        if (Partition* p = disk->FindPartition(e.partitionNumber)) p->size = p->size > removed ? p->size - removed : 0;
}

HRESULT CheckAddAccessPath(Machine& machine, const Volume& volume, const std::string& path)
{
    if (path.empty() || path.back() != '\\') return E_INVALIDARG;
    if (!IsWellFormedAccessPath(path)) return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    if (volume.status != VDS_VS_ONLINE) return VDS_E_VOLUME_NOT_ONLINE;
    if (IsDriveRoot(path)) {
        for (const std::string& own : volume.accessPaths)
            if (IsDriveRoot(own)) return VDS_E_OBJECT_EXISTS;  // one letter per volume
        if (machine.LetterType(path[0]) != DRIVE_NO_ROOT_DIR) return VDS_E_DRIVE_LETTER_NOT_FREE;
        return S_OK;
    }
    // A folder must not be a mount point already, and must lie on a mounted NTFS volume.
    for (auto& provider : machine.providers)
        for (auto& pack : provider->packs)
            for (auto& other : pack->volumes)
                for (const std::string& own : other->accessPaths)
                    if (EqualNoCase(own, path)) return HRESULT_FROM_WIN32(kErrorDirNotEmpty);
    Volume* host = machine.FindVolumeByPath(path);
    if (!host) {
        // A fixed disk outside the model is taken to hold NTFS.
        auto taken = machine.takenLetters.find(UpperAscii(path.substr(0, 1))[0]);
        if (taken != machine.takenLetters.end() && taken->second == DRIVE_FIXED) return S_OK;
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    if (host->fileSystem != VDS_FST_NTFS) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    if (host == &volume) return E_INVALIDARG;
    return S_OK;
}

void ApplyAddAccessPath(Volume& volume, const std::string& path)
{
    // The drive letter comes first in the list the service reports.
    if (IsDriveRoot(path))
        volume.accessPaths.insert(volume.accessPaths.begin(), path);
    else
        volume.accessPaths.push_back(path);
}

HRESULT CheckDeleteAccessPath(const Volume& volume, const std::string& path)
{
    for (const std::string& own : volume.accessPaths)
        if (EqualNoCase(own, path)) return S_OK;
    return VDS_E_OBJECT_NOT_FOUND;
}

void ApplyDeleteAccessPath(Volume& volume, const std::string& path)
{
    auto& paths = volume.accessPaths;
    paths.erase(std::remove_if(paths.begin(), paths.end(), [&](const std::string& p) { return EqualNoCase(p, path); }),
                paths.end());
}

} // namespace kxemu
