// A software provider: IVdsProvider and, unless the model says otherwise,
// IVdsSwProvider.
#include "com/ComObject.h"
#include "com/Objects.h"
#include "core/TaskMem.h"

namespace kxemu {

namespace {

class ProviderObject final : public ComObject, public IVdsProvider, public IVdsSwProvider {
public:
    ProviderObject(std::shared_ptr<State> s, std::shared_ptr<Provider> p)
        : ComObject(std::move(s), "Provider"), provider(std::move(p))
    {
    }

    KXEMU_IUNKNOWN

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_PROVIDER_PROP* prop) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsProvider::GetProperties", &fault);
        if (!prop) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        *prop = VDS_PROVIDER_PROP();
        prop->id = provider->id;
        prop->pwszName = TaskMemString(*state, provider->name);
        prop->pwszVersion = TaskMemString(*state, provider->version);
        prop->type = VDS_PT_SOFTWARE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryPacks(IEnumVdsObject** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsSwProvider::QueryPacks", &fault);
        return HandOutEnumeration(state, faulted, fault, provider->packs, NewPackObject, out);
    }

    HRESULT STDMETHODCALLTYPE CreatePack(IVdsPack** out) override
    {
        NullOut(out);
        return NotModelled("IVdsSwProvider::CreatePack");
    }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IVdsProvider) return static_cast<IVdsProvider*>(this);
        if (riid == IID_IVdsSwProvider && provider->swInterface) return static_cast<IVdsSwProvider*>(this);
        return nullptr;
    }

    std::shared_ptr<Provider> provider;
};

} // namespace

IUnknown* NewProviderObject(const std::shared_ptr<State>& state, const std::shared_ptr<Provider>& provider)
{
    return static_cast<IVdsProvider*>(new ProviderObject(state, provider));
}

} // namespace kxemu
