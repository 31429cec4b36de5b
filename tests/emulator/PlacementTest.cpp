// CreatePartitionEx: where the service puts a partition and what it refuses.
#include "EmulatorFixture.h"

using namespace kxemu;

namespace {

const HRESULT kAbort = static_cast<HRESULT>(0x80004004);  // E_ABORT

CREATE_PARTITION_PARAMETERS Mbr(BYTE type, bool active = false)
{
    CREATE_PARTITION_PARAMETERS p = {};
    p.style = VDS_PST_MBR;
    p.MbrPartInfo.partitionType = type;
    p.MbrPartInfo.bootIndicator = active;
    return p;
}

class EmulatorPlacement : public EmulatorTest {
protected:
    // 64 GiB: a primary at 1 MiB, an extended container from 101 MiB to 1125 MiB
    // with one logical drive from 102 MiB to 302 MiB.
    EmulatorPlacement()
    {
        Disk& d = pack->AddDisk(1, 64 * GiB);
        d.AddPartition(1, 1 * MiB, 100 * MiB, 0x07, true);
        d.AddPartition(0, 101 * MiB, 1 * GiB, 0x0F);
        d.AddPartition(5, 102 * MiB, 200 * MiB, 0x07);
        disk = &d;
    }

    HRESULT Create(IUnknown* object, ULONGLONG offset, ULONGLONG size, BYTE type, ULONG align,
                   Ref<IVdsAsync>* job = nullptr, bool active = false)
    {
        auto create = As<IVdsCreatePartitionEx>(object, IID_IVdsCreatePartitionEx);
        CREATE_PARTITION_PARAMETERS p = Mbr(type, active);
        Ref<IVdsAsync> local;
        Ref<IVdsAsync>& async = job ? *job : local;
        return create->CreatePartitionEx(offset, size, align, &p, async.put());
    }

    const Partition* At(ULONGLONG offset)
    {
        for (const Partition& p : disk->partitions)
            if (p.offset == offset) return &p;
        return nullptr;
    }

    Disk* disk;
};

TEST_F(EmulatorPlacement, RefusesWhatTheServiceRefuses)
{
    struct Row {
        const char* name;
        ULONGLONG offset;
        ULONGLONG size;
        BYTE type;
        ULONG align;
        HRESULT expected;
    } rows[] = {
        {"start inside a primary", 2 * MiB, 10 * MiB, 0x07, 0, VDS_E_INVALID_SPACE},
        {"moved past the partition table onto a primary", 0, 10 * MiB, 0x07, 0, VDS_E_INVALID_SPACE},
        {"a size of 1 byte", 2 * GiB, 1, 0x07, 0, VDS_E_VOLUME_LENGTH_NOT_SECTOR_SIZE_MULTIPLE},
        {"a size of 1000 bytes", 2 * GiB, 1000, 0x07, 0, VDS_E_VOLUME_LENGTH_NOT_SECTOR_SIZE_MULTIPLE},
        {"overlapping a logical drive", 150 * MiB, 10 * MiB, 0x07, 0, VDS_E_INVALID_SPACE},
        {"across the container's end", 1 * GiB, 200 * MiB, 0x07, 0, VDS_E_INVALID_SPACE},
        {"past the disk's end", 63 * GiB, 2 * GiB, 0x07, 0, VDS_E_INVALID_SPACE},
        {"ending exactly at the disk's end", 63 * GiB, 1 * GiB, 0x07, 0, S_OK},
        {"empty", 2 * GiB, 0, 0x07, 0, E_INVALIDARG},
        {"second container", 2 * GiB, 1 * GiB, 0x05, 0, VDS_E_PARTITION_LIMIT_REACHED},
        {"alignment not a power of two", 2 * GiB, 1 * GiB, 0x07, 3 * 512, VDS_E_ALIGN_NOT_A_POWER_OF_TWO},
        {"alignment below a sector", 2 * GiB, 1 * GiB, 0x07, 256, VDS_E_ALIGN_NOT_SECTOR_SIZE_MULTIPLE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t before = disk->partitions.size();
        Ref<IUnknown> object = DiskObject(1);
        Ref<IVdsAsync> job;
        EXPECT_EQ(row.expected, Create(object.get(), row.offset, row.size, row.type, row.align, &job));
        EXPECT_EQ(row.expected == S_OK, bool(job));
        EXPECT_EQ(before + (row.expected == S_OK ? 1 : 0), disk->partitions.size());
    }
}

TEST_F(EmulatorPlacement, StartMovesUpToTheAlignment)
{
    struct Row {
        ULONGLONG diskSize;
        ULONGLONG offset;
        ULONG align;
        ULONGLONG expected;
    } rows[] = {
        {64 * GiB, 2 * GiB, 0, 2 * GiB},
        {64 * GiB, 3 * GiB + 1, 0, 3 * GiB + 1 * MiB},
        {4 * GiB, 1 * GiB + 4096, 0, 1 * GiB + 1 * MiB},
        {64 * GiB, 5 * GiB + 4096, 4096, 5 * GiB + 4096},
        {4 * GiB - 512, 100 * KiB, 0, 128 * KiB},
        {2 * GiB, 1 * GiB + 512, 0, 1 * GiB + 64 * KiB},
        {64 * GiB, 0, 0, 1 * MiB},
        {2 * GiB, 0, 0, 64 * KiB},
    };
    ULONG number = 10;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.offset);
        Disk& target = pack->AddDisk(number, row.diskSize);
        Ref<IUnknown> object = DiskObject(number++);
        Ref<IVdsAsync> job;
        ASSERT_EQ(S_OK, Create(object.get(), row.offset, 10 * MiB, 0x07, row.align, &job));
        HRESULT result = E_FAIL;
        VDS_ASYNC_OUTPUT output = {};
        ASSERT_EQ(S_OK, job->Wait(&result, &output));
        EXPECT_EQ(S_OK, result);
        EXPECT_EQ(VDS_ASYNCOUT_CREATEPARTITION, output.type);
        EXPECT_EQ(row.expected, output.cp.ullOffset);
        ASSERT_EQ(1u, target.partitions.size());
        EXPECT_EQ(row.expected, target.partitions[0].offset);
        EXPECT_EQ(10 * MiB, target.partitions[0].size);
    }
}

TEST_F(EmulatorPlacement, NewPartitionGetsARawVolumeAndAContainerNone)
{
    Ref<IUnknown> object = DiskObject(1);
    ASSERT_EQ(S_OK, Create(object.get(), 2 * GiB, 1 * GiB, 0x07, 0));
    const Partition* created = At(2 * GiB);
    ASSERT_NE(nullptr, created);
    EXPECT_EQ(6u, created->number);
    Volume* volume = emu.Machine().FindVolumeOnPartition(1, created->number);
    ASSERT_NE(nullptr, volume);
    EXPECT_EQ(VDS_FST_RAW, volume->fileSystem);
    EXPECT_EQ(VDS_VS_ONLINE, volume->status);
    EXPECT_TRUE(volume->accessPaths.empty());
    EXPECT_EQ(1 * GiB, volume->totalBytes);

    Disk& empty = pack->AddDisk(2, 8 * GiB);
    Ref<IUnknown> other = DiskObject(2);
    ASSERT_EQ(S_OK, Create(other.get(), 1 * MiB, 1 * GiB, 0x05, 0));
    ASSERT_EQ(1u, empty.partitions.size());
    EXPECT_EQ(0u, empty.partitions[0].number);
    EXPECT_EQ(nullptr, emu.Machine().FindVolumeOnPartition(2, 0));
}

TEST_F(EmulatorPlacement, LogicalDriveLeavesRoomForItsBootRecord)
{
    struct Row {
        const char* name;
        ULONGLONG offset;
        ULONGLONG expected;
    } rows[] = {
        {"right after a logical drive", 302 * MiB, 303 * MiB},
        {"in free space of the container", 500 * MiB, 500 * MiB},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Ref<IUnknown> object = DiskObject(1);
        ASSERT_EQ(S_OK, Create(object.get(), row.offset, 50 * MiB, 0x07, 0));
        EXPECT_NE(nullptr, At(row.expected));
    }
}

TEST_F(EmulatorPlacement, FifthPrimaryEntryIsRefused)
{
    Ref<IUnknown> object = DiskObject(1);
    ASSERT_EQ(S_OK, Create(object.get(), 2 * GiB, 1 * GiB, 0x07, 0));
    ASSERT_EQ(S_OK, Create(object.get(), 4 * GiB, 1 * GiB, 0x07, 0));
    EXPECT_EQ(VDS_E_PARTITION_LIMIT_REACHED, Create(object.get(), 6 * GiB, 1 * GiB, 0x07, 0));
    // Logical drives take no entry of the table.
    EXPECT_EQ(S_OK, Create(object.get(), 500 * MiB, 50 * MiB, 0x07, 0));
}

TEST_F(EmulatorPlacement, OneActivePartitionPerDisk)
{
    Ref<IUnknown> object = DiskObject(1);
    Ref<IVdsAsync> job;
    EXPECT_EQ(VDS_E_ACTIVE_PARTITION, Create(object.get(), 2 * GiB, 1 * GiB, 0x07, 0, &job, true));
    disk->partitions[0].active = false;
    EXPECT_EQ(S_OK, Create(object.get(), 2 * GiB, 1 * GiB, 0x07, 0, &job, true));
    ASSERT_NE(nullptr, At(2 * GiB));
    EXPECT_TRUE(At(2 * GiB)->active);
}

TEST_F(EmulatorPlacement, ArgumentsOfEveryAttemptAreRecorded)
{
    Ref<IUnknown> object = DiskObject(1);
    Create(object.get(), 2 * MiB, 10 * MiB, 0x07, 0);
    Create(object.get(), 2 * GiB, 10 * MiB, 0x0C, 4096);
    const auto calls = emu.CreatePartitionCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(2 * MiB, calls[0].offset);
    EXPECT_EQ(10 * MiB, calls[0].size);
    EXPECT_EQ(0u, calls[0].align);
    EXPECT_EQ(2 * GiB, calls[1].offset);
    EXPECT_EQ(4096u, calls[1].align);
    EXPECT_TRUE(calls[1].hasParameters);
    EXPECT_EQ(VDS_PST_MBR, calls[1].parameters.style);
    EXPECT_EQ(0x0C, calls[1].parameters.MbrPartInfo.partitionType);
}

TEST_F(EmulatorPlacement, JobFaultsReportThroughWaitAndQueryStatus)
{
    struct Row {
        const char* name;
        void (*arm)(KXEmulator&);
        HRESULT waitReturn;
        HRESULT waitResult;
        HRESULT statusReturn;
        HRESULT status;
        bool created;
    } rows[] = {
        {"operation fails",
         [](KXEmulator& e) {
             e.OperationFailsNth("IVdsCreatePartitionEx::CreatePartitionEx", 0, VDS_E_INVALID_SPACE);
         },
         S_OK, VDS_E_INVALID_SPACE, S_OK, VDS_E_INVALID_SPACE, false},
        {"wait fails", [](KXEmulator& e) { e.FailAlways("IVdsAsync::Wait", E_FAIL); }, E_FAIL, S_OK, S_OK, S_OK,
         true},
        {"status reported", [](KXEmulator& e) { e.ReportStatusNth(0, E_FAIL); }, S_OK, S_OK, S_OK, E_FAIL, true},
        {"status query fails", [](KXEmulator& e) { e.FailAlways("IVdsAsync::QueryStatus", kAbort); },
         S_OK, S_OK, kAbort, S_OK, true},
    };
    ULONGLONG offset = 400 * MiB;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emu.ClearFaults();
        row.arm(emu);
        Ref<IUnknown> object = DiskObject(1);
        Ref<IVdsAsync> job;
        ASSERT_EQ(S_OK, Create(object.get(), offset, 10 * MiB, 0x07, 0, &job));
        HRESULT result = S_OK;
        VDS_ASYNC_OUTPUT output = {};
        EXPECT_EQ(row.waitReturn, job->Wait(&result, &output));
        EXPECT_EQ(row.waitResult, result);
        HRESULT status = S_OK;
        ULONG percent = 0;
        EXPECT_EQ(row.statusReturn, job->QueryStatus(&status, &percent));
        EXPECT_EQ(row.status, status);
        EXPECT_EQ(row.created, At(offset) != nullptr);
        offset += 100 * MiB;
    }
}

TEST_F(EmulatorPlacement, NullJobStillCreates)
{
    emu.NullObjectNth("IVdsCreatePartitionEx::CreatePartitionEx", 1);
    Ref<IUnknown> object = DiskObject(1);
    Ref<IVdsAsync> job;
    EXPECT_EQ(S_OK, Create(object.get(), 2 * GiB, 10 * MiB, 0x07, 0, &job));
    EXPECT_FALSE(job);
    EXPECT_NE(nullptr, At(2 * GiB));
}

} // namespace
