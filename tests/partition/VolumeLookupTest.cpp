// How a partition object finds the volume that lives on its partition.
#include "partition/PartitionTest.h"

namespace {

using kxemu::MiB;

class VolumeLookup : public PartitionTest {};

TEST_F(VolumeLookup, FindsTheOnlineVolumeOnThisDiskAndPartition)
{
    AddVolume();
    ScratchLog& log = StartLog();
    Open();
    EXPECT_EQ(0u, Recorded());
    WCHAR name[64] = {};
    ASSERT_EQ(S_OK, partition->GetVolumeName(name, 64));
    partition.reset();
    EXPECT_TRUE(log.Contains("KXVdsDisks::\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\ Found!\r\n")) << log.Text();
}

TEST_F(VolumeLookup, VolumesThatAreNotOnThePartitionNeverMatch)
{
    struct Case {
        const char* what;
        void (*shape)(kxemu::Volume&);
    };
    const Case cases[] = {
        {"offline", [](kxemu::Volume& v) { v.Status(VDS_VS_OFFLINE); }},
        {"no root directory", [](kxemu::Volume& v) { v.driveType = DRIVE_NO_ROOT_DIR; }},
        {"unknown drive type", [](kxemu::Volume& v) { v.driveType = DRIVE_UNKNOWN; }},
        {"CD-ROM", [](kxemu::Volume& v) { v.driveType = DRIVE_CDROM; }},
        {"other disk", [](kxemu::Volume& v) { v.extents[0].diskNumber = 2; }},
        {"other partition", [](kxemu::Volume& v) { v.extents[0].partitionNumber = 2; }},
        {"two extents", [](kxemu::Volume& v) { v.extents.push_back({1, 1}); }},
        {"no name", [](kxemu::Volume& v) { v.nameMissing = true; v.propertiesResult = VDS_S_PROPERTIES_INCOMPLETE; }},
        {"no IVdsVolumeMF", [](kxemu::Volume& v) { v.mfInterface = false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pack->volumes.clear();
        c.shape(AddVolume());
        Open();
        EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), Recorded());
        WCHAR name[8];
        EXPECT_EQ(E_NOINTERFACE, partition->GetVolumeName(name, 8));
        partition.reset();
        disk.reset(GetVdsDiskInterface());
    }
}

TEST_F(VolumeLookup, RemovableVolumeMatches)
{
    AddVolume().driveType = DRIVE_REMOVABLE;
    Open();
    EXPECT_EQ(0u, Recorded());
}

TEST_F(VolumeLookup, IncompletePropertiesWithANameStillMatch)
{
    AddVolume().propertiesResult = VDS_S_PROPERTIES_INCOMPLETE;
    Open();
    EXPECT_EQ(0u, Recorded());
}

TEST_F(VolumeLookup, PropertiesFailureEndsOnlyThatPack)
{
    // The first pack's broken volume hides its later match; the next pack's is found.
    kxemu::Volume& broken = pack->AddVolume();
    broken.extents.push_back({9, 9});
    broken.propertiesResult = E_FAIL;
    kxemu::Volume& hidden = pack->AddVolume();
    hidden.extents.push_back({1, 1});
    hidden.FileSystem(VDS_FST_FAT32);
    kxemu::Volume& found = Machine().AddProvider().AddPack().AddVolume();
    found.extents.push_back({1, 1});
    found.FileSystem(VDS_FST_NTFS);
    ScratchLog& log = StartLog();

    Open();
    EXPECT_EQ(0u, Recorded());
    WCHAR name[64] = {};
    ASSERT_EQ(S_OK, partition->GetVolumeName(name, 64));
    EXPECT_EQ(found.index, static_cast<ULONG>(name[lstrlenW(name) - 1] - '0'));
    partition.reset();
    EXPECT_TRUE(log.Contains("KXVdsDisks::ERROR : IVDsVolume::GetProperties failed (2147500037 - 80004005)"))
        << log.Text();
}

TEST_F(VolumeLookup, ProviderAndPackFailuresAreSkipped)
{
    struct Case {
        const char* method;
        bool nullObject;
        const char* record;
    };
    const Case cases[] = {
        {"IVdsSwProvider::QueryPacks", false, "IVdsSwProvider::QueryPacks failed (2147500037 - 80004005)"},
        {"IVdsSwProvider::QueryPacks", true, "IVdsSwProvider::QueryPacks returns IEnumVdsObject=NULL"},
        {"IVdsPack::QueryVolumes", false, "IVdsPack::QueryVolumes failed (2147500037 - 80004005)"},
        {"IVdsPack::QueryVolumes", true, "IVdsPack::QueryVolumes returns IEnumVdsObject=NULL"},
    };
    // The volume lives in a second provider's pack.
    kxemu::Volume& v = Machine().AddProvider().AddPack().AddVolume();
    v.extents.push_back({1, 1});
    v.FileSystem(VDS_FST_NTFS);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.method << (c.nullObject ? " null" : " fails"));
        ScratchLog& log = StartLog();
        ASSERT_EQ(S_OK, disk->Connect(1));
        emu.ResetCalls();
        emu.ClearFaults();
        if (c.nullObject)
            emu.NullObjectNth(c.method, 1);
        else
            emu.FailNth(c.method, 1, E_FAIL);
        IKXVdsPartition* p = nullptr;
        ASSERT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
        partition.reset(p);
        EXPECT_EQ(0u, Recorded());
        partition.reset();
        EXPECT_TRUE(log.Contains(std::string("KXVdsDisks::ERROR : ") + c.record)) << log.Text();
    }
}

TEST_F(VolumeLookup, ServiceFailuresEndTheSearch)
{
    AddVolume();
    ASSERT_EQ(S_OK, disk->Connect(1));
    struct Case {
        bool nullObject;
        HRESULT recorded;
    };
    for (const Case& c : {Case{false, E_ACCESSDENIED}, Case{true, E_NOINTERFACE}}) {
        emu.ResetCalls();
        emu.ClearFaults();
        if (c.nullObject)
            emu.NullObjectNth("IVdsService::QueryProviders", 1);
        else
            emu.FailNth("IVdsService::QueryProviders", 1, c.recorded);
        IKXVdsPartition* p = nullptr;
        ASSERT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
        partition.reset(p);
        EXPECT_EQ(static_cast<unsigned>(c.recorded), Recorded());
        EXPECT_EQ(0, emu.Calls("IVdsSwProvider::QueryPacks"));
    }
}

} // namespace

namespace {

TEST_F(VolumeLookup, VolumeThatCannotBeOpenedIsLoggedAndSkipped)
{
    AddVolume();
    ScratchLog& log = StartLog();
    ASSERT_EQ(S_OK, disk->Connect(1));
    emu.ResetCalls();
    emu.FailNth("CreateFileW", 1, ERROR_ACCESS_DENIED);
    IKXVdsPartition* p = nullptr;
    ASSERT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
    partition.reset(p);
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), Recorded());
    partition.reset();
    EXPECT_TRUE(log.Contains("KXVdsDisks::ERROR : CreateFile(\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1) failed "
                             "(5 - 00000005) : " +
                             SystemText(ERROR_ACCESS_DENIED)))
        << log.Text();
}

} // namespace
