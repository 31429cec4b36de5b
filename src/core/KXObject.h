// What both object classes share behind their interface: the error holder
// right after the table pointer, GetVersion and Release, and the guard that
// every slot's body runs in.
#pragma once

#include "KXVdsDisks.h"
#include "core/KXBoundaryGuard.h"
#include "kxplatform.h"
#include "support/KXError.h"

#include <memory>
#include <type_traits>

template <class Interface>
class CKXObjectImpl : public Interface {
public:
    int GetVersion() noexcept override { return 1; }
    // No reference count: the client is the single owner.
    void Release() noexcept override { this->KXDeletingDestructor(1); }

    const CKXError& Error() const { return error; }

protected:
    CKXObjectImpl() = default;
    ~CKXObjectImpl() = default;
    CKXObjectImpl(const CKXObjectImpl&) = delete;
    CKXObjectImpl& operator=(const CKXObjectImpl&) = delete;

    // Records an outcome and hands it back, for `return Record(hr);`.
    HRESULT Record(HRESULT code) noexcept
    {
        error.SetError(static_cast<unsigned int>(code));
        return code;
    }

    // A slot that returns a code: anything thrown is E_OUTOFMEMORY, recorded.
    template <class Body>
    HRESULT Guarded(Body&& body) noexcept
    {
        return KXBoundaryGuard(body, [this] { return Record(E_OUTOFMEMORY); });
    }
    // A getter: anything thrown makes its answer 0, "unknown", with
    // E_OUTOFMEMORY recorded so that the client can tell why.
    template <class Body>
    auto GuardedAnswer(Body&& body) noexcept -> decltype(body())
    {
        return KXBoundaryGuard(body, [this] {
            Record(E_OUTOFMEMORY);
            return decltype(body())();
        });
    }

    CKXError error;
};

// Slot 0 for a concrete class T: destroy, and free the memory when bit 0 is set.
// Destruction never throws, so it needs no guard: the logger's end, the only
// part that allocates, keeps its own failures.
template <class T>
void* KXDestroyObject(T* object, unsigned int flags) noexcept
{
    static_assert(std::is_nothrow_destructible<T>::value, "slot 0 must not throw");
    object->~T();
    if (flags & 1) ::operator delete(object);
    return object;
}

// Owns an object made for a client until it is handed out.
struct KXObjectReleaser {
    template <class T>
    void operator()(T* object) const noexcept
    {
        object->Release();
    }
};
template <class T>
using KXObjectOwner = std::unique_ptr<T, KXObjectReleaser>;
