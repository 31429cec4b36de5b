// One RAII template for the platform's resources; a policy says what "none"
// is and how to close. Raw CloseHandle / FindClose / CoTaskMemFree calls live
// in the policies only.
#pragma once

#include "kxplatform.h"

template <class T, class Policy>
class KXUniqueAny {
public:
    KXUniqueAny() noexcept = default;
    explicit KXUniqueAny(T value) noexcept : value(value) {}
    KXUniqueAny(const KXUniqueAny&) = delete;
    KXUniqueAny& operator=(const KXUniqueAny&) = delete;
    KXUniqueAny(KXUniqueAny&& other) noexcept : value(other.release()) {}
    KXUniqueAny& operator=(KXUniqueAny&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~KXUniqueAny() { reset(); }

    T get() const noexcept { return value; }
    bool valid() const noexcept { return value != Policy::Invalid(); }

    void reset(T newValue = Policy::Invalid()) noexcept
    {
        T old = value;
        value = newValue;
        if (old != Policy::Invalid()) Policy::Close(old);
    }
    T release() noexcept
    {
        T v = value;
        value = Policy::Invalid();
        return v;
    }
    // Closes what is held, then lends the slot to a function that fills it.
    T* put() noexcept
    {
        reset();
        return &value;
    }

private:
    T value = Policy::Invalid();
};

struct KXFileHandlePolicy {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
struct KXFindHandlePolicy {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { FindClose(h); }
};
template <class T>
struct KXTaskMemPolicy {
    static T* Invalid() noexcept { return nullptr; }
    static void Close(T* p) noexcept { CoTaskMemFree(p); }
};

using KXUniqueFile = KXUniqueAny<HANDLE, KXFileHandlePolicy>;
using KXUniqueFind = KXUniqueAny<HANDLE, KXFindHandlePolicy>;
template <class T>
using KXUniqueTaskMem = KXUniqueAny<T*, KXTaskMemPolicy<T>>;
