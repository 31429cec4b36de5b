// A machine under test and short ways to reach its objects the way the
// library does.
#pragma once

#include "kxemu/KXEmulator.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

// One reference, released at the end of the scope.
template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : ptr(p) {}
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept
    {
        if (this != &other) {
            reset();
            ptr = std::exchange(other.ptr, nullptr);
        }
        return *this;
    }

    T* get() const { return ptr; }
    T* operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }
    T** put()
    {
        reset();
        return &ptr;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset()
    {
        if (ptr) ptr->Release();
        ptr = nullptr;
    }

private:
    T* ptr = nullptr;
};

class EmulatorTest : public ::testing::Test {
protected:
    EmulatorTest();
    ~EmulatorTest() override;

    Ref<IVdsService> LoadService();
    // Every object an enumeration hands out, in order.
    std::vector<Ref<IUnknown>> Drain(IEnumVdsObject* enumeration);
    // The disk with this number, the way discovery walks to it.
    Ref<IUnknown> DiskObject(ULONG number);
    // The volume whose device name is `name`.
    Ref<IUnknown> VolumeObject(const std::string& name);

    template <class T>
    static Ref<T> As(IUnknown* object, REFIID riid)
    {
        Ref<T> out;
        object->QueryInterface(riid, out.putVoid());
        return out;
    }

    // COM for the test thread, before the emulator registers.
    struct ComThread {
        ComThread() { CoInitialize(nullptr); }
        ~ComThread() { CoUninitialize(); }
    } com;
    kxemu::KXEmulator emu;
    kxemu::Pack* pack = nullptr;
};

// A wide copy of an ASCII text, for the calls that take LPWSTR.
std::basic_string<WCHAR> W(const std::string& text);
std::string N(const WCHAR* text);
