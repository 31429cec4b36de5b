// What a partition object reports about its partition and its volume.
#include "partition/PartitionTest.h"

#include <cstring>
#include <string>

namespace {

using WString = std::basic_string<WCHAR>;

using kxemu::MiB;

class PartitionProperties : public PartitionTest {};

WString Text(const WCHAR* text)
{
    return WString(text, text + lstrlenW(text));
}

TEST_F(PartitionProperties, PlainGettersReadThePartitionRecord)
{
    physical->partitions.clear();
    physical->AddPartition(1, 1 * MiB, 2 * MiB, 0x0C, true);
    Open();
    EXPECT_EQ(1 * MiB, partition->GetOffset());
    EXPECT_EQ(3 * MiB, partition->GetEndOffset());
    EXPECT_EQ(2 * MiB, partition->GetSize());
    EXPECT_EQ(0x0C, partition->GetPartitionType());
    EXPECT_EQ(1, partition->IsActive());
    EXPECT_EQ(1, partition->IsPrimary());
    EXPECT_EQ(1u, partition->GetPartitionNumber());
    // No volume: the getters above still answer; the volume ones do not.
    EXPECT_EQ(0u, partition->GetUsedSpace());
    EXPECT_EQ(0, partition->IsRecovery());
}

TEST_F(PartitionProperties, GptRecordsGiveTheFirstBytesOfTheirTypeGuid)
{
    physical->partitions.clear();
    const GUID type = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
    physical->AddGptPartition(1, 1 * MiB, 2 * MiB, type);
    Open();
    EXPECT_EQ(0xA2, partition->GetPartitionType());
    EXPECT_EQ(0xA0, partition->IsActive());
}

TEST_F(PartitionProperties, VolumeNameFollowsTheCopyRule)
{
    AddVolume();
    Open();
    const WString full = KXW("\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1");
    struct Case {
        int capacity;
        WString expected; // "#" marks an untouched buffer
    };
    const Case cases[] = {
        {0, KXW("#")},
        {-1, KXW("#")},
        {1, KXW("")},
        {5, full.substr(0, 4)},
        {static_cast<int>(full.size()), full.substr(0, full.size() - 1)},
        {static_cast<int>(full.size()) + 1, full},
        {260, full},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        WCHAR buffer[300];
        for (WCHAR& ch : buffer) ch = '#';
        buffer[1] = 0;
        EXPECT_EQ(S_OK, partition->GetVolumeName(buffer, c.capacity));
        EXPECT_EQ(c.expected, Text(buffer));
        EXPECT_EQ(0u, Recorded());
    }
}

TEST_F(PartitionProperties, VolumeNameFailureIsLoggedAndRecorded)
{
    AddVolume();
    ScratchLog& log = StartLog();
    ASSERT_EQ(S_OK, disk->Connect(1));
    IKXVdsPartition* p = nullptr;
    ASSERT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
    partition.reset(p);
    emu.ResetCalls();
    emu.FailNth("IVdsVolume::GetProperties", 1, E_ACCESSDENIED);
    WCHAR buffer[8] = {'#', 0};
    EXPECT_EQ(E_ACCESSDENIED, partition->GetVolumeName(buffer, 8));
    EXPECT_EQ(static_cast<unsigned>(E_ACCESSDENIED), Recorded());
    EXPECT_EQ(KXW("#"), Text(buffer));
    partition.reset();
    EXPECT_TRUE(log.Contains("ERROR : IVDsVolume::GetProperties failed (2147942405 - 80070005)")) << log.Text();
}

TEST_F(PartitionProperties, UsedSpaceIsTotalLessFree)
{
    AddVolume().Used(40 * MiB);
    Open();
    EXPECT_EQ(40 * MiB, partition->GetUsedSpace());
}

TEST_F(PartitionProperties, UsedSpaceWithoutReadableFileSystemIsZero)
{
    physical->AddVolume(1);
    Open();
    EXPECT_EQ(0u, Recorded());
    EXPECT_EQ(0u, partition->GetUsedSpace());
}

TEST_F(PartitionProperties, RecoveryTagIsReadWhereTheFileSystemKeepsIt)
{
    struct Case {
        const char* what;
        VDS_FILE_SYSTEM_TYPE fs;
        const char* oemName;
        const char* ntfsTag;
        int recovery;
    };
    const Case cases[] = {
        {"FAT32 OEM name", VDS_FST_FAT32, "RECOVERY", "", 1},
        {"FAT32 lower case", VDS_FST_FAT32, "recovery", "", 1},
        {"FAT32 mixed case", VDS_FST_FAT32, "ReCoVeRy", "", 1},
        {"FAT32 other name", VDS_FST_FAT32, "MSDOS5.0", "", 0},
        {"FAT32 zero byte inside", VDS_FST_FAT32, "RECOVER\0", "", 0},
        {"NTFS tag", VDS_FST_NTFS, "NTFS    ", "RECOVERY", 1},
        {"NTFS ignores the OEM name", VDS_FST_NTFS, "RECOVERY", "NOTAGHER", 0},
    };
    // 4K-native disks read whole 4096-byte sectors only.
    for (const ULONG sectorBytes : {512u, 4096u})
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ", " << sectorBytes << "-byte sectors");
        physical->bytesPerSector = sectorBytes;
        pack->volumes.clear();
        kxemu::Volume& v = physical->AddVolume(1).FileSystem(c.fs);
        v.NtfsTag(c.ntfsTag);
        if (c.fs == VDS_FST_NTFS) {
            v.OemName(c.oemName);
        } else {
            std::memcpy(v.bootSector.data() + 3, c.oemName, 8);
        }
        Open();
        EXPECT_EQ(c.recovery, partition->IsRecovery());
        EXPECT_EQ(0u, Recorded());
        partition.reset();
        disk.reset(GetVdsDiskInterface());
    }
}

TEST_F(PartitionProperties, UnreadableBootSectorIsNotRecovery)
{
    AddVolume().NtfsTag("RECOVERY");
    Open();
    emu.ResetCalls();
    emu.FailNth("ReadFile", 1, ERROR_NOT_READY);
    EXPECT_EQ(0, partition->IsRecovery());
    EXPECT_EQ(0x80070015u, Recorded());
    emu.ResetCalls();
    emu.ClearFaults();
    emu.FailNth("CreateFileW", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, partition->IsRecovery());
    EXPECT_EQ(0x80070005u, Recorded());
}

} // namespace
