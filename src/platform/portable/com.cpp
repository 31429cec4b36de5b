// COM activation without a registry: apartments are per-thread counters, and
// the only classes are those registered in this process's class table, so an
// in-process server stands in for a local one.
#include "kxwin32.h"

#include <mutex>
#include <vector>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

constexpr DWORD kApartmentFlags = COINIT_APARTMENTTHREADED;
constexpr DWORD kKnownInitFlags = 0x2 | 0x4 | 0x8; // apartment, DDE off, speed over memory

struct Apartment {
    unsigned initCount = 0;
    bool singleThreaded = false;
};

thread_local Apartment apartment;

bool ComInitialized()
{
    return apartment.initCount > 0;
}

struct Registration {
    CLSID clsid;
    IUnknown* object;
    DWORD context;
    DWORD flags;
    DWORD cookie;
    bool spent; // a single-use class object that has served its one activation
};

std::mutex classMutex;
DWORD nextCookie = 1;

std::vector<Registration>& Classes()
{
    static std::vector<Registration> classes;
    return classes;
}

// Releases a reference when it leaves scope.
class Reference {
public:
    explicit Reference(IUnknown* p) : p_(p) {}
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    ~Reference()
    {
        if (p_) p_->Release();
    }
    IUnknown* get() const { return p_; }

private:
    IUnknown* p_;
};

// The class object for `clsid` in `context`, with a reference of its own.
IUnknown* TakeClassObject(REFCLSID clsid, DWORD context)
{
    std::lock_guard<std::mutex> lock(classMutex);
    for (Registration& r : Classes()) {
        if (r.clsid != clsid || !(r.context & context) || r.spent) continue;
        if (r.flags == REGCLS_SINGLEUSE) r.spent = true;
        r.object->AddRef();
        return r.object;
    }
    return nullptr;
}

} // namespace

HRESULT CoInitialize(LPVOID reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit)
{
    if (reserved || (coInit & ~kKnownInitFlags)) return E_INVALIDARG;
    bool singleThreaded = (coInit & kApartmentFlags) != 0;
    if (apartment.initCount > 0) {
        if (apartment.singleThreaded != singleThreaded) return RPC_E_CHANGED_MODE;
        ++apartment.initCount;
        return S_FALSE;
    }
    apartment.singleThreaded = singleThreaded;
    apartment.initCount = 1;
    return S_OK;
}

void CoUninitialize()
{
    if (apartment.initCount > 0) --apartment.initCount;
}

HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* unk, DWORD clsContext, DWORD flags, LPDWORD cookie)
{
    if (!ComInitialized()) return CO_E_NOTINITIALIZED;
    if (!unk || !cookie) return E_INVALIDARG;
    *cookie = 0;
    if (flags != REGCLS_SINGLEUSE && flags != REGCLS_MULTIPLEUSE) return E_INVALIDARG;
    if (!(clsContext & CLSCTX_ALL)) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(classMutex);
    for (const Registration& r : Classes())
        if (r.clsid == rclsid && (r.context & clsContext)) return CO_E_OBJISREG;
    unk->AddRef();
    Classes().push_back(Registration{rclsid, unk, clsContext, flags, nextCookie, false});
    *cookie = nextCookie++;
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie)
{
    if (!ComInitialized()) return CO_E_NOTINITIALIZED;
    IUnknown* object = nullptr;
    {
        std::lock_guard<std::mutex> lock(classMutex);
        std::vector<Registration>& classes = Classes();
        for (auto it = classes.begin(); it != classes.end(); ++it) {
            if (it->cookie == cookie) {
                object = it->object;
                classes.erase(it);
                break;
            }
        }
    }
    if (!object) return CO_E_OBJNOTREG;
    // Outside the lock: the object may end here and call back into COM.
    object->Release();
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD clsContext, REFIID riid, LPVOID* ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!ComInitialized()) return CO_E_NOTINITIALIZED;
    Reference classObject(TakeClassObject(rclsid, clsContext));
    if (!classObject.get()) return REGDB_E_CLASSNOTREG;
    void* factoryPointer = nullptr;
    HRESULT hr = classObject.get()->QueryInterface(IID_IClassFactory, &factoryPointer);
    if (FAILED(hr)) return hr;
    auto factory = static_cast<IClassFactory*>(factoryPointer);
    Reference factoryReference(factory);
    hr = factory->CreateInstance(outer, riid, ppv);
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
}
