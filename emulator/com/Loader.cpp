// IVdsServiceLoader and its class object.
#include "com/Loader.h"

#include "com/ComObject.h"
#include "com/Objects.h"
#include "model/Text.h"

namespace kxemu {

namespace {

const DWORD kRpcServerUnavailable = 1722;

class Loader final : public ComObject, public IVdsServiceLoader {
public:
    explicit Loader(std::shared_ptr<State> s) : ComObject(std::move(s), "Loader") {}

    KXEMU_IUNKNOWN

    HRESULT STDMETHODCALLTYPE LoadService(LPWSTR machineName, IVdsService** service) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsServiceLoader::LoadService", &fault);
        state->instrument.loadServiceMachineNames.push_back(Narrow(machineName));
        if (!service) return E_POINTER;
        *service = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
        // Only this machine is modelled.
        if (machineName && machineName[0]) return HRESULT_FROM_WIN32(kRpcServerUnavailable);
        *service = NewService(state);
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IVdsServiceLoader) return static_cast<IVdsServiceLoader*>(this);
        return nullptr;
    }
};

} // namespace

HRESULT LoaderFactory::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG LoaderFactory::Release()
{
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
}

HRESULT LoaderFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    {
        Lock lock(state->mutex);
        Fault fault;
        if (state->instrument.Enter("IClassFactory::CreateInstance", &fault) && fault.kind == FaultKind::Return &&
            FAILED(fault.code))
            return fault.code;
    }
    if (outer) return CLASS_E_NOAGGREGATION;
    IVdsServiceLoader* loader = NewLoader(state);
    const HRESULT hr = loader->QueryInterface(riid, object);
    loader->Release();
    return hr;
}

IVdsServiceLoader* NewLoader(const std::shared_ptr<State>& state)
{
    return new Loader(state);
}

} // namespace kxemu
