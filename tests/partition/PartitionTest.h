// A connected disk 1 with one partition (number 1 at 1 MiB, 100 MiB) and
// helpers to get its partition object.
#pragma once

#include "common/EmulatorTest.h"

class PartitionTest : public EmulatorTest {
protected:
    static constexpr ULONGLONG kOffset = kxemu::MiB;
    static constexpr ULONGLONG kSize = 100 * kxemu::MiB;

    void SetUp() override
    {
        EmulatorTest::SetUp();
        pack = &Machine().AddProvider().AddPack();
        physical = &pack->AddDisk(1, 64 * kxemu::GiB);
        physical->AddPartition(1, kOffset, kSize, 0x07, true);
    }
    void TearDown() override
    {
        partition.reset();
        EmulatorTest::TearDown();
    }

    // The volume on partition 1, online, NTFS.
    kxemu::Volume& AddVolume() { return physical->AddVolume(1).FileSystem(VDS_FST_NTFS, "Data"); }

    IKXVdsPartition* Open()
    {
        EXPECT_EQ(S_OK, disk->Connect(1));
        IKXVdsPartition* p = nullptr;
        EXPECT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
        partition.reset(p);
        return p;
    }
    unsigned Recorded() const { return KXGetRecordedResult(partition.get()); }

    kxemu::Pack* pack = nullptr;
    kxemu::Disk* physical = nullptr;
    PartitionPtr partition;
};
