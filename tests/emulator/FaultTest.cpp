// Injected faults: which call they hit and what the caller sees.
#include "EmulatorFixture.h"

using namespace kxemu;

namespace {

const HRESULT kAbort = static_cast<HRESULT>(0x80004004);  // E_ABORT

class EmulatorFaults : public EmulatorTest {
protected:
    EmulatorFaults()
    {
        pack->AddDisk(1, 8 * GiB);
        pack->AddDisk(2, 8 * GiB);
        pack->AddDisk(3, 8 * GiB);
        Ref<IVdsService> service = LoadService();
        Ref<IEnumVdsObject> providers;
        service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, providers.put());
        auto objects = Drain(providers.get());
        auto sw = As<IVdsSwProvider>(objects[0].get(), IID_IVdsSwProvider);
        Ref<IEnumVdsObject> packs;
        sw->QueryPacks(packs.put());
        vdsPack = As<IVdsPack>(Drain(packs.get())[0].get(), IID_IVdsPack);
        emu.ResetCalls();
    }

    size_t DisksListed(HRESULT* result)
    {
        IEnumVdsObject* raw = reinterpret_cast<IEnumVdsObject*>(0xdeadbeef);
        *result = vdsPack->QueryDisks(&raw);
        Ref<IEnumVdsObject> disks(raw);
        return disks ? Drain(disks.get()).size() : 0;
    }

    Ref<IVdsPack> vdsPack;
};

TEST_F(EmulatorFaults, FailNthHitsOnlyThatCall)
{
    emu.FailNth("IVdsPack::QueryDisks", 2, E_ACCESSDENIED);
    const HRESULT expected[] = {S_OK, E_ACCESSDENIED, S_OK};
    for (int call = 0; call < 3; ++call) {
        SCOPED_TRACE(call + 1);
        HRESULT hr;
        const size_t listed = DisksListed(&hr);
        EXPECT_EQ(expected[call], hr);
        EXPECT_EQ(hr == S_OK ? 3u : 0u, listed);
    }
    EXPECT_EQ(3, emu.Calls("IVdsPack::QueryDisks"));
}

TEST_F(EmulatorFaults, FaultForEveryCallYieldsToOneForThisCall)
{
    emu.FailAlways("IVdsPack::QueryDisks", E_FAIL);
    emu.FailNth("IVdsPack::QueryDisks", 2, E_OUTOFMEMORY);
    HRESULT hr;
    DisksListed(&hr);
    EXPECT_EQ(E_FAIL, hr);
    DisksListed(&hr);
    EXPECT_EQ(E_OUTOFMEMORY, hr);
    emu.ClearFaults();
    DisksListed(&hr);
    EXPECT_EQ(S_OK, hr);
}

TEST_F(EmulatorFaults, NullObjectSucceedsWithoutEnumeration)
{
    emu.NullObjectNth("IVdsPack::QueryDisks", 1);
    IEnumVdsObject* disks = reinterpret_cast<IEnumVdsObject*>(0xdeadbeef);
    EXPECT_EQ(S_OK, vdsPack->QueryDisks(&disks));
    EXPECT_EQ(nullptr, disks);
}

TEST_F(EmulatorFaults, EnumerationFailsAfterTheGivenNumberOfObjects)
{
    for (ULONG after : {0u, 2u, 3u}) {
        SCOPED_TRACE(after);
        emu.ClearFaults();
        emu.EnumFailsAfter("IVdsPack::QueryDisks", after, kAbort);
        Ref<IEnumVdsObject> disks;
        ASSERT_EQ(S_OK, vdsPack->QueryDisks(disks.put()));
        HRESULT last = S_OK;
        ULONG delivered = 0;
        for (;;) {
            Ref<IUnknown> object;
            ULONG fetched = 0;
            last = disks->Next(1, object.put(), &fetched);
            if (last != S_OK) {
                EXPECT_FALSE(object);
                break;
            }
            ++delivered;
        }
        EXPECT_EQ(after, delivered);
        EXPECT_EQ(kAbort, last);
    }
}

TEST_F(EmulatorFaults, SuccessCodeLetsTheCallWork)
{
    pack->disks[0]->AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    pack->disks[0]->AddVolume(1).FileSystem(VDS_FST_NTFS);
    auto mf = As<IVdsVolumeMF>(VolumeObject("\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1").get(), IID_IVdsVolumeMF);
    emu.FailNth("IVdsVolumeMF::AddAccessPath", 1, S_FALSE);
    auto path = W("F:\\");
    EXPECT_EQ(S_FALSE, mf->AddAccessPath(&path[0]));
    EXPECT_EQ(std::vector<std::string>{"F:\\"}, pack->volumes[0]->accessPaths);
}

TEST_F(EmulatorFaults, ClassFactoryFaultFailsCoCreateInstance)
{
    emu.FailNth("IClassFactory::CreateInstance", 1, E_OUTOFMEMORY);
    Ref<IVdsServiceLoader> loader;
    EXPECT_EQ(E_OUTOFMEMORY, CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                                              loader.putVoid()));
    EXPECT_FALSE(loader);
}

TEST_F(EmulatorFaults, UnmodelledMethodsAreCountedAndNotImplemented)
{
    IVdsAsync* async = reinterpret_cast<IVdsAsync*>(0xdeadbeef);
    EXPECT_EQ(E_NOTIMPL, vdsPack->Recover(&async));
    EXPECT_EQ(nullptr, async);
    EXPECT_EQ(1, emu.Calls("IVdsPack::Recover"));
    EXPECT_EQ(std::vector<std::string>{"IVdsPack::Recover"}, emu.CallLog());
}

} // namespace
