// Allocation failures inside the library: the global allocator is replaced
// in this program so a test can make it fail from the n-th call on.
#include "KXVdsDisks.h"
#include "common/CountingUnknown.h"
#include "disk/KXVdsEnum.h"
#include "log/KXLogger.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
int allocationsLeft = -1; // -1: never fail
}

void* operator new(std::size_t size)
{
    if (allocationsLeft == 0) throw std::bad_alloc();
    if (allocationsLeft > 0) --allocationsLeft;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// The sanitizers bring their own allocators: every form the library may use
// is replaced here, so all of them fail together and pair with free().
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return ::operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

struct FailAllocations {
    explicit FailAllocations(int after) { allocationsLeft = after; }
    ~FailAllocations() { allocationsLeft = -1; }
};

TEST(OutOfMemory, FactoryReturnsNullAndThrowsNothing)
{
    // The first allocation is the disk object, the next ones the logger's.
    for (int after = 0; after < 4; ++after) {
        SCOPED_TRACE(after);
        DeleteProcessLogger();
        IKXVdsDisk* disk = nullptr;
        {
            FailAllocations fail(after);
            EXPECT_NO_THROW(disk = GetVdsDiskInterface());
        }
        if (disk) disk->Release();
    }
    FailAllocations fail(0);
    EXPECT_EQ(nullptr, GetVdsDiskInterface());
}

TEST(OutOfMemory, EnumListKeepsWhatItCollectedAndReleasesTheRest)
{
    CountingUnknown a, b, c;
    FakeEnumeration enumeration({&a, &b, &c});
    CKXVdsEnum list;
    HRESULT hr;
    {
        FailAllocations fail(1);
        hr = list.Query(&enumeration);
    }
    EXPECT_EQ(E_OUTOFMEMORY, hr);
    // b could not be stored: its reference went back at once; c was never fetched.
    EXPECT_EQ(2, a.refs);
    EXPECT_EQ(1, b.refs);
    EXPECT_EQ(1, c.refs);
    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, list.GetFirst(&object));
    EXPECT_EQ(&a, object);
}

} // namespace
