// The volume's access paths: drive letters and mount folders, cached as the
// service last listed them and handed out first/next.
#include "log/KXLogger.h"
#include "partition/KXVdsPartition.h"
#include "support/KXCopyText.h"
#include "support/KXVdsRecords.h"

void CKXVdsPartition::ClearPathCache()
{
    pathCache.clear();
    pathCache.shrink_to_fit();
    pathCount = 0;
    pathCursor = 0;
}

HRESULT CKXVdsPartition::RereadAccessPaths(const char* failureMessage)
{
    KXAccessPathArray paths;
    const HRESULT hr = paths.Query(volumeMF);
    // A success code other than S_OK hands out the list as well.
    if (FAILED(hr)) {
        GetLogger()->LogError(failureMessage, hr, hr);
        return Record(hr);
    }
    for (LONG i = 0; i < paths.size(); ++i) pathCache.emplace_back(paths[i] ? paths[i] : KXW(""));
    pathCount = static_cast<int>(pathCache.size());
    pathCursor = 0;
    return S_OK;
}

HRESULT CKXVdsPartition::ReadFirstAccessPath(WCHAR* buffer, int capacity)
{
    if (!buffer && capacity > 0) return Record(E_POINTER);
    if (!volumeMF) return Record(E_NOINTERFACE);
    ClearPathCache();
    const HRESULT hr = RereadAccessPaths("IVDsVolumeMF::QueryAccessPaths failed (%u - %8.8X)");
    if (hr != S_OK) return hr;
    if (pathCount == 0) return Record(HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS));
    KXCopyToCaller(buffer, capacity, pathCache[0].Wide());
    return S_OK;
}

HRESULT CKXVdsPartition::ReadNextAccessPath(WCHAR* buffer, int capacity)
{
    if (!buffer && capacity > 0) return Record(E_POINTER);
    const unsigned int next = static_cast<unsigned int>(pathCursor) + 1;
    if (next >= static_cast<unsigned int>(pathCount)) return Record(HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS));
    pathCursor = static_cast<int>(next);
    KXCopyToCaller(buffer, capacity, pathCache[next].Wide());
    return S_OK;
}

HRESULT CKXVdsPartition::AddAccessPath(const WCHAR* path)
{
    // The service's path parameters are strings that RPC refuses to marshal when null.
    if (!path) return Record(E_POINTER);
    if (!volumeMF) return Record(E_NOINTERFACE);
    ClearPathCache();
    const HRESULT hr = volumeMF->AddAccessPath(const_cast<LPWSTR>(path));
    if (hr != S_OK && hr != S_FALSE) {
        GetLogger()->LogError("IVDsVolumeMF::AddAccessPath failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }
    return RereadAccessPaths("IVDsVolumeMF::QueryAccessPaths failed (%u - %8.8X)");
}

HRESULT CKXVdsPartition::DeleteAccessPath(const WCHAR* path)
{
    if (!path) return Record(E_POINTER);
    if (!volumeMF) return Record(E_NOINTERFACE);
    ClearPathCache();
    const HRESULT hr = volumeMF->DeleteAccessPath(const_cast<LPWSTR>(path), TRUE);
    if (hr != S_OK) {
        GetLogger()->LogError("IVDsVolumeMF::DeleteAccessPath(%s) failed (%u - %8.8X)", path, hr, hr);
        return Record(hr);
    }
    return RereadAccessPaths("IVDsVolumeMF::QueryAccessPaths() failed (%u - %8.8X)");
}
