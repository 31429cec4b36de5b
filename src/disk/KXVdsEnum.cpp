#include "disk/KXVdsEnum.h"

#include <new>

HRESULT CKXVdsEnum::Query(IEnumVdsObject* enumeration)
{
    Clear();
    Node* last = nullptr;
    for (;;) {
        IUnknown* object = nullptr;
        ULONG fetched = 0;
        if (enumeration->Next(1, &object, &fetched) != S_OK) break;
        if (!object) continue;
        Node* node = new (std::nothrow) Node{object, nullptr};
        if (!node) {
            // The fetched object would otherwise be lost with its reference.
            object->Release();
            return E_OUTOFMEMORY;
        }
        if (last)
            last->next = node;
        else
            first = node;
        last = node;
    }
    return S_OK;
}

void CKXVdsEnum::Clear()
{
    Node* node = first;
    while (node) {
        Node* next = node->next;
        if (node->object) node->object->Release();
        delete node;
        node = next;
    }
    first = nullptr;
    cursor = nullptr;
}

HRESULT CKXVdsEnum::GetFirst(IUnknown** object)
{
    if (!first) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    cursor = first;
    *object = cursor->object;
    return S_OK;
}

HRESULT CKXVdsEnum::GetNext(IUnknown** object)
{
    *object = nullptr;
    if (!cursor) return E_NOINTERFACE;
    if (!cursor->next) return HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);
    cursor = cursor->next;
    *object = cursor->object;
    return S_OK;
}
