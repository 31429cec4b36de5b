// A VDS enumeration drained into a list that can be walked and released in
// one step. A plain local of the function that walks it.
#pragma once

#include "kxplatform.h"

class CKXVdsEnum {
public:
    CKXVdsEnum() = default;
    ~CKXVdsEnum() { Clear(); }
    CKXVdsEnum(const CKXVdsEnum&) = delete;
    CKXVdsEnum& operator=(const CKXVdsEnum&) = delete;

    // Replaces the list with every object the enumeration still delivers.
    // An error from the enumeration ends it like its normal end (S_OK);
    // E_OUTOFMEMORY when a node cannot be made, keeping what was collected.
    HRESULT Query(IEnumVdsObject* enumeration);
    void Clear();
    // The objects are lent: valid until the list is cleared.
    HRESULT GetFirst(IUnknown** object);
    HRESULT GetNext(IUnknown** object);

private:
    struct Node {
        IUnknown* object;
        Node* next;
    };
    Node* cursor = nullptr;
    Node* first = nullptr;
};
