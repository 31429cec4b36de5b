// The file system and allocation unit that a format asks the service for.
#include "partition/FormatUnitSize.h"

#include <gtest/gtest.h>

namespace {

constexpr ULONGLONG MiB = 1024ULL * 1024;
constexpr ULONGLONG GiB = 1024 * MiB;

struct UnitCase {
    ULONGLONG length;
    DWORD unit;
};

void ExpectUnits(const WCHAR* name, VDS_FILE_SYSTEM_TYPE type, const UnitCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(testing::Message() << "length " << cases[i].length);
        const KXFormatChoice choice = ChooseFormat(name, cases[i].length);
        EXPECT_FALSE(choice.refused);
        EXPECT_EQ(type, choice.type);
        EXPECT_EQ(cases[i].unit, choice.unitSize);
    }
}

TEST(FormatUnitSize, FatUnitFollowsTheLengthBands)
{
    // Each band includes its lower bound and excludes its upper one.
    const UnitCase cases[] = {
        {0, 262144},
        {16 * MiB - 1, 262144},
        {16 * MiB, 2048},
        {128 * MiB - 1, 2048},
        {128 * MiB, 4096},
        {256 * MiB - 1, 4096},
        {256 * MiB, 8192},
        {512 * MiB - 1, 8192},
        {512 * MiB, 16384},
        {1 * GiB - 1, 16384},
        {1 * GiB, 32768},
        {2 * GiB - 1, 32768},
        {2 * GiB, 65536},
        {4 * GiB - 1, 65536},
        {4 * GiB, 131072},
        {8 * GiB - 1, 131072},
        {8 * GiB, 262144},
        {~0ULL, 262144},
    };
    ExpectUnits(KXW("FAT"), VDS_FST_FAT, cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(FormatUnitSize, Fat32UnitFollowsTheLengthBands)
{
    const UnitCase cases[] = {
        {0, 32768},
        {512 * MiB - 1, 32768},
        {512 * MiB, 4096},
        {8 * GiB - 1, 4096},
        {8 * GiB, 8192},
        {16 * GiB - 1, 8192},
        {16 * GiB, 16384},
        {32 * GiB - 1, 16384},
        {32 * GiB, 32768},
        {~0ULL, 32768},
    };
    ExpectUnits(KXW("FAT32"), VDS_FST_FAT32, cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(FormatUnitSize, NamesAreComparedWithoutCase)
{
    EXPECT_EQ(VDS_FST_FAT, ChooseFormat(KXW("fat"), 100 * MiB).type);
    EXPECT_EQ(2048u, ChooseFormat(KXW("Fat"), 100 * MiB).unitSize);
    EXPECT_EQ(VDS_FST_FAT32, ChooseFormat(KXW("fat32"), 300 * MiB).type);
    EXPECT_EQ(32768u, ChooseFormat(KXW("Fat32"), 300 * MiB).unitSize);
}

TEST(FormatUnitSize, ExFatIsRefusedInAnyCase)
{
    const WCHAR* names[] = {KXW("exFAT"), KXW("ExFat"), KXW("EXFAT"), KXW("exfat")};
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        SCOPED_TRACE(testing::Message() << "name #" << i);
        EXPECT_TRUE(ChooseFormat(names[i], 100 * MiB).refused);
    }
}

TEST(FormatUnitSize, AnyOtherNameIsNtfsWith4096)
{
    const WCHAR* names[] = {KXW("NTFS"), KXW("ntfs"), KXW(""), KXW("FAT16"), KXW("FAT32 "), KXW("exFAT32"),
                            KXW("ReFS")};
    const ULONGLONG lengths[] = {0, 10 * MiB, 100 * MiB, 64 * GiB};
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        for (ULONGLONG length : lengths) {
            SCOPED_TRACE(testing::Message() << "name #" << i << ", length " << length);
            const KXFormatChoice choice = ChooseFormat(names[i], length);
            EXPECT_FALSE(choice.refused);
            EXPECT_EQ(VDS_FST_NTFS, choice.type);
            EXPECT_EQ(4096u, choice.unitSize);
        }
    }
}

} // namespace
