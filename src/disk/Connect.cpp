// Connect: load the disk service and select "PhysicalDrive" n.
#include "core/KXVdsDisk.h"
#include "disk/KXVdsEnum.h"
#include "disk/VdsQuery.h"
#include "log/KXLogger.h"
#include "support/KXComPtr.h"

namespace {

HRESULT CreateServiceLoader(KXComPtr<IVdsServiceLoader>& loader)
{
    HRESULT hr = CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                                  reinterpret_cast<void**>(loader.put()));
    if (hr == CO_E_NOTINITIALIZED) {
        // The library never uninitialises: the thread keeps its apartment.
        CoInitialize(nullptr);
        hr = CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                              reinterpret_cast<void**>(loader.put()));
    }
    return hr;
}

} // namespace

HRESULT CKXVdsDisk::ConnectDisk(int number)
{
    ReleaseInterfaces();
    diskNumber = number;

    HRESULT hr;
    {
        KXComPtr<IVdsServiceLoader> loader;
        hr = CreateServiceLoader(loader);
        if (hr != S_OK) {
            GetLogger()->LogError("CoCreateInstance failed (%u - %8.8X)", hr, hr);
            return Record(hr);
        }
        hr = loader->LoadService(nullptr, &service);
    }
    // A success code other than S_OK with a service is a loaded service.
    if (FAILED(hr)) {
        GetLogger()->LogError("IVdsServiceLoader::LoadService failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }
    if (!service) {
        GetLogger()->LogError("IVdsServiceLoader::LoadService returns IVdsService=NULL");
        return Record(E_NOINTERFACE);
    }

    hr = service->WaitForServiceReady();
    if (FAILED(hr)) {
        GetLogger()->LogError("IVdsService::WaitForServiceReady failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }

    CKXVdsEnum providers;
    hr = CollectEnumeration(KXW("IVdsService::QueryProviders"), providers, [this](IEnumVdsObject** out) {
        return service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, out);
    });
    if (hr != S_OK) return Record(hr);

    const bool found = FindInList<IVdsSwProvider>(providers, IID_IVdsSwProvider, [this](IVdsSwProvider* provider) {
        BOOL inProvider = FALSE;
        FindDiskInProvider(provider, &inProvider);
        return inProvider != FALSE;
    });
    return Record(found ? S_OK : E_NOINTERFACE);
}
