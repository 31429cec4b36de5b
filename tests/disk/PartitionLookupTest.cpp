// Counting partitions and getting partition objects by index, offset, number.
#include "common/EmulatorTest.h"

namespace {

using kxemu::GiB;
using kxemu::MiB;

const HRESULT kNotFound = static_cast<HRESULT>(0x80070002);
IKXVdsPartition* const kSentinel = reinterpret_cast<IKXVdsPartition*>(0x5A5A5A5A);

class PartitionLookup : public EmulatorTest {
protected:
    kxemu::Disk& AddDisk(ULONGLONG size = 64 * GiB)
    {
        kxemu::Disk& d = Machine().AddProvider().AddPack().AddDisk(1, size);
        return d;
    }
    void ConnectDisk() { ASSERT_EQ(S_OK, disk->Connect(1)); }
    PartitionPtr ByOffset(ULONGLONG offset)
    {
        IKXVdsPartition* p = nullptr;
        EXPECT_EQ(S_OK, disk->GetPartitionByOffset(offset, &p));
        return PartitionPtr(p);
    }
};

TEST_F(PartitionLookup, DiskWithoutPartitions)
{
    AddDisk();
    ConnectDisk();
    EXPECT_EQ(0, disk->GetPartitionCount());
    IKXVdsPartition* p = kSentinel;
    for (int index : {-1, 0, 1}) EXPECT_EQ(E_INVALIDARG, disk->GetPartition(index, &p)) << index;
    EXPECT_EQ(kNotFound, disk->GetPartitionByOffset(0, &p));
    EXPECT_EQ(kNotFound, disk->GetPartitionByNumber(1, &p));
    EXPECT_EQ(kSentinel, p);
    EXPECT_EQ(static_cast<unsigned>(kNotFound), KXGetRecordedResult(disk.get()));
}

TEST_F(PartitionLookup, IndexFollowsTheServiceOrderAndStaysInRange)
{
    kxemu::Disk& d = AddDisk();
    d.AddPartition(2, 200 * MiB, 100 * MiB, 0x07);
    d.AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ConnectDisk();
    EXPECT_EQ(2, disk->GetPartitionCount());

    IKXVdsPartition* p = nullptr;
    ASSERT_EQ(S_OK, disk->GetPartition(0, &p));
    PartitionPtr first(p);
    EXPECT_EQ(2u, first->GetPartitionNumber());
    EXPECT_EQ(0u, KXGetRecordedResult(disk.get()));

    p = kSentinel;
    EXPECT_EQ(E_INVALIDARG, disk->GetPartition(2, &p));
    EXPECT_EQ(E_INVALIDARG, disk->GetPartition(-1, &p));
    EXPECT_EQ(E_INVALIDARG, disk->GetPartition(INT32_MIN, &p));
    EXPECT_EQ(kSentinel, p);
    EXPECT_EQ(static_cast<unsigned>(E_INVALIDARG), KXGetRecordedResult(disk.get()));
}

TEST_F(PartitionLookup, OffsetMustMatchExactly)
{
    AddDisk().AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ConnectDisk();
    IKXVdsPartition* p = kSentinel;
    EXPECT_EQ(kNotFound, disk->GetPartitionByOffset(2 * MiB, &p));
    EXPECT_EQ(kNotFound, disk->GetPartitionByOffset(1 * MiB - 1, &p));
    EXPECT_EQ(kSentinel, p);
    PartitionPtr exact = ByOffset(1 * MiB);
    ASSERT_TRUE(exact);
    EXPECT_EQ(1 * MiB, exact->GetOffset());
    EXPECT_EQ(101 * MiB, exact->GetEndOffset());
    EXPECT_EQ(100 * MiB, exact->GetSize());
}

TEST_F(PartitionLookup, FirstOfTwoPartitionsWithOneNumberWins)
{
    kxemu::Disk& d = AddDisk();
    d.AddPartition(3, 500 * MiB, 10 * MiB, 0x07);
    d.AddPartition(3, 1 * MiB, 10 * MiB, 0x0B);
    ConnectDisk();
    IKXVdsPartition* p = nullptr;
    ASSERT_EQ(S_OK, disk->GetPartitionByNumber(3, &p));
    PartitionPtr found(p);
    EXPECT_EQ(500 * MiB, found->GetOffset());
    EXPECT_EQ(0x07, found->GetPartitionType());
}

TEST_F(PartitionLookup, PartitionOfLengthZeroIsNotHandedOut)
{
    AddDisk().AddPartition(1, 1 * MiB, 0, 0x07);
    ConnectDisk();
    IKXVdsPartition* p = kSentinel;
    EXPECT_EQ(kNotFound, disk->GetPartition(0, &p));
    EXPECT_EQ(kSentinel, p);
}

TEST_F(PartitionLookup, PrimaryFlagAroundTheExtendedPartition)
{
    struct Case {
        ULONGLONG offset;
        int primary;
    };
    for (BYTE container : {BYTE(0x05), BYTE(0x0F)}) {
        SCOPED_TRACE(int(container));
        Machine().Clear();
        kxemu::Disk& d = AddDisk();
        d.AddPartition(5, 2 * MiB, 1 * MiB, 0x07);      // logical drive
        d.AddPartition(1, 1 * MiB, 9 * MiB, container); // extended 1..10 MiB
        d.AddPartition(2, 10 * MiB, 1 * MiB, 0x07);     // right after it
        d.AddPartition(3, 20 * MiB, 1 * MiB, 0x07);
        ConnectDisk();
        const Case cases[] = {{2 * MiB, 0}, {1 * MiB, 1}, {10 * MiB, 1}, {20 * MiB, 1}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.offset);
            PartitionPtr p = ByOffset(c.offset);
            ASSERT_TRUE(p);
            EXPECT_EQ(c.primary, p->IsPrimary());
        }
        disk.reset(GetVdsDiskInterface());
    }
}

TEST_F(PartitionLookup, FirstExtendedRecordGivesTheBounds)
{
    kxemu::Disk& d = AddDisk();
    d.AddPartition(1, 100 * MiB, 100 * MiB, 0x0F);
    d.AddPartition(2, 1 * MiB, 50 * MiB, 0x05);
    d.AddPartition(5, 150 * MiB, 10 * MiB, 0x07);
    d.AddPartition(6, 20 * MiB, 10 * MiB, 0x07);
    ConnectDisk();
    EXPECT_EQ(0, ByOffset(150 * MiB)->IsPrimary());
    // Inside the later type-5 record but not the first container.
    EXPECT_EQ(1, ByOffset(20 * MiB)->IsPrimary());
}

TEST_F(PartitionLookup, ExtendedPartitionOfAbsurdLengthEndsAtTheLargestPosition)
{
    // Its end does not fit a signed position: it must not wrap below its start.
    kxemu::Disk& d = AddDisk();
    d.AddPartition(1, 1 * GiB, static_cast<ULONGLONG>(INT64_MAX), 0x05);
    d.AddPartition(5, 2 * GiB, 1 * GiB, 0x07);
    ConnectDisk();
    EXPECT_EQ(0, ByOffset(2 * GiB)->IsPrimary());
}

TEST_F(PartitionLookup, PartitionWithoutVolumeIsStillHandedOut)
{
    AddDisk().AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ConnectDisk();
    ScratchLog& log = StartLog();
    ConnectDisk();
    PartitionPtr p = ByOffset(1 * MiB);
    ASSERT_TRUE(p);
    EXPECT_EQ(0u, KXGetRecordedResult(disk.get()));
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), KXGetRecordedResult(p.get()));
    p.reset();
    EXPECT_TRUE(log.Contains("KXVdsDisks::IKXVdsPartition::Init failed (2147500034 - 80004002)\r\n")) << log.Text();
}

TEST_F(PartitionLookup, QueryFailuresAreReturnedAndCountIsZero)
{
    AddDisk().AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ConnectDisk();
    struct Case {
        HRESULT injected;
        HRESULT returned;
    };
    const Case cases[] = {{S_FALSE, kNotFound}, {E_ACCESSDENIED, E_ACCESSDENIED}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.injected);
        emu.ResetCalls();
        emu.ClearFaults();
        emu.FailAlways("IVdsAdvancedDisk::QueryPartitions", c.injected);
        EXPECT_EQ(0, disk->GetPartitionCount());
        IKXVdsPartition* p = kSentinel;
        EXPECT_EQ(c.returned, disk->GetPartition(0, &p));
        EXPECT_EQ(c.returned, disk->GetPartitionByOffset(1 * MiB, &p));
        EXPECT_EQ(c.returned, disk->GetPartitionByNumber(1, &p));
        EXPECT_EQ(kSentinel, p);
        EXPECT_EQ(static_cast<unsigned>(c.returned), KXGetRecordedResult(disk.get()));
    }
}

TEST_F(PartitionLookup, NullOutPointerIsRefusedBeforeAnyObjectIsMade)
{
    AddDisk().AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ConnectDisk();
    emu.ResetCalls();
    EXPECT_EQ(E_POINTER, disk->GetPartition(0, nullptr));
    EXPECT_EQ(E_POINTER, disk->GetPartitionByOffset(1 * MiB, nullptr));
    EXPECT_EQ(E_POINTER, disk->GetPartitionByNumber(1, nullptr));
    EXPECT_EQ(static_cast<unsigned>(E_POINTER), KXGetRecordedResult(disk.get()));
    EXPECT_EQ(0, emu.TotalCalls());
}

TEST_F(PartitionLookup, TwoLookupsGiveIndependentObjects)
{
    AddDisk().AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ConnectDisk();
    PartitionPtr a = ByOffset(1 * MiB);
    PartitionPtr b = ByOffset(1 * MiB);
    EXPECT_NE(a.get(), b.get());
    // Partition objects outlive the disk object.
    disk.reset();
    EXPECT_EQ(100 * MiB, a->GetSize());
}

TEST_F(PartitionLookup, ByNumberMakesOnlyTheCallsItNeeds)
{
    // 2 providers, 3 packs, 40 volumes; the wanted volume is the last one.
    kxemu::Pack& diskPack = Machine().AddProvider().AddPack();
    kxemu::Disk& d = diskPack.AddDisk(1, 512 * GiB);
    for (ULONG n = 1; n <= 40; ++n) d.AddPartition(n, n * GiB, 512 * MiB, 0x07);
    kxemu::Pack& second = Machine().AddProvider().AddPack();
    kxemu::Pack& third = Machine().providers.back()->AddPack();
    kxemu::Pack* packs[] = {&diskPack, &second, &third};
    for (ULONG n = 1; n <= 40; ++n) {
        kxemu::Volume& v = (n == 40 ? &third : packs[(n - 1) % 3])->AddVolume();
        v.extents.push_back({1, n == 40 ? 40 : 100 + n});
        v.FileSystem(VDS_FST_NTFS);
    }
    ConnectDisk();
    emu.ResetCalls();

    IKXVdsPartition* p = nullptr;
    ASSERT_EQ(S_OK, disk->GetPartitionByNumber(40, &p));
    PartitionPtr found(p);
    ASSERT_EQ(0u, KXGetRecordedResult(found.get()));
    EXPECT_EQ(1, emu.Calls("IVdsAdvancedDisk::QueryPartitions"));
    EXPECT_EQ(1, emu.Calls("IVdsService::QueryProviders"));
    EXPECT_EQ(2, emu.Calls("IVdsSwProvider::QueryPacks"));
    EXPECT_EQ(3, emu.Calls("IVdsPack::QueryVolumes"));
    EXPECT_EQ(40, emu.Calls("IVdsVolume::GetProperties"));
    EXPECT_EQ(80, emu.Calls("CreateFileW"));
    EXPECT_EQ(80, emu.Calls("DeviceIoControl"));
    EXPECT_EQ(40, emu.Calls("GetDriveTypeW"));
    // Providers 2+1, packs 1+1 and 2+1, volumes 13+1, 13+1 and 14+1.
    EXPECT_EQ(51, emu.Calls("IEnumVdsObject::Next"));
    EXPECT_EQ(1 + 1 + 2 + 3 + 40 + 80 + 80 + 40 + 51, emu.TotalCalls()) << testing::PrintToString(emu.CallLog());
}

} // namespace
