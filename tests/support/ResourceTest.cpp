// The RAII owners of COM references, handles and task memory.
#include "common/CountingUnknown.h"
#include "common/TaskMemCount.h"
#include "support/KXComPtr.h"
#include "support/KXResource.h"

#include <gtest/gtest.h>

namespace {

TEST(ComPtr, CopyAndAssignmentBalanceTheCount)
{
    CountingUnknown a, b;
    {
        KXComPtr<IUnknown> first(&a);
        EXPECT_EQ(2, a.refs);
        KXComPtr<IUnknown> second(first);
        EXPECT_EQ(3, a.refs);
        KXComPtr<IUnknown>& same = second; // a self-assignment the compiler does not see as one
        second = same;                      // keeps the reference
        EXPECT_EQ(3, a.refs);
        second = KXComPtr<IUnknown>(&b);
        EXPECT_EQ(2, a.refs);
        EXPECT_EQ(2, b.refs);
        KXComPtr<IUnknown> moved(std::move(second));
        EXPECT_EQ(2, b.refs);
        EXPECT_FALSE(second);
    }
    EXPECT_EQ(1, a.refs);
    EXPECT_EQ(1, b.refs);
    EXPECT_EQ(a.addRefs, a.releases);
}

TEST(ComPtr, AttachDetachAndPutMoveOwnershipWithoutCounting)
{
    CountingUnknown a, b;
    a.AddRef(); // the reference a callee would hand us
    {
        KXComPtr<IUnknown> p;
        p.attach(&a);
        EXPECT_EQ(2, a.refs);
        IUnknown* given = p.detach();
        EXPECT_EQ(&a, given);
        EXPECT_EQ(2, a.refs);
        p.attach(given);
        // put() releases what is held before lending the slot.
        IUnknown** slot = p.put();
        EXPECT_EQ(1, a.refs);
        EXPECT_EQ(nullptr, *slot);
        b.AddRef();
        *slot = &b;
    }
    EXPECT_EQ(1, b.refs);
}

TEST(ComPtr, QueryFillsANewOwner)
{
    CountingUnknown a;
    KXComPtr<IUnknown> p(&a);
    KXComPtr<IUnknown> q;
    EXPECT_EQ(S_OK, p.query(IID_IUnknown, q));
    EXPECT_EQ(3, a.refs);
    KXComPtr<IUnknown> none;
    EXPECT_EQ(E_NOINTERFACE, p.query(IID_IClassFactory, none));
    EXPECT_FALSE(none);
}

TEST(TaskMem, DestructionAndMoveAssignmentBothFree)
{
    const TaskMemCount count;
    {
        KXUniqueTaskMem<int> a(static_cast<int*>(CoTaskMemAlloc(sizeof(int))));
        KXUniqueTaskMem<int> b(static_cast<int*>(CoTaskMemAlloc(sizeof(int))));
        EXPECT_EQ(2, count.Live());
        a = std::move(b); // frees a's block
        EXPECT_EQ(1, count.Live());
        EXPECT_FALSE(b.valid());
        *a.put() = static_cast<int*>(CoTaskMemAlloc(sizeof(int)));
        EXPECT_EQ(1, count.Live());
    }
    EXPECT_EQ(0, count.Live());
}

TEST(FileHandle, InvalidValueIsNotClosedAndReleaseHandsOver)
{
    KXUniqueFile none;
    EXPECT_FALSE(none.valid());
    KXUniqueFile file(CreateFileW(KXW("kx-resource-test.tmp"), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.valid());
    // Exclusive: a second open fails while ours is alive, works after reset.
    HANDLE second = CreateFileW(KXW("kx-resource-test.tmp"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, second);
    KXUniqueFile moved;
    moved = std::move(file);
    EXPECT_FALSE(file.valid());
    moved.reset();
    KXUniqueFile again(
        CreateFileW(KXW("kx-resource-test.tmp"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(again.valid());
    again.reset();
    DeleteFileW(KXW("kx-resource-test.tmp"));
}

} // namespace
