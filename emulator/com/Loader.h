// The class object registered for CLSID_VdsLoader.
#pragma once

#include "core/State.h"

#include <atomic>
#include <memory>

namespace kxemu {

class LoaderFactory final : public IClassFactory {
public:
    explicit LoaderFactory(std::shared_ptr<State> state) : state(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    virtual ~LoaderFactory() = default;

    std::shared_ptr<State> state;
    std::atomic<ULONG> references{1};
};

} // namespace kxemu
