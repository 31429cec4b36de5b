// The walk from the loader to the disks, as the library makes it.
#include "EmulatorFixture.h"

using namespace kxemu;

namespace {

const GUID kBasicData = {0xebd0a0a2, 0xb9e5, 0x4433, {0x87, 0xc0, 0x68, 0xb6, 0xb7, 0x26, 0x99, 0xc7}};

class EmulatorDiscovery : public EmulatorTest {};

TEST_F(EmulatorDiscovery, LoaderIsFoundThroughCoCreateInstance)
{
    EXPECT_EQ(S_OK, emu.Registration());
    Ref<IVdsServiceLoader> loader;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                                     loader.putVoid()));
    Ref<IVdsService> service;
    EXPECT_EQ(S_OK, loader->LoadService(nullptr, service.put()));
    ASSERT_TRUE(service);
    EXPECT_EQ(S_OK, service->WaitForServiceReady());
    EXPECT_EQ(1, emu.Calls("IVdsServiceLoader::LoadService"));
    EXPECT_EQ(1, emu.Calls("IVdsService::WaitForServiceReady"));
}

TEST_F(EmulatorDiscovery, RemoteMachineIsNotServed)
{
    Ref<IVdsServiceLoader> loader;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                                     loader.putVoid()));
    auto name = W("elsewhere");
    IVdsService* service = reinterpret_cast<IVdsService*>(0xdeadbeef);
    EXPECT_TRUE(FAILED(loader->LoadService(&name[0], &service)));
    EXPECT_EQ(nullptr, service);
}

TEST_F(EmulatorDiscovery, EnumerationsFollowTheModelOrder)
{
    pack->AddDisk(3, 8 * GiB);
    pack->AddDisk(1, 8 * GiB);
    pack->AddDisk(10, 8 * GiB);
    Ref<IVdsService> service = LoadService();
    Ref<IEnumVdsObject> providers;
    ASSERT_EQ(S_OK, service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, providers.put()));
    auto providerObjects = Drain(providers.get());
    ASSERT_EQ(1u, providerObjects.size());
    auto sw = As<IVdsSwProvider>(providerObjects[0].get(), IID_IVdsSwProvider);
    Ref<IEnumVdsObject> packs;
    ASSERT_EQ(S_OK, sw->QueryPacks(packs.put()));
    auto packObjects = Drain(packs.get());
    ASSERT_EQ(1u, packObjects.size());
    auto vdsPack = As<IVdsPack>(packObjects[0].get(), IID_IVdsPack);
    Ref<IEnumVdsObject> disks;
    ASSERT_EQ(S_OK, vdsPack->QueryDisks(disks.put()));
    std::vector<std::string> names;
    for (auto& d : Drain(disks.get())) {
        auto disk = As<IVdsDisk>(d.get(), IID_IVdsDisk);
        VDS_DISK_PROP prop = {};
        ASSERT_EQ(S_OK, disk->GetProperties(&prop));
        names.push_back(N(prop.pwszName));
        for (LPWSTR s : {prop.pwszDiskAddress, prop.pwszName, prop.pwszFriendlyName, prop.pwszAdaptorName,
                         prop.pwszDevicePath})
            CoTaskMemFree(s);
    }
    EXPECT_EQ((std::vector<std::string>{"\\\\?\\PhysicalDrive3", "\\\\?\\PhysicalDrive1", "\\\\?\\PhysicalDrive10"}),
              names);
}

TEST_F(EmulatorDiscovery, EnumerationEndsWithSFalseAndNullObject)
{
    Ref<IVdsService> service = LoadService();
    Ref<IEnumVdsObject> providers;
    ASSERT_EQ(S_OK, service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, providers.put()));
    IUnknown* objects[2] = {reinterpret_cast<IUnknown*>(0xdeadbeef), reinterpret_cast<IUnknown*>(0xdeadbeef)};
    ULONG fetched = 0xdeadbeef;
    EXPECT_EQ(S_FALSE, providers->Next(2, objects, &fetched));
    EXPECT_EQ(1u, fetched);
    ASSERT_NE(nullptr, objects[0]);
    EXPECT_EQ(nullptr, objects[1]);
    objects[0]->Release();
    EXPECT_EQ(S_OK, providers->Reset());
    EXPECT_EQ(S_OK, providers->Skip(1));
    EXPECT_EQ(S_FALSE, providers->Skip(1));
}

TEST_F(EmulatorDiscovery, DiskPropertiesHandOutFiveTaskMemStrings)
{
    Disk& d = pack->AddDisk(2, 64 * GiB);
    d.bytesPerSector = 4096;
    d.sectorsPerTrack = 32;
    d.tracksPerCylinder = 16;
    auto disk = As<IVdsDisk>(DiskObject(2).get(), IID_IVdsDisk);
    ASSERT_TRUE(disk);
    const long before = emu.TaskMemAllocated();
    VDS_DISK_PROP prop = {};
    ASSERT_EQ(S_OK, disk->GetProperties(&prop));
    EXPECT_EQ(5, emu.TaskMemAllocated() - before);
    EXPECT_EQ(64 * GiB, prop.ullSize);
    EXPECT_EQ(4096u, prop.ulBytesPerSector);
    EXPECT_EQ(32u, prop.ulSectorsPerTrack);
    EXPECT_EQ(16u, prop.ulTracksPerCylinder);
    for (LPWSTR s : {prop.pwszDiskAddress, prop.pwszName, prop.pwszFriendlyName, prop.pwszAdaptorName,
                     prop.pwszDevicePath}) {
        EXPECT_NE(nullptr, s);
        CoTaskMemFree(s);
    }
}

TEST_F(EmulatorDiscovery, QueryInterfaceAnswersWhatTheModelOffers)
{
    Disk& bare = pack->AddDisk(4, 8 * GiB);
    bare.advancedInterface = false;
    bare.createPartitionExInterface = false;
    pack->AddDisk(5, 8 * GiB);
    struct Row {
        ULONG disk;
        const IID* iid;
        bool answered;
    } rows[] = {
        {4, &IID_IVdsDisk, true},           {4, &IID_IVdsAdvancedDisk, false},
        {4, &IID_IVdsCreatePartitionEx, false}, {5, &IID_IVdsAdvancedDisk, true},
        {5, &IID_IVdsCreatePartitionEx, true},  {5, &IID_IVdsVolume, false},
        {5, &IID_IUnknown, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.disk);
        Ref<IUnknown> disk = DiskObject(row.disk);
        void* out = reinterpret_cast<void*>(0xdeadbeef);
        const HRESULT hr = disk->QueryInterface(*row.iid, &out);
        EXPECT_EQ(row.answered ? S_OK : E_NOINTERFACE, hr);
        EXPECT_EQ(row.answered, out != nullptr);
        if (out) static_cast<IUnknown*>(out)->Release();
    }
}

TEST_F(EmulatorDiscovery, PartitionsComeBackInModelOrderAsOneTaskMemArray)
{
    Disk& d = pack->AddDisk(1, 64 * GiB);
    d.AddPartition(2, 200 * MiB, 100 * MiB, 0x0C);
    d.AddPartition(1, 1 * MiB, 100 * MiB, 0x07, true);
    d.AddGptPartition(3, 400 * MiB, 10 * MiB, kBasicData);
    auto advanced = As<IVdsAdvancedDisk>(DiskObject(1).get(), IID_IVdsAdvancedDisk);
    VDS_PARTITION_PROP* records = nullptr;
    LONG count = 0;
    const long before = emu.TaskMemAllocated();
    ASSERT_EQ(S_OK, advanced->QueryPartitions(&records, &count));
    EXPECT_EQ(1, emu.TaskMemAllocated() - before);
    ASSERT_EQ(3, count);
    EXPECT_EQ(2u, records[0].ulPartitionNumber);
    EXPECT_EQ(200 * MiB, records[0].ullOffset);
    EXPECT_EQ(0x0C, records[0].Mbr.partitionType);
    EXPECT_EQ(1u, records[1].ulPartitionNumber);
    EXPECT_EQ(1, records[1].Mbr.bootIndicator);
    EXPECT_EQ(VDS_PST_GPT, records[2].PartitionStyle);
    // The union's first bytes are the GPT type's, whatever the style.
    EXPECT_EQ(0xa2, records[2].Mbr.partitionType);
    CoTaskMemFree(records);
}

TEST_F(EmulatorDiscovery, DiskWithoutPartitionsGivesNoArray)
{
    pack->AddDisk(1, 8 * GiB);
    auto advanced = As<IVdsAdvancedDisk>(DiskObject(1).get(), IID_IVdsAdvancedDisk);
    VDS_PARTITION_PROP* records = reinterpret_cast<VDS_PARTITION_PROP*>(0xdeadbeef);
    LONG count = -1;
    EXPECT_EQ(S_OK, advanced->QueryPartitions(&records, &count));
    EXPECT_EQ(nullptr, records);
    EXPECT_EQ(0, count);
}

TEST_F(EmulatorDiscovery, EveryObjectHandedOutIsAccountedUntilReleased)
{
    pack->AddDisk(1, 8 * GiB).AddPartition(1, 1 * MiB, 10 * MiB, 7);
    pack->disks[0]->AddVolume(1);
    {
        Ref<IUnknown> disk = DiskObject(1);
        ASSERT_TRUE(disk);
        EXPECT_EQ(1, emu.LiveObjects());
        EXPECT_EQ(1, emu.LiveObjects("Disk"));
        auto list = emu.LiveObjectList();
        ASSERT_EQ(1u, list.size());
        EXPECT_EQ(1u, list[0].references);
        auto advanced = As<IVdsAdvancedDisk>(disk.get(), IID_IVdsAdvancedDisk);
        EXPECT_EQ(2u, emu.LiveObjectList()[0].references);
    }
    EXPECT_EQ(0, emu.LiveObjects());
}
TEST_F(EmulatorDiscovery, TaskMemAccountingSeesEveryBlockFreed)
{
    pack->AddDisk(1, 8 * GiB).AddPartition(1, 1 * MiB, 10 * MiB, 7);
    {
        Ref<IUnknown> disk = DiskObject(1);
        auto advanced = As<IVdsAdvancedDisk>(disk.get(), IID_IVdsAdvancedDisk);
        VDS_PARTITION_PROP* records = nullptr;
        LONG count = 0;
        advanced->QueryPartitions(&records, &count);
        EXPECT_EQ(1, emu.LiveTaskMemBlocks());
        CoTaskMemFree(records);
    }
    EXPECT_EQ(0, emu.LiveTaskMemBlocks());
}

} // namespace
