// Windows keeps no count of CoTaskMem blocks, but lets one malloc spy watch
// every allocation and free of the process's task allocator.
#include "common/TaskMemCount.h"

#include <gtest/gtest.h>

struct TaskMemCount::Spy final : IMallocSpy {
    // COM may hold the spy after its revocation, until the blocks it saw are freed.
    LONG references = 1;
    LONG live = 0;
    LONG reallocCounts = 0;  // what the reallocation under way does to `live`

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IUnknown && iid != IID_IMallocSpy) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *out = static_cast<IMallocSpy*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) delete this;
        return left;
    }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T request) override { return request; }
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override
    {
        if (actual) InterlockedIncrement(&live);
        return actual;
    }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL spyed) override
    {
        if (request && spyed) InterlockedDecrement(&live);
        return request;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    // A reallocation from null allocates, one of a watched block to size 0 frees it.
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL spyed) override
    {
        reallocCounts = !request ? 1 : size == 0 && spyed ? -1 : 0;
        *newRequest = request;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override
    {
        if (reallocCounts < 0 || (reallocCounts > 0 && actual)) InterlockedExchangeAdd(&live, reallocCounts);
        return actual;
    }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

TaskMemCount::TaskMemCount() : spy(new Spy)
{
    EXPECT_EQ(S_OK, CoRegisterMallocSpy(spy)) << "no malloc spy, no count";
}

TaskMemCount::~TaskMemCount()
{
    // Blocks still live keep the spy registered until they are freed.
    CoRevokeMallocSpy();
    spy->Release();
}

long TaskMemCount::Live() const
{
    return spy->live;
}
