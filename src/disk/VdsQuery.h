// One VDS query that hands out an enumeration, drained into a list.
#pragma once

#include "disk/KXVdsEnum.h"
#include "kxplatform.h"

#include <functional>

// Runs `query` and drains what it hands out into `list`. A failure is logged
// through LogError naming `callName` ("IVdsPack::QueryDisks") and returned;
// an enumeration that does not come is E_NOINTERFACE.
HRESULT CollectEnumeration(const WCHAR* callName, CKXVdsEnum& list,
                           const std::function<HRESULT(IEnumVdsObject**)>& query);
