// Init: find the volume that lives on this partition, walking providers,
// packs and volumes in the service's order.
#include "disk/KXVdsEnum.h"
#include "log/KXLogger.h"
#include "partition/KXVdsPartition.h"
#include "partition/VolumePosition.h"
#include "support/KXComPtr.h"
#include "support/KXResource.h"

HRESULT CKXVdsPartition::Init()
{
    if (!service) return Record(E_NOINTERFACE);
    if (diskNumber == -1) return Record(E_INVALIDARG);

    CKXVdsEnum providers;
    KXComPtr<IEnumVdsObject> enumeration;
    HRESULT hr = service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, enumeration.put());
    if (hr != S_OK) {
        GetLogger()->LogError("IVdsService::QueryProviders failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }
    if (!enumeration) {
        GetLogger()->LogError("IVdsService::QueryProviders returns IEnumVdsObject=NULL");
        return Record(E_NOINTERFACE);
    }
    hr = providers.Query(enumeration.get());
    if (hr != S_OK) {
        GetLogger()->LogError("CKXVdsEnum::Query failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }

    bool found = false;
    IUnknown* object = nullptr;
    for (HRESULT walk = providers.GetFirst(&object); walk == S_OK && !found; walk = providers.GetNext(&object)) {
        KXComPtr<IVdsSwProvider> provider;
        if (object->QueryInterface(IID_IVdsSwProvider, reinterpret_cast<void**>(provider.put())) != S_OK ||
            !provider)
            continue;
        found = FindVolumeInProvider(provider.get());
    }
    return Record(found ? S_OK : E_NOINTERFACE);
}

bool CKXVdsPartition::FindVolumeInProvider(IVdsSwProvider* provider)
{
    CKXVdsEnum packs;
    KXComPtr<IEnumVdsObject> enumeration;
    HRESULT hr = provider->QueryPacks(enumeration.put());
    if (hr != S_OK) {
        GetLogger()->LogError("IVdsSwProvider::QueryPacks failed (%u - %8.8X)", hr, hr);
        return false;
    }
    if (!enumeration) {
        GetLogger()->LogError("IVdsSwProvider::QueryPacks returns IEnumVdsObject=NULL");
        return false;
    }
    hr = packs.Query(enumeration.get());
    if (hr != S_OK) {
        GetLogger()->LogError("CKXVdsEnum::Query failed (%u - %8.8X)", hr, hr);
        return false;
    }
    IUnknown* object = nullptr;
    for (HRESULT walk = packs.GetFirst(&object); walk == S_OK; walk = packs.GetNext(&object)) {
        KXComPtr<IVdsPack> pack;
        if (object->QueryInterface(IID_IVdsPack, reinterpret_cast<void**>(pack.put())) != S_OK || !pack)
            continue;
        if (FindVolumeInPack(pack.get())) return true;
    }
    return false;
}

bool CKXVdsPartition::FindVolumeInPack(IVdsPack* pack)
{
    CKXVdsEnum volumes;
    KXComPtr<IEnumVdsObject> enumeration;
    HRESULT hr = pack->QueryVolumes(enumeration.put());
    if (hr != S_OK) {
        GetLogger()->LogError("IVdsPack::QueryVolumes failed (%u - %8.8X)", hr, hr);
        return false;
    }
    if (!enumeration) {
        GetLogger()->LogError("IVdsPack::QueryVolumes returns IEnumVdsObject=NULL");
        return false;
    }
    hr = volumes.Query(enumeration.get());
    if (hr != S_OK) {
        GetLogger()->LogError("CKXVdsEnum::Query failed (%u - %8.8X)", hr, hr);
        return false;
    }
    IUnknown* object = nullptr;
    for (HRESULT walk = volumes.GetFirst(&object); walk == S_OK; walk = volumes.GetNext(&object)) {
        KXComPtr<IVdsVolume> candidate;
        if (object->QueryInterface(IID_IVdsVolume, reinterpret_cast<void**>(candidate.put())) != S_OK || !candidate)
            continue;
        KXComPtr<IVdsVolumeMF> candidateMF;
        if (object->QueryInterface(IID_IVdsVolumeMF, reinterpret_cast<void**>(candidateMF.put())) != S_OK ||
            !candidateMF)
            continue;

        VDS_VOLUME_PROP prop = {};
        hr = candidate->GetProperties(&prop);
        if (hr != S_OK && hr != VDS_S_PROPERTIES_INCOMPLETE) {
            GetLogger()->LogError("IVDsVolume::GetProperties failed (%u - %8.8X)", hr, hr);
            return false;
        }
        if (IsVolumeOnPartition(prop)) {
            volume = candidate.detach();
            volumeMF = candidateMF.detach();
            return true;
        }
    }
    return false;
}

bool CKXVdsPartition::IsVolumeOnPartition(const VDS_VOLUME_PROP& prop)
{
    KXUniqueTaskMem<WCHAR> name(prop.pwszName);
    // An incomplete record may lack the name; such a volume cannot be located.
    if (!name.get()) return false;

    WCHAR path[MAX_PATH] = {};
    lstrcpynW(path, name.get(), MAX_PATH);
    name.reset();

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
