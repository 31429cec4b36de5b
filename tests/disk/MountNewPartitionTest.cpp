// Giving a newly created partition's volume a drive letter.
#include "disk/NewPartitionTest.h"

#include <functional>
#include <regex>

namespace {

using kxemu::GiB;
using kxemu::MiB;

const ULONGLONG kNewStart = 2 * GiB;

class MountNewPartition : public NewPartitionTest {
protected:
    void SetUp() override
    {
        NewPartitionTest::SetUp();
    }

    // 64 GiB with three partitions, each with an NTFS volume.
    kxemu::Disk& NewDiskWithThreePartitions()
    {
        kxemu::Disk& d = NewDisk(64 * GiB);
        d.AddPartition(1, 1 * MiB, 100 * MiB, 0x07, true);
        d.AddPartition(2, 101 * MiB, 400 * MiB, 0x07);
        d.AddPartition(3, 1 * GiB, 512 * MiB, 0x07);
        for (ULONG number = 1; number <= 3; ++number) d.AddVolume(number).FileSystem(VDS_FST_NTFS);
        return d;
    }

    void TakeLetters(char from, char to, UINT type = DRIVE_FIXED)
    {
        for (char letter = from; letter <= to; ++letter) emu.TakeLetter(letter, type);
    }

    static int Summaries(const std::string& text)
    {
        static const std::regex summary("-> [0-9]{2}/[0-9]{2}/[0-9]{4} - [0-9]{2}:[0-9]{2}:[0-9]{2}");
        return static_cast<int>(
            std::distance(std::sregex_iterator(text.begin(), text.end(), summary), std::sregex_iterator()));
    }
};

TEST_F(MountNewPartition, VolumeGetsTheFirstFreeLetterFromC)
{
    struct Case {
        const char* what;
        std::function<void(kxemu::KXEmulator&, kxemu::Disk&)> arrange;
        const char* letter;
    };
    const Case cases[] = {
        {"all free", [](kxemu::KXEmulator&, kxemu::Disk&) {}, "C:\\"},
        {"C fixed, D CD-ROM",
         [](kxemu::KXEmulator& e, kxemu::Disk&) { e.TakeLetter('C', DRIVE_FIXED).TakeLetter('D', DRIVE_CDROM); },
         "E:\\"},
        {"C on a volume of this disk, D removable",
         [](kxemu::KXEmulator& e, kxemu::Disk& d) {
             e.Machine().FindVolumeOnPartition(d.number, 1)->AccessPath("C:\\");
             e.TakeLetter('D', DRIVE_REMOVABLE);
         },
         "E:\\"},
        {"only Y free",
         [](kxemu::KXEmulator& e, kxemu::Disk&) {
             for (char letter = 'C'; letter <= 'Z'; ++letter)
                 if (letter != 'Y') e.TakeLetter(letter, DRIVE_REMOTE);
         },
         "Y:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kxemu::Disk& d = NewDiskWithThreePartitions();
        c.arrange(emu, d);
        ScratchLog& log = StartLog();
        ConnectDisk();

        ASSERT_EQ(S_OK, Create(kNewStart, 1 * GiB));
        EXPECT_EQ(0u, Recorded());
        ASSERT_EQ(1u, emu.AddAccessPathCalls().size());
        EXPECT_EQ(c.letter, emu.AddAccessPathCalls()[0].path);
        EXPECT_EQ(c.letter, FirstPathAt(newOffset));
        EXPECT_TRUE(log.Contains(std::string("Mount partition to ") + c.letter + "\r\n")) << log.Text();
    }
}

TEST_F(MountNewPartition, VolumeThatAlreadyHasAPathKeepsIt)
{
    NewDiskWithThreePartitions();
    // The service gives new volumes a letter of its own: here D.
    Machine().autoAssignLetters = true;
    emu.TakeLetter('C', DRIVE_FIXED);
    ScratchLog& log = StartLog();
    ConnectDisk();

    ASSERT_EQ(S_OK, Create(kNewStart, 1 * GiB));
    EXPECT_EQ(0u, Recorded());
    EXPECT_TRUE(emu.AddAccessPathCalls().empty());
    EXPECT_EQ("D:\\", FirstPathAt(newOffset));
    EXPECT_TRUE(log.Contains("Already mounted as D:\\\r\n")) << log.Text();
}

TEST_F(MountNewPartition, NoFreeLetterFromCToZLeavesTheVolumeWithout)
{
    NewDiskWithThreePartitions();
    // A and B stay free: they are never given.
    TakeLetters('C', 'Z');
    ScratchLog& log = StartLog();
    ConnectDisk();

    ASSERT_EQ(S_OK, Create(kNewStart, 1 * GiB));
    EXPECT_EQ(0u, Recorded());
    EXPECT_EQ(kNewStart, newOffset);
    EXPECT_TRUE(emu.AddAccessPathCalls().empty());
    EXPECT_EQ("<none>", FirstPathAt(newOffset));
    EXPECT_TRUE(log.Contains("FindFreeMountPoint failed " + Codes(static_cast<HRESULT>(0x80070003)) + "\r\n"))
        << log.Text();
}

TEST_F(MountNewPartition, VolumeNotFoundLeavesTheVolumeWithout)
{
    NewDiskWithThreePartitions();
    ScratchLog& log = StartLog();
    ConnectDisk();
    emu.FailAlways("IVdsVolume::GetProperties", E_FAIL);

    ASSERT_EQ(S_OK, Create(kNewStart, 1 * GiB));
    EXPECT_EQ(0u, Recorded());
    EXPECT_EQ(kNewStart, newOffset);
    EXPECT_TRUE(emu.AddAccessPathCalls().empty());
    EXPECT_EQ(0, emu.Calls("IVdsVolumeMF::QueryAccessPaths"));
    EXPECT_TRUE(log.Contains("IKXVdsPartition::Init failed " + Codes(E_NOINTERFACE) + "\r\n")) << log.Text();
    EXPECT_FALSE(log.Contains("Mount partition to")) << log.Text();
    emu.ClearFaults();
    EXPECT_EQ("<none>", FirstPathAt(newOffset));
}

TEST_F(MountNewPartition, RefusedLetterIsLoggedAfterTheTemporaryObjectClosedTheLog)
{
    NewDiskWithThreePartitions();
    ScratchLog& log = StartLog();
    ConnectDisk();
    emu.FailNth("IVdsVolumeMF::AddAccessPath", 1, E_ACCESSDENIED);

    ASSERT_EQ(S_OK, Create(kNewStart, 1 * GiB));
    EXPECT_EQ(0u, Recorded());
    EXPECT_EQ(kNewStart, newOffset);
    ASSERT_EQ(1u, emu.AddAccessPathCalls().size());
    disk.reset();

    const std::string text = log.Text();
    const std::string refused = "IVDsVolumeMF::AddAccessPath failed " + Codes(E_ACCESSDENIED);
    const std::string notMounted = "IKXVdsPartition::AddMountPoint failed " + Codes(E_ACCESSDENIED) + "\r\n";
    const size_t refusedAt = text.find(refused);
    const size_t notMountedAt = text.find(notMounted);
    ASSERT_NE(std::string::npos, refusedAt) << text;
    ASSERT_NE(std::string::npos, notMountedAt) << text;
    // The temporary object's log ends with a summary; the record that
    // follows opens a new one, which the disk object's end closes.
    EXPECT_EQ(1, Summaries(text.substr(refusedAt, notMountedAt - refusedAt))) << text;
    EXPECT_EQ(2, Summaries(text)) << text;
    // A new logger has no component name until another object is made.
    const size_t lineStart = text.rfind("\r\n", notMountedAt);
    EXPECT_EQ(std::string::npos, text.substr(lineStart, notMountedAt - lineStart).find("KXVdsDisks")) << text;
}

TEST_F(MountNewPartition, CreationWithMountingAsksTheServiceInThisOrder)
{
    NewDiskWithThreePartitions();
    ConnectDisk();
    ASSERT_EQ(S_OK, Create(kNewStart, 1 * GiB));

    // Device calls and enumeration steps belong to the volume search.
    std::vector<std::string> service;
    for (const std::string& call : emu.CallLog())
        if (call.find("IVds") == 0) service.push_back(call);
    const std::vector<std::string> expected = {
        "IVdsAdvancedDisk::QueryPartitions",         // snapshot
        "IVdsDisk::GetProperties",                   // placement
        "IVdsAdvancedDisk::QueryPartitions",
        "IVdsCreatePartitionEx::CreatePartitionEx",  // phase 1
        "IVdsAsync::Wait",
        "IVdsAsync::QueryStatus",
        "IVdsAdvancedDisk::QueryPartitions",         // the new partition
        "IVdsService::QueryProviders",               // its volume
        "IVdsSwProvider::QueryPacks",
        "IVdsPack::QueryVolumes",
        "IVdsVolume::GetProperties",
        "IVdsVolume::GetProperties",
        "IVdsVolume::GetProperties",
        "IVdsVolume::GetProperties",
        "IVdsVolumeMF::QueryAccessPaths",            // no path yet
        "IVdsVolumeMF::AddAccessPath",
        "IVdsVolumeMF::QueryAccessPaths",
    };
    EXPECT_EQ(expected, service) << testing::PrintToString(emu.CallLog());
}

} // namespace
