#include "disk/VdsQuery.h"

#include "log/KXLogger.h"
#include "support/KXComPtr.h"

HRESULT CollectEnumeration(const WCHAR* callName, CKXVdsEnum& list,
                           const std::function<HRESULT(IEnumVdsObject**)>& query)
{
    KXComPtr<IEnumVdsObject> enumeration;
    HRESULT hr = query(enumeration.put());
    // A success code other than S_OK hands out the enumeration as well.
    if (FAILED(hr)) {
        GetLogger()->LogError("%s failed (%u - %8.8X)", callName, hr, hr);
        return hr;
    }
    if (!enumeration) {
        GetLogger()->LogError("%s returns IEnumVdsObject=NULL", callName);
        return E_NOINTERFACE;
    }
    // The list holds its own references: the enumeration can go now.
    hr = list.Query(enumeration.get());
    if (hr != S_OK) GetLogger()->LogError("CKXVdsEnum::Query failed (%u - %8.8X)", hr, hr);
    return hr;
}
