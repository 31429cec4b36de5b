#include "disk/DiskName.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const WCHAR* name;
    bool found;
    long number;
};

TEST(DiskName, ReadsTheNumberAfterPhysicalDriveLikeWcstol)
{
    const NameCase cases[] = {
        {KXW("\\\\?\\PhysicalDrive1"), true, 1},
        {KXW("\\\\?\\PhysicalDrive10"), true, 10},
        {KXW("\\\\.\\PHYSICALDRIVE1"), false, 0},
        {KXW("\\\\?\\physicaldrive1"), false, 0},
        {KXW("PhysicalDrive"), true, 0},
        {KXW("PhysicalDrive 7x"), true, 7},
        {KXW("PhysicalDrive-3"), true, -3},
        {KXW("PhysicalDrive99999999999"), true, 2147483647},
        {KXW("PhysicalDrive-99999999999"), true, -2147483647 - 1},
        {KXW("\\\\?\\ide#PhysicalDrive2#PhysicalDrive5"), true, 2},
        {KXW(""), false, 0},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        long number = 12345;
        EXPECT_EQ(c.found, ParsePhysicalDriveNumber(c.name, &number));
        if (c.found) {
            EXPECT_EQ(c.number, number);
        }
    }
}

} // namespace
