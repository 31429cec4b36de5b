// Connect and disk discovery against the emulated service.
#include "common/EmulatorTest.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using kxemu::GiB;

class Connect : public EmulatorTest {};

TEST_F(Connect, SelectsTheDiskWhoseNameCarriesTheNumber)
{
    auto& pack = Machine().AddProvider().AddPack();
    pack.AddDisk(1, 8 * GiB);
    pack.AddDisk(10, 16 * GiB);

    ASSERT_EQ(S_OK, disk->Connect(10));
    EXPECT_NE(0, disk->IsConnected());
    EXPECT_EQ(0u, KXGetRecordedResult(disk.get()));
    DiskProperties props = {};
    ASSERT_EQ(S_OK, disk->GetDiskProperties(&props));
    EXPECT_EQ(16 * GiB, props.ullSize);

    ASSERT_EQ(S_OK, disk->Connect(1));
    ASSERT_EQ(S_OK, disk->GetDiskProperties(&props));
    EXPECT_EQ(8 * GiB, props.ullSize);
}

TEST_F(Connect, NameMatchIsExactCase)
{
    auto& d = Machine().AddProvider().AddPack().AddDisk(2, GiB);
    d.name = "\\\\?\\physicaldrive2";
    EXPECT_EQ(E_NOINTERFACE, disk->Connect(2));
    EXPECT_EQ(0, disk->IsConnected());
}

TEST_F(Connect, UnknownNumberKeepsTheServiceLoaded)
{
    Machine().AddProvider().AddPack().AddDisk(0, GiB);
    EXPECT_EQ(E_NOINTERFACE, disk->Connect(7));
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), KXGetRecordedResult(disk.get()));
    EXPECT_EQ(0, disk->IsConnected());
    EXPECT_EQ(1, emu.LiveObjects("Service"));
    EXPECT_EQ(0, emu.LiveObjects("Disk"));
}

TEST_F(Connect, EmptyProviderListFindsNothing)
{
    EXPECT_EQ(E_NOINTERFACE, disk->Connect(0));
    EXPECT_EQ(0, disk->IsConnected());
}

TEST_F(Connect, DiskWithoutAdvancedInterfaceIsSkippedEvenWhenItMatches)
{
    auto& pack = Machine().AddProvider().AddPack();
    pack.AddDisk(3, GiB).advancedInterface = false;
    ScratchLog& log = StartLog();

    EXPECT_EQ(E_NOINTERFACE, disk->Connect(3));
    EXPECT_TRUE(log.Contains("KXVdsDisks::ERROR : Cannot retrieve IVdsAdvancedDisk interface\r\n")) << log.Text();
}

TEST_F(Connect, LaterDiskWithSameNumberIsNotTaken)
{
    auto& pack = Machine().AddProvider().AddPack();
    pack.AddDisk(4, 2 * GiB);
    pack.AddDisk(4, 3 * GiB);
    ASSERT_EQ(S_OK, disk->Connect(4));
    DiskProperties props = {};
    ASSERT_EQ(S_OK, disk->GetDiskProperties(&props));
    EXPECT_EQ(2 * GiB, props.ullSize);
}

TEST_F(Connect, DiskWithoutCreatePartitionInterfaceIsStillSelected)
{
    Machine().AddProvider().AddPack().AddDisk(5, GiB).createPartitionExInterface = false;
    ASSERT_EQ(S_OK, disk->Connect(5));
    EXPECT_NE(0, disk->IsConnected());
    ULONGLONG newOffset = 0;
    EXPECT_EQ(E_NOINTERFACE, disk->CreatePartition(0, GiB / 2, 7, 0, &newOffset));
}

TEST_F(Connect, DiskWithoutNameNeverMatches)
{
    Machine().AddProvider().AddPack().AddDisk(0, GiB).nameMissing = true;
    EXPECT_EQ(E_NOINTERFACE, disk->Connect(0));
}

struct BrokenBranch {
    const char* method;
    bool nullObject;
    const char* record;
};

TEST_F(Connect, BrokenPacksAndDisksAreLoggedAndSkipped)
{
    const BrokenBranch cases[] = {
        {"IVdsSwProvider::QueryPacks", false, "IVdsSwProvider::QueryPacks failed (2147500037 - 80004005)"},
        {"IVdsSwProvider::QueryPacks", true, "IVdsSwProvider::QueryPacks returns IEnumVdsObject=NULL"},
        {"IVdsPack::QueryDisks", false, "IVdsPack::QueryDisks failed (2147500037 - 80004005)"},
        {"IVdsPack::QueryDisks", true, "IVdsPack::QueryDisks returns IEnumVdsObject=NULL"},
        {"IVdsDisk::GetProperties", false, "IVdsDisk::GetProperties failed - 2147500037 (80004005)"},
    };
    // Two providers with a pack each: the disk sits in the second, so the
    // first branch's failure must not end the search.
    Machine().AddProvider().AddPack().AddDisk(8, GiB);
    Machine().AddProvider().AddPack().AddDisk(9, 2 * GiB);
    for (const BrokenBranch& c : cases) {
        SCOPED_TRACE(testing::Message() << c.method << (c.nullObject ? " null" : " fails"));
        emu.ClearFaults();
        emu.ResetCalls();
        if (c.nullObject)
            emu.NullObjectNth(c.method, 1);
        else
            emu.FailNth(c.method, 1, E_FAIL);
        ScratchLog& log = StartLog();

        ASSERT_EQ(S_OK, disk->Connect(9));
        DiskProperties props = {};
        ASSERT_EQ(S_OK, disk->GetDiskProperties(&props));
        EXPECT_EQ(2 * GiB, props.ullSize);
        disk.reset();
        EXPECT_TRUE(log.Contains(std::string("KXVdsDisks::ERROR : ") + c.record)) << log.Text();
        disk.reset(GetVdsDiskInterface());
    }
}

TEST_F(Connect, ProviderFailuresEndConnect)
{
    struct Case {
        const char* method;
        bool nullObject;
        HRESULT expected;
    };
    const Case cases[] = {
        {"IVdsServiceLoader::LoadService", false, E_FAIL},
        {"IVdsServiceLoader::LoadService", true, E_NOINTERFACE},
        {"IVdsService::WaitForServiceReady", false, static_cast<HRESULT>(0x80042401)},
        {"IVdsService::QueryProviders", false, E_ACCESSDENIED},
        {"IVdsService::QueryProviders", true, E_NOINTERFACE},
    };
    Machine().AddProvider().AddPack().AddDisk(0, GiB);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.method << (c.nullObject ? " null" : " fails"));
        emu.ClearFaults();
        emu.ResetCalls();
        if (c.nullObject)
            emu.NullObjectNth(c.method, 1);
        else
            emu.FailNth(c.method, 1, c.expected);
        EXPECT_EQ(c.expected, disk->Connect(0));
        EXPECT_EQ(static_cast<unsigned>(c.expected), KXGetRecordedResult(disk.get()));
        EXPECT_EQ(0, disk->IsConnected());
    }
}

TEST_F(Connect, SecondConnectReleasesTheFirstDisk)
{
    auto& pack = Machine().AddProvider().AddPack();
    pack.AddDisk(0, GiB);
    pack.AddDisk(1, GiB);
    ASSERT_EQ(S_OK, disk->Connect(0));
    ASSERT_EQ(S_OK, disk->Connect(1));
    // One disk object kept (with its advanced and create interfaces on it).
    EXPECT_EQ(1, emu.LiveObjects("Disk"));
    EXPECT_EQ(1, emu.LiveObjects("Service"));
}

TEST_F(Connect, FailingSecondConnectLeavesNothingHeld)
{
    Machine().AddProvider().AddPack().AddDisk(0, GiB);
    ASSERT_EQ(S_OK, disk->Connect(0));
    emu.ResetCalls();
    emu.FailNth("IClassFactory::CreateInstance", 1, E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, disk->Connect(0));
    EXPECT_EQ(0, disk->IsConnected());
    EXPECT_EQ(0, emu.LiveObjects());
}

// The emulator's class object lives in this thread's single-threaded
// apartment. On Windows another apartment reaches it only through this
// thread's message queue, so the wait serves it, as an apartment that hosts
// objects must.
void JoinServingMessages(std::thread& worker, const std::atomic<bool>& done)
{
    while (!done) {
#if defined(_WIN32)
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
#endif
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
}

TEST_F(Connect, ThreadWithoutComIsInitialisedAndProceeds)
{
    Machine().AddProvider().AddPack().AddDisk(0, GiB);
    HRESULT result = E_FAIL;
    HRESULT again = E_FAIL;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        {
            DiskPtr other(GetVdsDiskInterface());
            result = other->Connect(0);
        }
        // S_FALSE: Connect left the thread initialised.
        again = CoInitialize(nullptr);
        if (SUCCEEDED(again)) CoUninitialize();
        done = true;
    });
    JoinServingMessages(worker, done);
    EXPECT_EQ(S_OK, result);
    EXPECT_EQ(S_FALSE, again);
}

TEST_F(Connect, MakesExactlyTheCallsTheSearchNeeds)
{
    // 3 providers, 4 packs, 6 disks; the wanted disk is the last one met.
    auto& first = Machine().AddProvider();
    first.AddPack().AddDisk(0, GiB);
    first.AddPack().AddDisk(1, GiB);
    auto& second = Machine().AddProvider().AddPack();
    second.AddDisk(2, GiB);
    second.AddDisk(3, GiB);
    auto& third = Machine().AddProvider().AddPack();
    third.AddDisk(4, GiB);
    third.AddDisk(5, GiB);
    emu.ResetCalls();

    ASSERT_EQ(S_OK, disk->Connect(5));
    const std::pair<const char*, int> expected[] = {
        {"IClassFactory::CreateInstance", 1},
        {"IVdsServiceLoader::LoadService", 1},
        {"IVdsService::WaitForServiceReady", 1},
        {"IVdsService::QueryProviders", 1},
        {"IVdsSwProvider::QueryPacks", 3},
        {"IVdsPack::QueryDisks", 4},
        {"IVdsDisk::GetProperties", 6},
    };
    int counted = 0;
    for (const auto& e : expected) {
        SCOPED_TRACE(e.first);
        EXPECT_EQ(e.second, emu.Calls(e.first));
        counted += e.second;
    }
    // Every enumeration is drained: one Next per object and one that finds
    // the end. Providers 3+1; packs 2+1, 1+1, 1+1; disks 1+1, 1+1, 2+1, 2+1.
    EXPECT_EQ(4 + 7 + 10, emu.Calls("IEnumVdsObject::Next"));
    counted += emu.Calls("IEnumVdsObject::Next");
    EXPECT_EQ(counted, emu.TotalCalls()) << testing::PrintToString(emu.CallLog());
}

TEST_F(Connect, IncompleteDiskRecordIsSelectedButGivesNoProperties)
{
    // The record is incomplete, yet its strings are handed out: name and number are there.
    Machine().AddProvider().AddPack().AddDisk(0, 64 * GiB);
    emu.FailAlways("IVdsDisk::GetProperties", VDS_S_PROPERTIES_INCOMPLETE);
    ASSERT_EQ(S_OK, disk->Connect(0));
    DiskProperties props = {};
    EXPECT_EQ(E_INVALIDARG, disk->GetDiskProperties(&props));
    EXPECT_EQ(0u, props.ullSize);
    EXPECT_EQ(0, emu.LiveTaskMemBlocks());
}

TEST_F(Connect, DiskPropertiesFailuresAndPadding)
{
    Machine().AddProvider().AddPack().AddDisk(0, 64 * GiB);
    ASSERT_EQ(S_OK, disk->Connect(0));

    EXPECT_EQ(E_INVALIDARG, disk->GetDiskProperties(nullptr));
    EXPECT_EQ(static_cast<unsigned>(E_INVALIDARG), KXGetRecordedResult(disk.get()));

    emu.ResetCalls();
    emu.FailNth("IVdsDisk::GetProperties", 1, E_FAIL);
    DiskProperties props = {};
    EXPECT_EQ(E_INVALIDARG, disk->GetDiskProperties(&props));

    alignas(8) unsigned char raw[sizeof(DiskProperties)];
    std::memset(raw, 0xCD, sizeof(raw));
    ASSERT_EQ(S_OK, disk->GetDiskProperties(reinterpret_cast<DiskProperties*>(raw)));
    const DiskProperties* filled = reinterpret_cast<DiskProperties*>(raw);
    EXPECT_EQ(64 * GiB, filled->ullSize);
    EXPECT_EQ(512u, filled->ulBytesPerSector);
    EXPECT_EQ(63u, filled->ulSectorsPerTrack);
    EXPECT_EQ(255u, filled->ulTracksPerCylinder);
    for (int i = 20; i < 24; ++i) EXPECT_EQ(0xCD, raw[i]) << i;
}

} // namespace
