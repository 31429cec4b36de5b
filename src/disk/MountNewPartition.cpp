// Giving a newly created partition's volume the first free drive letter,
// unless it already has an access path.
#include "core/KXVdsDisk.h"
#include "log/KXLogger.h"
#include "partition/KXVdsPartition.h"

HRESULT CKXVdsDisk::MountNewPartition(VDS_PARTITION_PROP record)
{
    return KXBoundaryGuard([&] { return GiveNewPartitionALetter(record); }, [] { return E_OUTOFMEMORY; });
}

HRESULT CKXVdsDisk::GiveNewPartitionALetter(VDS_PARTITION_PROP record)
{
    KXObjectOwner<CKXVdsPartition> partition = NewPartitionObject(record);
    if (!partition) {
        GetLogger()->LogTrace("Cannot retrieve IKXVdsPartition");
        return Record(E_OUTOFMEMORY);
    }

    HRESULT hr = partition->Init();
    if (hr != S_OK) {
        GetLogger()->LogTrace("IKXVdsPartition::Init failed (%u - %8.8X)", hr, hr);
        return S_OK;
    }

    WCHAR path[MAX_PATH] = {};
    if (partition->GetFirstAccessPath(path, MAX_PATH) == S_OK && path[0] != 0) {
        GetLogger()->LogTrace("Already mounted as %s", path);
        return S_OK;
    }

    hr = FindFreeMountPoint(path);
    if (hr != S_OK) {
        GetLogger()->LogTrace("FindFreeMountPoint failed (%u - %8.8X)", hr, hr);
        return S_OK;
    }

    GetLogger()->LogTrace("Mount partition to %s", path);
    hr = partition->AddMountPoint(path);
    // Releasing the partition object closes the log; the failure record below
    // opens a fresh logger.
    partition.reset();
    if (hr != S_OK) GetLogger()->LogTrace("IKXVdsPartition::AddMountPoint failed (%u - %8.8X)", hr, hr);
    return hr;
}

HRESULT CKXVdsDisk::FindFreeMountPoint(WCHAR* buffer)
{
    for (WCHAR letter = 'C'; letter <= 'Z'; ++letter) {
        WCHAR root[MAX_PATH] = {};
        wsprintfW(root, KXW("%c:\\"), letter);
        if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) {
            lstrcpynW(buffer, root, MAX_PATH);
            return S_OK;
        }
    }
    return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}
