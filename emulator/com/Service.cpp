// IVdsService: readiness and the software providers of the machine.
#include "com/ComObject.h"
#include "com/Objects.h"
#include "core/TaskMem.h"

namespace kxemu {

namespace {

class Service final : public ComObject, public IVdsService {
public:
    explicit Service(std::shared_ptr<State> s) : ComObject(std::move(s), "Service") {}

    KXEMU_IUNKNOWN

    HRESULT STDMETHODCALLTYPE IsServiceReady() override { return Plain("IVdsService::IsServiceReady"); }
    HRESULT STDMETHODCALLTYPE WaitForServiceReady() override { return Plain("IVdsService::WaitForServiceReady"); }

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_SERVICE_PROP* prop) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsService::GetProperties", &fault);
        if (!prop) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        prop->pwszVersion = TaskMemString(*state, "6.1.7601");
        prop->ulFlags = VDS_SVF_SUPPORT_GPT;
        return prop->pwszVersion ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE QueryProviders(DWORD masks, IEnumVdsObject** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsService::QueryProviders", &fault);
        // Every modelled provider is a software provider.
        std::vector<std::shared_ptr<Provider>> listed;
        if (masks & VDS_QUERY_SOFTWARE_PROVIDERS) listed = state->machine.providers;
        return HandOutEnumeration(state, faulted, fault, listed, NewProviderObject, out);
    }

    HRESULT STDMETHODCALLTYPE QueryMaskedDisks(IEnumVdsObject** out) override
    {
        NullOut(out);
        return NotModelled("IVdsService::QueryMaskedDisks");
    }
    HRESULT STDMETHODCALLTYPE QueryUnallocatedDisks(IEnumVdsObject** out) override
    {
        NullOut(out);
        return NotModelled("IVdsService::QueryUnallocatedDisks");
    }
    HRESULT STDMETHODCALLTYPE GetObject(VDS_OBJECT_ID, VDS_OBJECT_TYPE, IUnknown** out) override
    {
        NullOut(out);
        return NotModelled("IVdsService::GetObject");
    }
    HRESULT STDMETHODCALLTYPE QueryDriveLetters(WCHAR, DWORD, VDS_DRIVE_LETTER_PROP*) override
    {
        return NotModelled("IVdsService::QueryDriveLetters");
    }
    HRESULT STDMETHODCALLTYPE QueryFileSystemTypes(VDS_FILE_SYSTEM_TYPE_PROP** out, LONG* count) override
    {
        NullOut(out);
        if (count) *count = 0;
        return NotModelled("IVdsService::QueryFileSystemTypes");
    }
    HRESULT STDMETHODCALLTYPE Reenumerate() override { return NotModelled("IVdsService::Reenumerate"); }
    HRESULT STDMETHODCALLTYPE Refresh() override { return NotModelled("IVdsService::Refresh"); }
    HRESULT STDMETHODCALLTYPE CleanupObsoleteMountPoints() override
    {
        return NotModelled("IVdsService::CleanupObsoleteMountPoints");
    }
    HRESULT STDMETHODCALLTYPE Advise(IVdsAdviseSink*, DWORD* cookie) override
    {
        if (cookie) *cookie = 0;
        return NotModelled("IVdsService::Advise");
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return NotModelled("IVdsService::Unadvise"); }
    HRESULT STDMETHODCALLTYPE Reboot() override { return NotModelled("IVdsService::Reboot"); }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG) override { return NotModelled("IVdsService::SetFlags"); }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG) override { return NotModelled("IVdsService::ClearFlags"); }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IVdsService) return static_cast<IVdsService*>(this);
        return nullptr;
    }

    // A call that only answers: S_OK unless a fault says otherwise.
    HRESULT Plain(const char* method)
    {
        Lock lock = Hold();
        Fault fault;
        if (Enter(method, &fault) && fault.kind == FaultKind::Return) return fault.code;
        return S_OK;
    }
};

} // namespace

IVdsService* NewService(const std::shared_ptr<State>& state)
{
    return new Service(state);
}

} // namespace kxemu
