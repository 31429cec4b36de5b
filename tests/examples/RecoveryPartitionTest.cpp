// The recovery-partition example's job on emulated machines: where the
// partition goes, what it becomes, and how each failure is reported.
#include "RecoveryPartition.h"
#include "common/EmulatorTest.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using kxemu::GiB;
using kxemu::MiB;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScratchFile = std::unique_ptr<std::FILE, FileCloser>;

std::string ReadAll(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[512];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

struct JobRun {
    int status;
    std::string out;
    std::string err;
};

class RecoveryPartitionExample : public EmulatorTest {
protected:
    static constexpr ULONGLONG kThirdStart = 101 * MiB + 20 * GiB;
    static constexpr ULONGLONG kThirdSize = 10 * GiB;

    // Disk 1: a full system partition, C: with 2 GiB free, a data volume with
    // 8 GiB free: three of the four MBR entries.
    void NewMachine()
    {
        Machine().Clear();
        physical = &Machine().AddProvider().AddPack().AddDisk(1, 64 * GiB);
        physical->AddPartition(1, 1 * MiB, 100 * MiB, 0x07, true);
        physical->AddVolume(1).FileSystem(VDS_FST_NTFS, "System").Used(99 * MiB);
        physical->AddPartition(2, 101 * MiB, 20 * GiB, 0x07);
        physical->AddVolume(2).FileSystem(VDS_FST_NTFS, "Windows").Used(18 * GiB).AccessPath("C:\\");
        physical->AddPartition(3, kThirdStart, kThirdSize, 0x07);
        physical->AddVolume(3).FileSystem(VDS_FST_NTFS, "Data").Used(2 * GiB);
    }

    JobRun Run(int diskNumber, ULONGLONG size)
    {
        ScratchFile out(std::tmpfile());
        ScratchFile err(std::tmpfile());
        const int status = MakeRecoveryPartition(diskNumber, size, out.get(), err.get());
        return {status, ReadAll(out.get()), ReadAll(err.get())};
    }

    kxemu::Disk* physical = nullptr;
};

TEST_F(RecoveryPartitionExample, RoomiestVolumeGivesUpTheSpaceForAFormattedRecoveryPartition)
{
    NewMachine();
    const JobRun run = Run(1, 500 * MiB - 1);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);

    // The size in whole MiB, and 2 MiB for the service's placement.
    EXPECT_EQ(kThirdSize - 502 * MiB, physical->FindPartition(3)->size);
    const kxemu::Partition* made = nullptr;
    for (const kxemu::Partition& p : physical->partitions)
        if (p.type == 0x27) made = &p;
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(physical->FindPartition(3)->End(), made->offset);
    EXPECT_EQ(500 * MiB, made->size);

    const kxemu::Volume* volume = Machine().FindVolumeOnPartition(1, made->number);
    ASSERT_NE(nullptr, volume);
    EXPECT_EQ(VDS_FST_NTFS, volume->fileSystem);
    EXPECT_EQ("Recovery", volume->label);
    EXPECT_EQ(std::vector<std::string>{"D:\\"}, volume->accessPaths);

    std::string expected = "Shrinking partition 3 (" + std::to_string(8 * GiB) + " bytes free) by " +
                           std::to_string(502 * MiB) + " bytes.\n";
    expected += "Recovery partition on disk 1, formatted NTFS, labelled \"Recovery\":\n";
    expected += "  partition   " + std::to_string(made->number) + ", type 0x27\n";
    expected += "  start       " + std::to_string(made->offset) + "\n";
    expected += "  end         " + std::to_string(made->End()) + "\n";
    expected += "  size        " + std::to_string(made->size) + " bytes\n";
    expected += "  volume      " + volume->name + "\n";
    expected += "  path        D:\\\n";
    expected += "  IsRecovery  0: no RECOVERY tag in the boot sector yet; the recovery tool writes it\n";
    EXPECT_EQ(expected, run.out);
}

TEST_F(RecoveryPartitionExample, EachFailureIsReportedWithItsCodeAndMeaning)
{
    struct Case {
        const char* what;
        std::function<void(kxemu::KXEmulator&)> arm;
        int diskNumber;
        ULONGLONG size;
        std::string report;
    };
    const std::string freed =
        std::to_string(502 * MiB) + " bytes from " + std::to_string(kThirdStart + kThirdSize - 502 * MiB);
    const Case cases[] = {
        {"no such disk", [](kxemu::KXEmulator&) {}, 7, 500 * MiB,
         "Connect failed: 0x80004002 E_NOINTERFACE: no disk with that number, or the partition has no volume\n"},
        {"no volume has the room", [](kxemu::KXEmulator&) {}, 1, 8 * GiB - 2 * MiB,
         "No MBR partition of type 0x07 (NTFS) on disk 1 has a volume with more than " + std::to_string(8 * GiB) +
             " bytes free.\n"},
        {"the shrink job fails",
         [](kxemu::KXEmulator& e) { e.OperationFailsNth("IVdsVolume::Shrink", 1, VDS_E_SHRINK_OVER_DATA); }, 1,
         500 * MiB,
         "Shrink failed: 0x80042816 VDS_E_SHRINK_OVER_DATA: the space holds data that cannot be moved\n"},
        {"the creation is refused",
         [](kxemu::KXEmulator& e) {
             e.FailAlways("IVdsCreatePartitionEx::CreatePartitionEx", VDS_E_PARTITION_LIMIT_REACHED);
         },
         1, 500 * MiB,
         "CreatePartition failed: 0x80042407 VDS_E_PARTITION_LIMIT_REACHED: the partition table has no free "
         "entry\nThe volume was shrunk: " +
             freed + " stay free.\n"},
        {"the format is refused",
         [](kxemu::KXEmulator& e) { e.FailNth("IVdsVolumeMF::Format", 1, E_ACCESSDENIED); }, 1, 500 * MiB,
         "Format failed: 0x80070005 E_ACCESSDENIED: access denied: run as administrator\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewMachine();
        emu.ClearFaults();
        emu.ResetCalls();
        c.arm(emu);
        const JobRun run = Run(c.diskNumber, c.size);
        EXPECT_EQ(1, run.status);
        EXPECT_EQ(c.report, run.err);
    }
}

} // namespace
