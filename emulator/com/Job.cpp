// IVdsAsync of an operation that the emulator has already carried out: Wait
// and QueryStatus report how it ended.
#include "com/ComObject.h"
#include "com/Objects.h"

namespace kxemu {

namespace {

class Job final : public ComObject, public IVdsAsync {
public:
    Job(std::shared_ptr<State> s, HRESULT r, const VDS_ASYNC_OUTPUT& o)
        : ComObject(std::move(s), "Async"), result(r), output(o)
    {
    }

    KXEMU_IUNKNOWN

    HRESULT STDMETHODCALLTYPE Cancel() override
    {
        Lock lock = Hold();
        Fault fault;
        if (Enter("IVdsAsync::Cancel", &fault) && fault.kind == FaultKind::Return) return fault.code;
        return VDS_E_CANCEL_TOO_LATE;
    }

    HRESULT STDMETHODCALLTYPE Wait(HRESULT* operationResult, VDS_ASYNC_OUTPUT* out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsAsync::Wait", &fault);
        if (!operationResult || !out) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        *operationResult = result;
        *out = output;
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryStatus(HRESULT* operationResult, ULONG* percent) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsAsync::QueryStatus", &fault);
        if (!operationResult || !percent) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        *operationResult = faulted && fault.kind == FaultKind::ReportedStatus ? fault.code : result;
        *percent = 100;
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IVdsAsync) return static_cast<IVdsAsync*>(this);
        return nullptr;
    }

    HRESULT result;
    VDS_ASYNC_OUTPUT output;
};

} // namespace

IVdsAsync* NewJob(const std::shared_ptr<State>& state, HRESULT result, const VDS_ASYNC_OUTPUT& output)
{
    return new Job(state, result, output);
}

} // namespace kxemu
