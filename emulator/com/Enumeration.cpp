// IEnumVdsObject over a fixed list of objects, each handed out with its own
// reference.
#include "com/ComObject.h"
#include "com/Objects.h"

namespace kxemu {

namespace {

class Enumeration final : public ComObject, public IEnumVdsObject {
public:
    Enumeration(std::shared_ptr<State> s, std::vector<IUnknown*> items, bool fails, ULONG after, HRESULT code)
        : ComObject(std::move(s), "Enum"), objects(std::move(items)), failing(fails), failAfter(after),
          failCode(code)
    {
    }
    ~Enumeration() override
    {
        for (IUnknown* o : objects) o->Release();
    }

    KXEMU_IUNKNOWN

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IUnknown** array, ULONG* fetched) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IEnumVdsObject::Next", &fault);
        if (fetched) *fetched = 0;
        if (!array || (count > 1 && !fetched)) return E_POINTER;
        for (ULONG i = 0; i < count; ++i) array[i] = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        ULONG delivered = 0;
        while (delivered < count) {
            // An injected failure hits the call that would go past `failAfter`,
            // also when the list has no more objects.
            if (failing && position >= failAfter) {
                for (ULONG i = 0; i < delivered; ++i) {
                    array[i]->Release();
                    array[i] = nullptr;
                }
                return failCode;
            }
            if (position >= objects.size()) break;
            array[delivered] = objects[position++];
            array[delivered]->AddRef();
            ++delivered;
        }
        if (fetched) *fetched = delivered;
        return delivered == count ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        Lock lock = Hold();
        Fault fault;
        if (Enter("IEnumVdsObject::Skip", &fault) && fault.kind == FaultKind::Return) return fault.code;
        const size_t left = objects.size() - position;
        if (count > left) {
            position = objects.size();
            return S_FALSE;
        }
        position += count;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Reset() override
    {
        Lock lock = Hold();
        Fault fault;
        if (Enter("IEnumVdsObject::Reset", &fault) && fault.kind == FaultKind::Return) return fault.code;
        position = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumVdsObject** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IEnumVdsObject::Clone", &fault);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (faulted && fault.kind == FaultKind::Return) return fault.code;
        if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
        for (IUnknown* o : objects) o->AddRef();
        auto* copy = new Enumeration(state, objects, failing, failAfter, failCode);
        copy->position = position;
        *out = copy;
        return S_OK;
    }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IEnumVdsObject) return static_cast<IEnumVdsObject*>(this);
        return nullptr;
    }

    std::vector<IUnknown*> objects;
    size_t position = 0;
    bool failing;
    ULONG failAfter;
    HRESULT failCode;
};

} // namespace

IEnumVdsObject* NewEnumeration(const std::shared_ptr<State>& state, std::vector<IUnknown*> objects, bool failing,
                               ULONG failAfter, HRESULT failCode)
{
    return new Enumeration(state, std::move(objects), failing, failAfter, failCode);
}

} // namespace kxemu
