// Links only the public header and the shipped module, as a client does.
#include "KXVdsDisks.h"

#include <gtest/gtest.h>

TEST(ConsumerLink, ExportedFactoryHandsOutIndependentObjects)
{
    IKXVdsDisk* first = GetVdsDiskInterface();
    IKXVdsDisk* second = GetVdsDiskInterface();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);

    EXPECT_EQ(first->GetVersion(), 1);
    EXPECT_EQ(first->IsConnected(), 0);
    first->Release();

    EXPECT_EQ(second->GetVersion(), 1);
    second->Release();
}
