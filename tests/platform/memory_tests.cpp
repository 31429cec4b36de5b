#include "platform_test_support.h"

namespace {

TEST(CoTaskMem, CountsLiveBlocks)
{
    long before = KXLiveTaskMemBlocks();
    void* a = CoTaskMemAlloc(16);
    void* b = CoTaskMemAlloc(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(KXLiveTaskMemBlocks(), before + 2);
    CoTaskMemFree(a);
    CoTaskMemFree(nullptr);
    EXPECT_EQ(KXLiveTaskMemBlocks(), before + 1);
    CoTaskMemFree(b);
    EXPECT_EQ(KXLiveTaskMemBlocks(), before);
}

TEST(GlobalMemory, MovableBlockLocksUnlocksAndFrees)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 32);
    ASSERT_NE(block, nullptr);
    auto data = static_cast<unsigned char*>(GlobalLock(block));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[31], 0);
    SetLastError(kPoison);
    EXPECT_FALSE(GlobalUnlock(block)) << "the last unlock answers FALSE";
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(GlobalFree(block), nullptr);
    SetLastError(kPoison);
    EXPECT_EQ(GlobalFree(block), block) << "a freed handle is refused";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(IsBadWritePtr, TreatsOnlyNullAsBad)
{
    int x = 0;
    EXPECT_TRUE(IsBadWritePtr(nullptr, 4));
    EXPECT_FALSE(IsBadWritePtr(&x, sizeof x));
}

} // namespace
