// Windows: the service's objects are reachable from every apartment, through
// its proxies. The emulator's objects live in the test process, so whatever
// context COM names when it marshals one of them, the free-threaded
// marshaler's in-process form (the object's own address) is the faithful
// answer, and no proxy needs registering.
#pragma once

#include "kxplatform.h"

namespace kxemu {

// Part of the object that owns it: IUnknown goes to `outer`.
class InProcessMarshal final : public IMarshal {
public:
    explicit InProcessMarshal(IUnknown* outer) : outer(outer) {}
    ~InProcessMarshal();
    InProcessMarshal(const InProcessMarshal&) = delete;
    InProcessMarshal& operator=(const InProcessMarshal&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID riid, void* pv, DWORD context, void* contextData, DWORD flags,
                                                CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID riid, void* pv, DWORD context, void* contextData, DWORD flags,
                                                DWORD* size) override;
    HRESULT STDMETHODCALLTYPE MarshalInterface(IStream* stream, REFIID riid, void* pv, DWORD context,
                                               void* contextData, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream* stream, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD reserved) override;

private:
    // Calls `call` with the IMarshal of the free-threaded marshaler that
    // `outer` aggregates, made on first use.
    template <class Call>
    HRESULT WithMarshaler(Call call)
    {
        if (!inner) {
            const HRESULT hr = CoCreateFreeThreadedMarshaler(outer, &inner);
            if (FAILED(hr)) return hr;
        }
        IMarshal* marshaler = nullptr;
        HRESULT hr = inner->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshaler));
        if (FAILED(hr)) return hr;
        hr = call(marshaler);
        marshaler->Release();
        return hr;
    }

    IUnknown* outer;
    IUnknown* inner = nullptr;
};

} // namespace kxemu
