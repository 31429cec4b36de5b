// Makers of the emulated objects. Each returns a new object with one
// reference that the caller owns.
#pragma once

#include "core/State.h"

#include <memory>
#include <vector>

namespace kxemu {

IVdsServiceLoader* NewLoader(const std::shared_ptr<State>& state);
IVdsService* NewService(const std::shared_ptr<State>& state);
IUnknown* NewProviderObject(const std::shared_ptr<State>& state, const std::shared_ptr<Provider>& provider);
IUnknown* NewPackObject(const std::shared_ptr<State>& state, const std::shared_ptr<Pack>& pack);
IUnknown* NewDiskObject(const std::shared_ptr<State>& state, const std::shared_ptr<Disk>& disk);
IUnknown* NewVolumeObject(const std::shared_ptr<State>& state, const std::shared_ptr<Volume>& volume);
// A finished job: Wait reports `result` and `output`.
IVdsAsync* NewJob(const std::shared_ptr<State>& state, HRESULT result, const VDS_ASYNC_OUTPUT& output);

IEnumVdsObject* NewEnumeration(const std::shared_ptr<State>& state, std::vector<IUnknown*> objects,
                               bool failing, ULONG failAfter, HRESULT failCode);

// Hands out an enumeration of the objects that `make` creates, unless the
// call's fault says otherwise (Return, NullObject, EnumFailsAfter).
template <class Item, class Make>
HRESULT HandOutEnumeration(const std::shared_ptr<State>& state, bool faulted, const Fault& fault,
                           const std::vector<std::shared_ptr<Item>>& items, Make make, IEnumVdsObject** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
    if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
    std::vector<IUnknown*> objects;
    objects.reserve(items.size());
    for (const auto& item : items) objects.push_back(make(state, item));
    const bool failing = faulted && fault.kind == FaultKind::EnumFailsAfter;
    *out = NewEnumeration(state, std::move(objects), failing, fault.objects, fault.code);
    return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
}

} // namespace kxemu
