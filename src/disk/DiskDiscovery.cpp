// Finding the selected physical disk among providers, packs and disks, and
// reading its size and geometry.
#include "core/KXVdsDisk.h"
#include "disk/DiskName.h"
#include "disk/KXVdsEnum.h"
#include "disk/VdsQuery.h"
#include "log/KXLogger.h"
#include "support/KXComPtr.h"
#include "support/KXVdsRecords.h"

HRESULT CKXVdsDisk::FindDiskInProvider(IVdsSwProvider* provider, BOOL* found)
{
    *found = FALSE;
    CKXVdsEnum packs;
    const HRESULT hr = CollectEnumeration(KXW("IVdsSwProvider::QueryPacks"), packs,
                                          [provider](IEnumVdsObject** out) { return provider->QueryPacks(out); });
    if (hr != S_OK) return hr;
    FindInList<IVdsPack>(packs, IID_IVdsPack, [this, found](IVdsPack* pack) {
        FindDiskInPack(pack, found);
        return *found != FALSE;
    });
    return S_OK;
}

HRESULT CKXVdsDisk::FindDiskInPack(IVdsPack* pack, BOOL* found)
{
    *found = FALSE;
    CKXVdsEnum disks;
    HRESULT hr = CollectEnumeration(KXW("IVdsPack::QueryDisks"), disks,
                                    [pack](IEnumVdsObject** out) { return pack->QueryDisks(out); });
    if (hr != S_OK) return hr;

    IUnknown* object = nullptr;
    for (HRESULT walk = disks.GetFirst(&object); walk == S_OK; walk = disks.GetNext(&object)) {
        KXComPtr<IVdsDisk> candidate;
        if (object->QueryInterface(IID_IVdsDisk, reinterpret_cast<void**>(candidate.put())) != S_OK || !candidate)
            continue;
        KXComPtr<IVdsAdvancedDisk> advanced;
        if (object->QueryInterface(IID_IVdsAdvancedDisk, reinterpret_cast<void**>(advanced.put())) != S_OK ||
            !advanced) {
            GetLogger()->LogError("Cannot retrieve IVdsAdvancedDisk interface");
            continue;
        }

        KXDiskProp prop;
        hr = candidate->GetProperties(prop.put());
        // Every success code hands out the record; an incomplete one still carries the name.
        if (FAILED(hr)) {
            GetLogger()->LogError("IVdsDisk::GetProperties failed - %u (%8.8X)", hr, hr);
            continue;
        }
        WCHAR name[MAX_PATH] = {};
        // A disk without a name cannot be "PhysicalDrive" n.
        if (prop->pwszName) lstrcpynW(name, prop->pwszName, MAX_PATH);
        prop.reset();

        long number = 0;
        if (!ParsePhysicalDriveNumber(name, &number) || number != diskNumber) continue;

        *found = TRUE;
        GetLogger()->LogTrace("PhysicalDrive %d found", static_cast<int>(number));
        disk = candidate.detach();
        advancedDisk = advanced.detach();
        // Optional: a disk without it is still selected.
        disk->QueryInterface(IID_IVdsCreatePartitionEx, reinterpret_cast<void**>(&createPartition));
        break;
    }
    return S_OK;
}

HRESULT CKXVdsDisk::ReadDiskProperties(DiskProperties* properties)
{
    if (!disk) return Record(E_NOINTERFACE);
    if (IsBadWritePtr(properties, sizeof(DiskProperties))) return Record(E_INVALIDARG);

    KXDiskProp prop;
    // An incomplete record may lack the geometry: hand out nothing.
    if (disk->GetProperties(prop.put()) != S_OK) return Record(E_INVALIDARG);
    GetLogger()->LogTrace("Disk properties: BPS: %u - Size: %I64d - SPT: %u", prop->ulBytesPerSector,
                          prop->ullSize, prop->ulSectorsPerTrack);
    properties->ullSize = prop->ullSize;
    properties->ulBytesPerSector = prop->ulBytesPerSector;
    properties->ulSectorsPerTrack = prop->ulSectorsPerTrack;
    properties->ulTracksPerCylinder = prop->ulTracksPerCylinder;
    return Record(S_OK);
}
