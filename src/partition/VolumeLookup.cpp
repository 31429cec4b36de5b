// Init: find the volume that lives on this partition, walking providers,
// packs and volumes in the service's order.
#include "disk/KXVdsEnum.h"
#include "disk/VdsQuery.h"
#include "log/KXLogger.h"
#include "partition/KXVdsPartition.h"
#include "partition/VolumePosition.h"
#include "support/KXComPtr.h"
#include "support/KXVdsRecords.h"

HRESULT CKXVdsPartition::Init()
{
    if (!service) return Record(E_NOINTERFACE);
    if (diskNumber == -1) return Record(E_INVALIDARG);

    CKXVdsEnum providers;
    const HRESULT hr = CollectEnumeration(KXW("IVdsService::QueryProviders"), providers, [this](IEnumVdsObject** out) {
        return service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, out);
    });
    if (hr != S_OK) return Record(hr);

    const bool found = FindInList<IVdsSwProvider>(
        providers, IID_IVdsSwProvider, [this](IVdsSwProvider* provider) { return FindVolumeInProvider(provider); });
    return Record(found ? S_OK : E_NOINTERFACE);
}

bool CKXVdsPartition::FindVolumeInProvider(IVdsSwProvider* provider)
{
    CKXVdsEnum packs;
    if (CollectEnumeration(KXW("IVdsSwProvider::QueryPacks"), packs,
                           [provider](IEnumVdsObject** out) { return provider->QueryPacks(out); }) != S_OK)
        return false;
    return FindInList<IVdsPack>(packs, IID_IVdsPack, [this](IVdsPack* pack) { return FindVolumeInPack(pack); });
}

bool CKXVdsPartition::FindVolumeInPack(IVdsPack* pack)
{
    CKXVdsEnum volumes;
    if (CollectEnumeration(KXW("IVdsPack::QueryVolumes"), volumes,
                           [pack](IEnumVdsObject** out) { return pack->QueryVolumes(out); }) != S_OK)
        return false;
    IUnknown* object = nullptr;
    for (HRESULT walk = volumes.GetFirst(&object); walk == S_OK; walk = volumes.GetNext(&object)) {
        KXComPtr<IVdsVolume> candidate;
        if (object->QueryInterface(IID_IVdsVolume, reinterpret_cast<void**>(candidate.put())) != S_OK || !candidate)
            continue;
        KXComPtr<IVdsVolumeMF> candidateMF;
        if (object->QueryInterface(IID_IVdsVolumeMF, reinterpret_cast<void**>(candidateMF.put())) != S_OK ||
            !candidateMF)
            continue;

        KXVolumeProp prop;
        const HRESULT hr = candidate->GetProperties(prop.put());
        // Every success code (VDS_S_PROPERTIES_INCOMPLETE, S_FALSE) hands out the record.
        if (FAILED(hr)) {
            GetLogger()->LogError("IVDsVolume::GetProperties failed (%u - %8.8X)", hr, hr);
            return false;
        }
        if (IsVolumeOnPartition(prop.get())) {
            volume = candidate.detach();
            volumeMF = candidateMF.detach();
            return true;
        }
    }
    return false;
}

bool CKXVdsPartition::IsVolumeOnPartition(const VDS_VOLUME_PROP& prop)
{
    // An incomplete record may lack the name; such a volume cannot be located.
    if (!prop.pwszName) return false;

    // A name cut at MAX_PATH - 1 units still has room for the backslash.
    WCHAR path[MAX_PATH + 1] = {};
    lstrcpynW(path, prop.pwszName, MAX_PATH);

    const int volumeDisk = GetVolumeDiskNumber(path);
    const int volumePartition = GetVolumePartitionNumber(path);
    PathAddBackslashW(path);
    const UINT driveType = GetDriveTypeW(path);
    const bool match = prop.status == VDS_VS_ONLINE && (driveType == DRIVE_FIXED || driveType == DRIVE_REMOVABLE) &&
                       volumeDisk == diskNumber &&
                       volumePartition == static_cast<int>(properties.ulPartitionNumber);
    if (match) GetLogger()->LogTrace("%s Found!", path);
    return match;
}
