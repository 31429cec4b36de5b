#include "platform_test_support.h"

#include <thread>

namespace {

const CLSID kClsid = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
const IID kProductIid = {0x87654321, 0x4321, 0x8765, {8, 7, 6, 5, 4, 3, 2, 1}};

// A class object that counts its references and hands out a fixed product.
class CountingFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        ++created;
        lastOuter = outer;
        if (riid != kProductIid) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = &product;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    ULONG refs = 1;
    int created = 0;
    IUnknown* lastOuter = reinterpret_cast<IUnknown*>(1);
    int product = 0;
};

// Apartments belong to threads, so each test starts from a fresh one.
template <typename Body>
void OnNewThread(Body body)
{
    std::thread(body).join();
}

void* Poisoned()
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(kPoison));
}

TEST(ComApartment, ReportsFirstRepeatedAndConflictingInitialisation)
{
    OnNewThread([] {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();
        void* p = Poisoned();
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_ALL, kProductIid, &p), REGDB_E_CLASSNOTREG)
            << "one CoUninitialize of two leaves COM initialised";
        CoUninitialize();
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_ALL, kProductIid, &p), CO_E_NOTINITIALIZED);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "fully uninitialised, any model goes";
        CoUninitialize();
    });
}

TEST(CoCreateInstance, FailsWithoutComAndClearsTheOutPointer)
{
    OnNewThread([] {
        void* p = Poisoned();
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_LOCAL_SERVER, kProductIid, &p), CO_E_NOTINITIALIZED);
        EXPECT_EQ(p, nullptr);
    });
}

TEST(CoCreateInstance, ReportsUnregisteredClasses)
{
    OnNewThread([] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        void* p = Poisoned();
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_LOCAL_SERVER, kProductIid, &p), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(p, nullptr);
        CoUninitialize();
    });
}

TEST(CoRegisterClassObject, ServesLocalServerRequestsUntilRevoked)
{
    CountingFactory factory;
    OnNewThread([&] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
        EXPECT_EQ(factory.refs, 2u) << "the class table holds a reference";

        for (int i = 0; i < 2; ++i) {
            void* p = nullptr;
            EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_LOCAL_SERVER, kProductIid, &p), S_OK);
            EXPECT_EQ(p, &factory.product);
        }
        EXPECT_EQ(factory.created, 2);
        EXPECT_EQ(factory.lastOuter, nullptr);
        EXPECT_EQ(factory.refs, 2u) << "activation returns the references it takes";

        void* p = Poisoned();
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, kProductIid, &p), REGDB_E_CLASSNOTREG)
            << "a local server does not answer in-process requests";
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_ALL, IID_IUnknown, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);

        EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
        EXPECT_EQ(factory.refs, 1u);
        EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_LOCAL_SERVER, kProductIid, &p), REGDB_E_CLASSNOTREG);
        CoUninitialize();
    });
}

TEST(CoRegisterClassObject, NeedsComAndRefusesASecondRegistration)
{
    CountingFactory factory;
    OnNewThread([&] {
        DWORD cookie = kPoison;
        EXPECT_EQ(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie),
                  CO_E_NOTINITIALIZED);
        EXPECT_EQ(factory.refs, 1u);

        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
        DWORD second = 0;
        EXPECT_EQ(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &second),
                  CO_E_OBJISREG);
        EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
        EXPECT_EQ(factory.refs, 1u);
        CoUninitialize();
    });
}

TEST(CoCreateInstance, FindsClassesRegisteredOnAnotherThread)
{
    CountingFactory factory;
    DWORD cookie = 0;
    OnNewThread([&] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    });
    OnNewThread([&] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        void* p = nullptr;
        EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_LOCAL_SERVER, kProductIid, &p), S_OK);
        EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
        CoUninitialize();
    });
    EXPECT_EQ(factory.refs, 1u);
}

} // namespace
