#include "com/ComObject.h"

namespace kxemu {

ComObject::ComObject(std::shared_ptr<State> s, const char* k) : state(std::move(s)), kind(k)
{
    Lock lock(state->mutex);
    state->live.insert(this);
}

ComObject::~ComObject()
{
    Lock lock(state->mutex);
    state->live.erase(this);
}

HRESULT ComObject::QueryInterfaceImpl(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
#if defined(_WIN32)
    if (IsEqualIID(riid, IID_IMarshal)) {
        Lock lock = Hold();
        if (!marshal) marshal.reset(new InProcessMarshal(Find(IID_IUnknown)));
        *object = static_cast<IMarshal*>(marshal.get());
        AddRefImpl();
        return S_OK;
    }
#endif
    IUnknown* found = Find(riid);
    *object = found;
    if (!found) return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
}

ULONG ComObject::AddRefImpl()
{
    return ++references;
}

ULONG ComObject::ReleaseImpl()
{
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
}

HRESULT ComObject::NotModelled(const char* method)
{
    Lock lock = Hold();
    Fault fault;
    if (Enter(method, &fault) && fault.kind == FaultKind::Return) return fault.code;
    return E_NOTIMPL;
}

} // namespace kxemu
