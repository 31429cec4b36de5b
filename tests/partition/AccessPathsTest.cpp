// Listing, adding and removing a volume's access paths.
#include "partition/PartitionTest.h"

#include <string>

namespace {

using WString = std::basic_string<WCHAR>;

const HRESULT kNoMoreItems = static_cast<HRESULT>(0x80070103);

class AccessPaths : public PartitionTest {
protected:
    WString First()
    {
        WCHAR buffer[MAX_PATH] = {};
        const HRESULT hr = partition->GetFirstAccessPath(buffer, MAX_PATH);
        return hr == S_OK ? WString(buffer, buffer + lstrlenW(buffer)) : KXW("<error>");
    }
    WString Next()
    {
        WCHAR buffer[MAX_PATH] = {};
        const HRESULT hr = partition->GetNextAccessPath(buffer, MAX_PATH);
        return hr == S_OK ? WString(buffer, buffer + lstrlenW(buffer)) : KXW("<end>");
    }
};

TEST_F(AccessPaths, FirstThenNextWalksThePathsInServiceOrder)
{
    AddVolume().AccessPath("D:\\").AccessPath("C:\\mnt\\data\\");
    Open();
    EXPECT_EQ(KXW("D:\\"), First());
    EXPECT_EQ(KXW("C:\\mnt\\data\\"), Next());
    EXPECT_EQ(KXW("<end>"), Next());
    EXPECT_EQ(static_cast<unsigned>(kNoMoreItems), Recorded());
    EXPECT_EQ(KXW("<end>"), Next());
    // A new walk re-reads the list.
    EXPECT_EQ(KXW("D:\\"), First());
    EXPECT_EQ(2, emu.Calls("IVdsVolumeMF::QueryAccessPaths"));
}

TEST_F(AccessPaths, VolumeWithoutPathsLeavesTheBufferAlone)
{
    AddVolume();
    Open();
    WCHAR buffer[8] = {'#', 0};
    EXPECT_EQ(kNoMoreItems, partition->GetFirstAccessPath(buffer, 8));
    EXPECT_EQ(WCHAR('#'), buffer[0]);
    EXPECT_EQ(static_cast<unsigned>(kNoMoreItems), Recorded());
    EXPECT_EQ(kNoMoreItems, partition->GetNextAccessPath(buffer, 8));
}

TEST_F(AccessPaths, AddRefreshesTheListWithTheCursorOnTheFirst)
{
    emu.TakeLetter('C', DRIVE_FIXED);
    AddVolume().AccessPath("D:\\");
    Open();
    ASSERT_EQ(S_OK, partition->AddMountPoint(KXW("C:\\mnt\\x\\")));
    // Entry 0 is handed out only by GetFirstAccessPath.
    EXPECT_EQ(KXW("C:\\mnt\\x\\"), Next());
    EXPECT_EQ(KXW("<end>"), Next());
    ASSERT_EQ(1u, emu.AddAccessPathCalls().size());
    EXPECT_EQ("C:\\mnt\\x\\", emu.AddAccessPathCalls()[0].path);
}

TEST_F(AccessPaths, AddAnsweredWithSFalseSucceeds)
{
    AddVolume().AccessPath("C:\\a\\");
    Open();
    emu.ResetCalls();
    emu.FailNth("IVdsVolumeMF::AddAccessPath", 1, S_FALSE);
    EXPECT_EQ(S_OK, partition->AddMountPoint(KXW("E:\\")));
    EXPECT_EQ(1, emu.Calls("IVdsVolumeMF::QueryAccessPaths"));
    EXPECT_EQ(KXW("C:\\a\\"), Next());
}

TEST_F(AccessPaths, FailedChangesLeaveAnEmptyCache)
{
    struct Case {
        const char* what;
        const char* failing;
        bool deleting;
        const char* record;
    };
    const Case cases[] = {
        {"add refused", "IVdsVolumeMF::AddAccessPath", false,
         "IVDsVolumeMF::AddAccessPath failed (2147500037 - 80004005)"},
        {"delete refused", "IVdsVolumeMF::DeleteAccessPath", true,
         "IVDsVolumeMF::DeleteAccessPath(C:\\a\\) failed (2147500037 - 80004005)"},
        {"re-read after add", "IVdsVolumeMF::QueryAccessPaths", false,
         "IVDsVolumeMF::QueryAccessPaths failed (2147500037 - 80004005)"},
        {"re-read after delete", "IVdsVolumeMF::QueryAccessPaths", true,
         "IVDsVolumeMF::QueryAccessPaths() failed (2147500037 - 80004005)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pack->volumes.clear();
        AddVolume().AccessPath("C:\\a\\").AccessPath("C:\\b\\");
        ScratchLog& log = StartLog();
        Open();
        ASSERT_EQ(KXW("C:\\a\\"), First());
        emu.ResetCalls();
        emu.ClearFaults();
        emu.FailNth(c.failing, 1, E_FAIL);
        const HRESULT hr = c.deleting ? partition->DeleteMountPoint(KXW("C:\\a\\")) : partition->AddMountPoint(KXW("E:\\"));
        EXPECT_EQ(E_FAIL, hr);
        EXPECT_EQ(static_cast<unsigned>(E_FAIL), Recorded());
        EXPECT_EQ(KXW("<end>"), Next());
        partition.reset();
        EXPECT_TRUE(log.Contains(std::string("KXVdsDisks::ERROR : ") + c.record)) << log.Text();
        disk.reset(GetVdsDiskInterface());
    }
}

TEST_F(AccessPaths, DeleteOfAPathTheVolumeLacksIsRefused)
{
    AddVolume().AccessPath("D:\\");
    Open();
    const HRESULT hr = partition->DeleteMountPoint(KXW("Q:\\"));
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(static_cast<unsigned>(hr), Recorded());
    ASSERT_EQ(1u, emu.DeleteAccessPathCalls().size());
    EXPECT_TRUE(emu.DeleteAccessPathCalls()[0].force);
}

TEST_F(AccessPaths, DeleteRemovesThePath)
{
    AddVolume().AccessPath("D:\\").AccessPath("C:\\a\\");
    Open();
    ASSERT_EQ(S_OK, partition->DeleteMountPoint(KXW("D:\\")));
    EXPECT_EQ(KXW("C:\\a\\"), First());
    EXPECT_EQ(KXW("<end>"), Next());
}

TEST_F(AccessPaths, NullArgumentsAreRefusedWithoutCallingTheService)
{
    AddVolume().AccessPath("D:\\");
    Open();
    emu.ResetCalls();
    EXPECT_EQ(E_POINTER, partition->GetFirstAccessPath(nullptr, 10));
    EXPECT_EQ(E_POINTER, partition->GetNextAccessPath(nullptr, 10));
    EXPECT_EQ(E_POINTER, partition->GetVolumeName(nullptr, 10));
    EXPECT_EQ(E_POINTER, partition->AddMountPoint(nullptr));
    EXPECT_EQ(E_POINTER, partition->DeleteMountPoint(nullptr));
    EXPECT_EQ(static_cast<unsigned>(E_POINTER), Recorded());
    EXPECT_EQ(0, emu.TotalCalls());
    // With no room asked for, a null buffer is never touched.
    EXPECT_EQ(S_OK, partition->GetVolumeName(nullptr, 0));
}

TEST_F(AccessPaths, ObjectWithoutVolumeAnswersWithoutCallingTheService)
{
    Open();
    emu.ResetCalls();
    WCHAR buffer[8] = {'#', 0};
    EXPECT_EQ(E_NOINTERFACE, partition->GetFirstAccessPath(buffer, 8));
    EXPECT_EQ(kNoMoreItems, partition->GetNextAccessPath(buffer, 8));
    EXPECT_EQ(E_NOINTERFACE, partition->AddMountPoint(KXW("E:\\")));
    EXPECT_EQ(E_NOINTERFACE, partition->DeleteMountPoint(KXW("E:\\")));
    EXPECT_EQ(E_NOINTERFACE, partition->Shrink(kxemu::MiB));
    EXPECT_EQ(E_NOINTERFACE, partition->Format(KXW("NTFS"), KXW("x"), 1));
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), Recorded());
    EXPECT_EQ(WCHAR('#'), buffer[0]);
    EXPECT_EQ(0, emu.TotalCalls());
}

TEST_F(AccessPaths, ReleasingAPartitionObjectClosesTheLogWhileTheDiskLivesOn)
{
    AddVolume();
    ScratchLog& log = StartLog();
    Open();
    partition.reset();
    // The disk object's next record opens a new logger, which has no
    // component name until another object is made.
    DiskProperties props;
    ASSERT_EQ(S_OK, disk->GetDiskProperties(&props));
    disk.reset();
    const std::string text = log.Text();
    EXPECT_NE(std::string::npos, text.find("\r\nDisk properties: BPS: 512 - Size: 68719476736 - SPT: 63\r\n")) << text;
    size_t summaries = 0;
    for (size_t at = text.find("\r\n-> "); at != std::string::npos; at = text.find("\r\n-> ", at + 1)) ++summaries;
    EXPECT_EQ(2u, summaries) << text;
}

} // namespace
