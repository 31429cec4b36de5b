// Allocation failures inside the library: the global allocator is replaced
// in this program so a test can make it fail from the n-th call on.
#include "KXVdsDisks.h"
#include "common/CountingUnknown.h"
#include "disk/KXVdsEnum.h"
#include "common/FailingAllocator.h"
#include "log/KXLogger.h"

#include <gtest/gtest.h>

namespace {

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
