// Shrinking and formatting a partition's volume, and waiting for the service.
#include "partition/PartitionTest.h"

#include <cstdio>
#include <functional>

namespace {

using kxemu::GiB;
using kxemu::MiB;

const char kShrink[] = "IVdsVolume::Shrink";
const char kFormat[] = "IVdsVolumeMF::Format";

class ShrinkFormat : public PartitionTest {
protected:
    // A second partition of 130 MiB: FAT picks 4096 for it, 2048 below 128 MiB.
    static constexpr ULONGLONG kLargeSize = 130 * MiB;

    kxemu::Volume& AddLargePartition()
    {
        physical->AddPartition(2, 200 * MiB, kLargeSize, 0x07);
        return physical->AddVolume(2).FileSystem(VDS_FST_NTFS, "Large");
    }

    IKXVdsPartition* OpenNumber(unsigned number)
    {
        IKXVdsPartition* p = nullptr;
        EXPECT_EQ(S_OK, disk->GetPartitionByNumber(number, &p));
        return p;
    }

    static std::string Codes(HRESULT hr)
    {
        char text[40];
        std::snprintf(text, sizeof text, "(%u - %8.8X)", static_cast<unsigned>(hr), static_cast<unsigned>(hr));
        return text;
    }
};

TEST_F(ShrinkFormat, ShrinkPassesTheByteCountAndTheObjectKeepsItsLength)
{
    AddVolume();
    AddLargePartition();
    ASSERT_EQ(S_OK, disk->Connect(1));
    PartitionPtr large(OpenNumber(2));
    emu.ResetCalls();

    ASSERT_EQ(S_OK, large->Shrink(10 * MiB + 1));
    EXPECT_EQ(std::vector<ULONGLONG>{10 * MiB + 1}, emu.ShrinkCalls());
    EXPECT_EQ(kLargeSize, large->GetSize());
    EXPECT_EQ(200 * MiB + kLargeSize, large->GetEndOffset());
    PartitionPtr fresh(OpenNumber(2));
    EXPECT_EQ(kLargeSize - 10 * MiB - 1, fresh->GetSize());

    // The unit size still follows the length the object was made with.
    ASSERT_EQ(S_OK, large->Format(KXW("FAT"), KXW("L"), 1));
    ASSERT_EQ(S_OK, fresh->Format(KXW("FAT"), KXW("L"), 1));
    ASSERT_EQ(2u, emu.FormatCalls().size());
    EXPECT_EQ(4096u, emu.FormatCalls()[0].unitSize);
    EXPECT_EQ(2048u, emu.FormatCalls()[1].unitSize);
}

TEST_F(ShrinkFormat, ShrinkRefusedByTheServiceIsRecordedAndTraced)
{
    AddVolume().Used(90 * MiB);
    ScratchLog& log = StartLog();
    Open();

    EXPECT_EQ(VDS_E_SHRINK_SIZE_TOO_BIG, partition->Shrink(20 * MiB));
    EXPECT_EQ(static_cast<unsigned>(VDS_E_SHRINK_SIZE_TOO_BIG), Recorded());
    EXPECT_EQ(std::vector<ULONGLONG>{20 * MiB}, emu.ShrinkCalls());
    EXPECT_TRUE(log.Contains("IVdsVolume::Shrink failed " + Codes(VDS_E_SHRINK_SIZE_TOO_BIG) + "\r\n"))
        << log.Text();
}

TEST_F(ShrinkFormat, FormatAsksForTheChosenFileSystem)
{
    struct Case {
        const WCHAR* name;
        const char* label;
        const WCHAR* wideLabel;
        int quick;
        VDS_FILE_SYSTEM_TYPE type;
        DWORD unit;
    };
    // Partition 1 is 100 MiB long.
    const Case cases[] = {
        {KXW("FAT"), "DISK", KXW("DISK"), 1, VDS_FST_FAT, 2048},
        {KXW("fat32"), "", KXW(""), 0, VDS_FST_FAT32, 32768},
        {KXW("NTFS"), "Data Volume", KXW("Data Volume"), 1, VDS_FST_NTFS, 4096},
        {KXW(""), "x", KXW("x"), 0, VDS_FST_NTFS, 4096},
        {KXW("ext4"), "y", KXW("y"), 1, VDS_FST_NTFS, 4096},
    };
    AddVolume();
    Open();
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i);
        emu.ResetCalls();
        // FAT32 does not fit 100 MiB: the service's answer does not matter here.
        partition->Format(c.name, c.wideLabel, c.quick);
        ASSERT_EQ(1u, emu.FormatCalls().size());
        const kxemu::FormatCall call = emu.FormatCalls()[0];
        EXPECT_EQ(c.type, call.type);
        EXPECT_EQ(c.unit, call.unitSize);
        EXPECT_EQ(c.label, call.label);
        EXPECT_FALSE(call.labelNull);
        EXPECT_EQ(TRUE, call.force);
        EXPECT_EQ(c.quick, call.quick);
        EXPECT_EQ(FALSE, call.compression);
    }
}

TEST_F(ShrinkFormat, FormatWritesTheFileSystem)
{
    kxemu::Volume& volume = AddVolume();
    Open();
    ASSERT_EQ(S_OK, partition->Format(KXW("fat"), KXW("NEW"), 1));
    EXPECT_EQ(VDS_FST_FAT, volume.fileSystem);
    EXPECT_EQ(2048u, volume.unitSize);
    EXPECT_EQ("NEW", volume.label);
}

TEST_F(ShrinkFormat, ExFatIsRefusedWithoutAskingTheService)
{
    AddVolume();
    Open();
    const WCHAR* names[] = {KXW("exFAT"), KXW("EXFAT"), KXW("exfat"), KXW("ExFat")};
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        SCOPED_TRACE(testing::Message() << "name #" << i);
        emu.ResetCalls();
        EXPECT_EQ(E_NOTIMPL, partition->Format(names[i], KXW("x"), 1));
        EXPECT_EQ(static_cast<unsigned>(E_NOTIMPL), Recorded());
        EXPECT_EQ(0, emu.TotalCalls()) << testing::PrintToString(emu.CallLog());
    }
}

TEST_F(ShrinkFormat, ObjectWithoutVolumeRefusesBothWithoutAskingTheService)
{
    // No volume lives on partition 1.
    Open();
    emu.ResetCalls();
    EXPECT_EQ(E_NOINTERFACE, partition->Shrink(1 * MiB));
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), Recorded());
    ASSERT_EQ(static_cast<HRESULT>(0x80070103), partition->GetNextAccessPath(nullptr, 0));
    // The volume is looked for before the name.
    EXPECT_EQ(E_NOINTERFACE, partition->Format(KXW("exFAT"), KXW("x"), 1));
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), Recorded());
    EXPECT_EQ(E_NOINTERFACE, partition->Format(KXW("NTFS"), KXW("x"), 1));
    EXPECT_EQ(0, emu.TotalCalls()) << testing::PrintToString(emu.CallLog());
}

struct Outcome {
    const char* what;
    std::function<void(kxemu::KXEmulator&, const char* method)> arm;
    HRESULT returned;
    bool recorded;      // else the holder keeps what it had
    bool tracesStart;   // the start call's failure record
};

TEST_F(ShrinkFormat, BothWaitTheSameWay)
{
    const HRESULT kPrevious = static_cast<HRESULT>(0x80070103);
    const Outcome outcomes[] = {
        {"start refused", [](kxemu::KXEmulator& e, const char* m) { e.FailNth(m, 1, E_ACCESSDENIED); },
         E_ACCESSDENIED, true, true},
        {"start gave no job", [](kxemu::KXEmulator& e, const char* m) { e.NullObjectNth(m, 1); }, S_OK, true,
         true},
        {"job failed", [](kxemu::KXEmulator& e, const char* m) { e.OperationFailsNth(m, 1, VDS_E_SHRINK_OVER_DATA); },
         VDS_E_SHRINK_OVER_DATA, true, false},
        {"Wait failed", [](kxemu::KXEmulator& e, const char*) { e.FailNth("IVdsAsync::Wait", 1, E_FAIL); }, E_FAIL,
         true, false},
        {"Wait answered S_FALSE", [](kxemu::KXEmulator& e, const char*) { e.FailNth("IVdsAsync::Wait", 1, S_FALSE); },
         S_FALSE, true, false},
        {"job failed, Wait answered S_FALSE",
         [](kxemu::KXEmulator& e, const char* m) {
             e.OperationFailsNth(m, 1, VDS_E_SHRINK_OVER_DATA);
             e.FailNth("IVdsAsync::Wait", 1, S_FALSE);
         },
         VDS_E_SHRINK_OVER_DATA, true, false},
        {"status reported", [](kxemu::KXEmulator& e, const char*) { e.ReportStatusNth(1, E_POINTER); }, E_POINTER, true,
         false},
        {"QueryStatus failed",
         [](kxemu::KXEmulator& e, const char*) { e.FailNth("IVdsAsync::QueryStatus", 1, E_OUTOFMEMORY); },
         E_OUTOFMEMORY, false, false},
        {"done", [](kxemu::KXEmulator&, const char*) {}, S_OK, false, false},
    };
    struct Operation {
        const char* method;
        const char* startRecord;
        std::function<HRESULT(IKXVdsPartition*)> run;
    };
    const Operation operations[] = {
        {kShrink, "IVdsVolume::Shrink failed ", [](IKXVdsPartition* p) { return p->Shrink(1 * MiB); }},
        {kFormat, "IVdsVolumeMF::Format or IVdsAdvancedDisk::FormatPartition failed ",
         [](IKXVdsPartition* p) { return p->Format(KXW("NTFS"), KXW("x"), 1); }},
    };
    AddVolume();
    for (const Operation& op : operations) {
        for (const Outcome& o : outcomes) {
            SCOPED_TRACE(testing::Message() << op.method << ": " << o.what);
            partition.reset();
            emu.ClearFaults();
            ScratchLog& log = StartLog();
            Open();
            // Leaves a code in the holder without a service call.
            partition->GetNextAccessPath(nullptr, 0);
            ASSERT_EQ(static_cast<unsigned>(kPrevious), Recorded());
            emu.ResetCalls();
            o.arm(emu, op.method);

            EXPECT_EQ(o.returned, op.run(partition.get()));
            EXPECT_EQ(static_cast<unsigned>(o.recorded ? o.returned : kPrevious), Recorded());
            EXPECT_EQ(o.tracesStart, log.Contains(op.startRecord + Codes(o.returned) + "\r\n")) << log.Text();
            EXPECT_EQ(o.tracesStart ? 0 : 1, emu.Calls("IVdsAsync::Wait"));
        }
    }
}

} // namespace
