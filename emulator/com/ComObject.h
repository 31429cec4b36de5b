// Shared shape of the emulated COM objects: one reference count starting at 1,
// QueryInterface answering IUnknown and every interface the object offers (and
// nulling the out-pointer otherwise), accounting of live objects, and the
// entry of every counted method.
#pragma once

#include "core/State.h"

#if defined(_WIN32)
#include "com/InProcessMarshal.h"
#endif

#include <atomic>
#include <memory>
#include <string>

namespace kxemu {

class ComObject {
public:
    ComObject(std::shared_ptr<State> state, const char* kind);
    virtual ~ComObject();
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    const char* Kind() const { return kind; }
    ULONG References() const { return references.load(); }

protected:
    // The object's interface for `riid` (IUnknown included), or null.
    virtual IUnknown* Find(REFIID riid) = 0;

    HRESULT QueryInterfaceImpl(REFIID riid, void** object);
    ULONG AddRefImpl();
    ULONG ReleaseImpl();

    Lock Hold() { return Lock(state->mutex); }
    // Counts and logs the call; true with `fault` filled when one applies.
    bool Enter(const char* method, Fault* fault) { return state->instrument.Enter(method, fault); }
    // Methods the emulator does not model: counted, then E_NOTIMPL unless a fault says otherwise.
    HRESULT NotModelled(const char* method);

    std::shared_ptr<State> state;

private:
#if defined(_WIN32)
    std::unique_ptr<InProcessMarshal> marshal;
#endif
    const char* kind;
    std::atomic<ULONG> references{1};
};

// The three IUnknown methods of a class deriving from ComObject.
#define KXEMU_IUNKNOWN                                                                   \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override      \
    {                                                                                   \
        return QueryInterfaceImpl(riid, object);                                        \
    }                                                                                   \
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }                  \
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

// Out-pointers of objects are null unless the call hands one out.
template <class T>
void NullOut(T** out)
{
    if (out) *out = nullptr;
}

} // namespace kxemu
