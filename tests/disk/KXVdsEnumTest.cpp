#include "common/CountingUnknown.h"
#include "disk/KXVdsEnum.h"

#include <gtest/gtest.h>

namespace {

const HRESULT kNoMoreItems = static_cast<HRESULT>(0x80070103);

TEST(VdsEnumList, EmptyEnumerationGivesEmptyList)
{
    FakeEnumeration enumeration({});
    CKXVdsEnum list;
    EXPECT_EQ(S_OK, list.Query(&enumeration));

    IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, list.GetFirst(&object));
    EXPECT_EQ(nullptr, object);
}

TEST(VdsEnumList, NextBeforeFirstHasNoCursor)
{
    CountingUnknown a;
    FakeEnumeration enumeration({&a});
    CKXVdsEnum list;
    list.Query(&enumeration);

    IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, list.GetNext(&object));
    EXPECT_EQ(nullptr, object);
}

TEST(VdsEnumList, WalksInEnumerationOrderAndStaysAtTheEnd)
{
    CountingUnknown a, b, c;
    FakeEnumeration enumeration({&a, &b, &c});
    CKXVdsEnum list;
    ASSERT_EQ(S_OK, list.Query(&enumeration));

    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, list.GetFirst(&object));
    EXPECT_EQ(&a, object);
    ASSERT_EQ(S_OK, list.GetNext(&object));
    EXPECT_EQ(&b, object);
    ASSERT_EQ(S_OK, list.GetNext(&object));
    EXPECT_EQ(&c, object);
    EXPECT_EQ(kNoMoreItems, list.GetNext(&object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(kNoMoreItems, list.GetNext(&object));
    // The cursor stayed on the last node: a new walk still starts at the first.
    ASSERT_EQ(S_OK, list.GetFirst(&object));
    EXPECT_EQ(&a, object);
}

TEST(VdsEnumList, LentObjectsAreReleasedOnceByClear)
{
    CountingUnknown a, b;
    FakeEnumeration enumeration({&a, &b});
    {
        CKXVdsEnum list;
        list.Query(&enumeration);
        IUnknown* object = nullptr;
        list.GetFirst(&object);
        list.GetNext(&object);
        EXPECT_EQ(2, a.refs);
        list.Clear();
        list.Clear();
        EXPECT_EQ(1, a.refs);
        EXPECT_EQ(1, b.refs);
        EXPECT_EQ(E_NOINTERFACE, list.GetFirst(&object));
    }
    EXPECT_EQ(1, a.refs);
    // The list never releases the enumeration: its owner does.
    EXPECT_EQ(1, enumeration.refs);
}

TEST(VdsEnumList, DestructionReleasesEveryObject)
{
    CountingUnknown a, b;
    FakeEnumeration enumeration({&a, &b});
    {
        CKXVdsEnum list;
        list.Query(&enumeration);
    }
    EXPECT_EQ(1, a.refs);
    EXPECT_EQ(1, b.refs);
}

TEST(VdsEnumList, EnumerationErrorEndsCollectionLikeItsEnd)
{
    CountingUnknown a, b, c;
    FakeEnumeration enumeration({&a, &b, &c}, 2, E_FAIL);
    CKXVdsEnum list;
    EXPECT_EQ(S_OK, list.Query(&enumeration));

    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, list.GetFirst(&object));
    ASSERT_EQ(S_OK, list.GetNext(&object));
    EXPECT_EQ(&b, object);
    EXPECT_EQ(kNoMoreItems, list.GetNext(&object));
    EXPECT_EQ(1, c.refs);
}

TEST(VdsEnumList, NullObjectsAreSkipped)
{
    CountingUnknown a;
    FakeEnumeration enumeration({nullptr, &a, nullptr});
    CKXVdsEnum list;
    list.Query(&enumeration);
    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, list.GetFirst(&object));
    EXPECT_EQ(&a, object);
    EXPECT_EQ(kNoMoreItems, list.GetNext(&object));
}

TEST(VdsEnumList, RequeryReleasesOldObjectsAndResetsCursor)
{
    CountingUnknown a, b, c;
    FakeEnumeration first({&a, &b});
    FakeEnumeration second({&c});
    CKXVdsEnum list;
    list.Query(&first);
    IUnknown* object = nullptr;
    list.GetFirst(&object);

    list.Query(&second);
    EXPECT_EQ(1, a.refs);
    EXPECT_EQ(1, b.refs);
    EXPECT_EQ(E_NOINTERFACE, list.GetNext(&object));
    ASSERT_EQ(S_OK, list.GetFirst(&object));
    EXPECT_EQ(&c, object);
    EXPECT_EQ(kNoMoreItems, list.GetNext(&object));
}

} // namespace
