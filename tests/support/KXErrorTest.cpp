#include "support/KXError.h"

#include <gtest/gtest.h>

TEST(ErrorHolder, StartsWithNoCode)
{
    CKXError holder;
    EXPECT_EQ(holder.GetError(), 0u);
}

TEST(ErrorHolder, SetErrorReplacesTheCodeAndReturnsOne)
{
    CKXError holder;
    EXPECT_EQ(holder.SetError(0x80070057u), 1);
    EXPECT_EQ(holder.SetError(0x10000006u), 1);
    EXPECT_EQ(holder.GetError(), 0x10000006u);
}

// A client reads the code straight after the holder's vtable pointer.
TEST(ErrorHolder, CodeSitsRightAfterTheVtablePointer)
{
    CKXError holder;
    holder.SetError(0x8000FFFFu);
    const unsigned int* code =
        reinterpret_cast<const unsigned int*>(reinterpret_cast<const char*>(&holder) + sizeof(void*));
    EXPECT_EQ(*code, 0x8000FFFFu);
}
