// One VDS query that hands out an enumeration, drained into a list.
#pragma once

#include "disk/KXVdsEnum.h"
#include "kxplatform.h"
#include "support/KXComPtr.h"

#include <functional>

// Runs `query` and drains what it hands out into `list`. A failure is logged
// through LogError naming `callName` ("IVdsPack::QueryDisks") and returned;
// an enumeration that does not come is E_NOINTERFACE.
HRESULT CollectEnumeration(const WCHAR* callName, CKXVdsEnum& list,
                           const std::function<HRESULT(IEnumVdsObject**)>& query);

// Walks the list in order and hands each object that answers `iid` to
// `visit` (which owns nothing), until `visit` returns true. True when one did.
template <class T, class Visit>
bool FindInList(CKXVdsEnum& list, REFIID iid, Visit visit)
{
    IUnknown* object = nullptr;
    for (HRESULT walk = list.GetFirst(&object); walk == S_OK; walk = list.GetNext(&object)) {
        KXComPtr<T> item;
        if (object->QueryInterface(iid, reinterpret_cast<void**>(item.put())) != S_OK || !item) continue;
        if (visit(item.get())) return true;
    }
    return false;
}
