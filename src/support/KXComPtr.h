// Owning COM interface pointer: one reference, released on destruction.
#pragma once

#include "kxplatform.h"

#include <utility>

template <class T>
class KXComPtr {
public:
    KXComPtr() noexcept = default;
    explicit KXComPtr(T* p) noexcept : ptr(p) { AddRefIfSet(); }
    KXComPtr(const KXComPtr& other) noexcept : ptr(other.ptr) { AddRefIfSet(); }
    KXComPtr(KXComPtr&& other) noexcept : ptr(other.ptr) { other.ptr = nullptr; }
    ~KXComPtr() { reset(); }

    KXComPtr& operator=(const KXComPtr& other) noexcept
    {
        // AddRef before Release so self-assignment never drops the last reference.
        T* old = ptr;
        ptr = other.ptr;
        AddRefIfSet();
        if (old) old->Release();
        return *this;
    }
    KXComPtr& operator=(KXComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            ptr = other.ptr;
            other.ptr = nullptr;
        }
        return *this;
    }

    T* get() const noexcept { return ptr; }
    T* operator->() const noexcept { return ptr; }
    explicit operator bool() const noexcept { return ptr != nullptr; }

    void reset() noexcept
    {
        if (ptr) {
            T* old = ptr;
            ptr = nullptr;
            old->Release();
        }
    }
    // Takes over a reference that somebody already counted for us.
    void attach(T* p) noexcept
    {
        reset();
        ptr = p;
    }
    // Hands our reference to the caller.
    T* detach() noexcept
    {
        T* p = ptr;
        ptr = nullptr;
        return p;
    }
    // Releases what we hold, then lends our slot to a function that fills it.
    T** put() noexcept
    {
        reset();
        return &ptr;
    }

    // QueryInterface into a new owner; null on failure.
    template <class U>
    HRESULT query(REFIID iid, KXComPtr<U>& out) const noexcept
    {
        return ptr->QueryInterface(iid, reinterpret_cast<void**>(out.put()));
    }

private:
    void AddRefIfSet() noexcept
    {
        if (ptr) ptr->AddRef();
    }
    T* ptr = nullptr;
};
