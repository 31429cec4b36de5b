// IVdsPack: the disks and volumes of one pack.
#include "com/ComObject.h"
#include "com/Objects.h"
#include "core/TaskMem.h"

namespace kxemu {

namespace {

class PackObject final : public ComObject, public IVdsPack {
public:
    PackObject(std::shared_ptr<State> s, std::shared_ptr<Pack> p) : ComObject(std::move(s), "Pack"), pack(std::move(p))
    {
    }

    KXEMU_IUNKNOWN

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_PACK_PROP* prop) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsPack::GetProperties", &fault);
        if (!prop) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        *prop = VDS_PACK_PROP();
        prop->id = pack->id;
        prop->pwszName = TaskMemString(*state, pack->name);
        prop->status = pack->status;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetProvider(IVdsProvider** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsPack::GetProvider", &fault);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
        for (const auto& provider : state->machine.providers) {
            if (provider.get() != &pack->OwnerProvider()) continue;
            IUnknown* object = NewProviderObject(state, provider);
            const HRESULT hr = object->QueryInterface(IID_IVdsProvider, reinterpret_cast<void**>(out));
            object->Release();
            return hr;
        }
        return VDS_E_OBJECT_NOT_FOUND;
    }

    HRESULT STDMETHODCALLTYPE QueryVolumes(IEnumVdsObject** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsPack::QueryVolumes", &fault);
        return HandOutEnumeration(state, faulted, fault, pack->volumes, NewVolumeObject, out);
    }

    HRESULT STDMETHODCALLTYPE QueryDisks(IEnumVdsObject** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsPack::QueryDisks", &fault);
        return HandOutEnumeration(state, faulted, fault, pack->disks, NewDiskObject, out);
    }

    HRESULT STDMETHODCALLTYPE CreateVolume(VDS_VOLUME_TYPE, VDS_INPUT_DISK*, LONG, ULONG, IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsPack::CreateVolume");
    }
    HRESULT STDMETHODCALLTYPE AddDisk(VDS_OBJECT_ID, VDS_PARTITION_STYLE, BOOL) override
    {
        return NotModelled("IVdsPack::AddDisk");
    }
    HRESULT STDMETHODCALLTYPE MigrateDisks(VDS_OBJECT_ID*, LONG, VDS_OBJECT_ID, BOOL, BOOL, HRESULT*, BOOL*) override
    {
        return NotModelled("IVdsPack::MigrateDisks");
    }
    HRESULT STDMETHODCALLTYPE ReplaceDisk(VDS_OBJECT_ID, VDS_OBJECT_ID, IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsPack::ReplaceDisk");
    }
    HRESULT STDMETHODCALLTYPE RemoveMissingDisk(VDS_OBJECT_ID) override
    {
        return NotModelled("IVdsPack::RemoveMissingDisk");
    }
    HRESULT STDMETHODCALLTYPE Recover(IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsPack::Recover");
    }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IVdsPack) return static_cast<IVdsPack*>(this);
        return nullptr;
    }

    std::shared_ptr<Pack> pack;
};

} // namespace

IUnknown* NewPackObject(const std::shared_ptr<State>& state, const std::shared_ptr<Pack>& pack)
{
    return new PackObject(state, pack);
}

} // namespace kxemu
