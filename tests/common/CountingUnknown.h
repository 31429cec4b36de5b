// A COM object that counts its references exactly, for tests of code that
// must AddRef and Release in balance.
#pragma once

#include "kxplatform.h"

#include <vector>

class CountingUnknown : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualGUID(iid, IID_IUnknown)) {
            AddRef();
            *out = static_cast<IUnknown*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        ++addRefs;
        return ++refs;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ++releases;
        return --refs;
    }
    // Not deleted at zero: the test owns it and reads the counts afterwards.
    long refs = 1;
    int addRefs = 0;
    int releases = 0;
};

// Delivers the given objects one per Next call, handing each caller a new
// reference; fails with `failure` once `failAfter` objects went out.
class FakeEnumeration : public IEnumVdsObject {
public:
    explicit FakeEnumeration(std::vector<IUnknown*> objects, size_t failAfter = SIZE_MAX, HRESULT failure = E_FAIL)
        : objects(std::move(objects)), failAfter(failAfter), failure(failure)
    {
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE Next(ULONG, IUnknown** out, ULONG* fetched) override
    {
        ++nextCalls;
        *out = nullptr;
        if (position == failAfter) return failure;
        if (position == objects.size()) {
            *fetched = 0;
            return S_FALSE;
        }
        IUnknown* object = objects[position++];
        if (object) object->AddRef();
        *out = object;
        *fetched = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVdsObject**) override { return E_NOTIMPL; }

    long refs = 1;
    int nextCalls = 0;

private:
    std::vector<IUnknown*> objects;
    size_t position = 0;
    size_t failAfter;
    HRESULT failure;
};
