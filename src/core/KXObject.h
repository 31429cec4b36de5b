// What both object classes share behind their interface: the error holder
// right after the table pointer, GetVersion and Release.
#pragma once

#include "KXVdsDisks.h"
#include "kxplatform.h"
#include "support/KXError.h"

template <class Interface>
class CKXObjectImpl : public Interface {
public:
    int GetVersion() override { return 1; }
    // No reference count: the client is the single owner.
    void Release() override { this->KXDeletingDestructor(1); }

    const CKXError& Error() const { return error; }

protected:
    CKXObjectImpl() = default;
    ~CKXObjectImpl() = default;
    CKXObjectImpl(const CKXObjectImpl&) = delete;
    CKXObjectImpl& operator=(const CKXObjectImpl&) = delete;

    // Records an outcome and hands it back, for `return Record(hr);`.
    HRESULT Record(HRESULT code)
    {
        error.SetError(static_cast<unsigned int>(code));
        return code;
    }

    CKXError error;
};

// Slot 0 for a concrete class T: destroy, and free the memory when bit 0 is set.
template <class T>
void* KXDestroyObject(T* object, unsigned int flags)
{
    object->~T();
    if (flags & 1) ::operator delete(object);
    return object;
}
