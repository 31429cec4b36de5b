#include "com/InProcessMarshal.h"

namespace kxemu {

InProcessMarshal::~InProcessMarshal()
{
    if (inner) inner->Release();
}

HRESULT InProcessMarshal::QueryInterface(REFIID riid, void** object)
{
    return outer->QueryInterface(riid, object);
}

ULONG InProcessMarshal::AddRef()
{
    return outer->AddRef();
}

ULONG InProcessMarshal::Release()
{
    return outer->Release();
}


HRESULT InProcessMarshal::GetUnmarshalClass(REFIID riid, void* pv, DWORD, void* contextData, DWORD flags, CLSID* clsid)
{
    return WithMarshaler([&](IMarshal* m) { return m->GetUnmarshalClass(riid, pv, MSHCTX_INPROC, contextData, flags, clsid); });
}

HRESULT InProcessMarshal::GetMarshalSizeMax(REFIID riid, void* pv, DWORD, void* contextData, DWORD flags, DWORD* size)
{
    return WithMarshaler([&](IMarshal* m) { return m->GetMarshalSizeMax(riid, pv, MSHCTX_INPROC, contextData, flags, size); });
}

HRESULT InProcessMarshal::MarshalInterface(IStream* stream, REFIID riid, void* pv, DWORD, void* contextData,
                                           DWORD flags)
{
    return WithMarshaler([&](IMarshal* m) { return m->MarshalInterface(stream, riid, pv, MSHCTX_INPROC, contextData, flags); });
}

HRESULT InProcessMarshal::UnmarshalInterface(IStream* stream, REFIID riid, void** object)
{
    return WithMarshaler([&](IMarshal* m) { return m->UnmarshalInterface(stream, riid, object); });
}

HRESULT InProcessMarshal::ReleaseMarshalData(IStream* stream)
{
    return WithMarshaler([&](IMarshal* m) { return m->ReleaseMarshalData(stream); });
}

HRESULT InProcessMarshal::DisconnectObject(DWORD reserved)
{
    return WithMarshaler([&](IMarshal* m) { return m->DisconnectObject(reserved); });
}

} // namespace kxemu
