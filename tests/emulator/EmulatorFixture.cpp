#include "EmulatorFixture.h"

EmulatorTest::EmulatorTest()
{
    pack = &emu.Machine().AddProvider().AddPack();
}

EmulatorTest::~EmulatorTest() = default;

Ref<IVdsService> EmulatorTest::LoadService()
{
    Ref<IVdsServiceLoader> loader;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                                     loader.putVoid()));
    Ref<IVdsService> service;
    if (loader) {
        EXPECT_EQ(S_OK, loader->LoadService(nullptr, service.put()));
    }
    return service;
}

std::vector<Ref<IUnknown>> EmulatorTest::Drain(IEnumVdsObject* enumeration)
{
    std::vector<Ref<IUnknown>> objects;
    for (;;) {
        Ref<IUnknown> object;
        ULONG fetched = 0;
        if (enumeration->Next(1, object.put(), &fetched) != S_OK) break;
        objects.push_back(std::move(object));
    }
    return objects;
}

Ref<IUnknown> EmulatorTest::DiskObject(ULONG number)
{
    Ref<IVdsService> service = LoadService();
    Ref<IEnumVdsObject> providers;
    service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, providers.put());
    for (auto& p : Drain(providers.get())) {
        auto sw = As<IVdsSwProvider>(p.get(), IID_IVdsSwProvider);
        if (!sw) continue;
        Ref<IEnumVdsObject> packs;
        sw->QueryPacks(packs.put());
        for (auto& k : Drain(packs.get())) {
            auto vdsPack = As<IVdsPack>(k.get(), IID_IVdsPack);
            Ref<IEnumVdsObject> disks;
            vdsPack->QueryDisks(disks.put());
            for (auto& d : Drain(disks.get())) {
                auto disk = As<IVdsDisk>(d.get(), IID_IVdsDisk);
                VDS_DISK_PROP prop = {};
                disk->GetProperties(&prop);
                const std::string name = N(prop.pwszName);
                for (LPWSTR s : {prop.pwszDiskAddress, prop.pwszName, prop.pwszFriendlyName, prop.pwszAdaptorName,
                                 prop.pwszDevicePath})
                    CoTaskMemFree(s);
                if (name == "\\\\?\\PhysicalDrive" + std::to_string(number)) return std::move(d);
            }
        }
    }
    return Ref<IUnknown>();
}

Ref<IUnknown> EmulatorTest::VolumeObject(const std::string& name)
{
    Ref<IVdsService> service = LoadService();
    Ref<IEnumVdsObject> providers;
    service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, providers.put());
    for (auto& p : Drain(providers.get())) {
        auto sw = As<IVdsSwProvider>(p.get(), IID_IVdsSwProvider);
        if (!sw) continue;
        Ref<IEnumVdsObject> packs;
        sw->QueryPacks(packs.put());
        for (auto& k : Drain(packs.get())) {
            auto vdsPack = As<IVdsPack>(k.get(), IID_IVdsPack);
            Ref<IEnumVdsObject> volumes;
            vdsPack->QueryVolumes(volumes.put());
            for (auto& v : Drain(volumes.get())) {
                auto volume = As<IVdsVolume>(v.get(), IID_IVdsVolume);
                VDS_VOLUME_PROP prop = {};
                volume->GetProperties(&prop);
                const std::string found = N(prop.pwszName);
                CoTaskMemFree(prop.pwszName);
                if (found == name) return std::move(v);
            }
        }
    }
    return Ref<IUnknown>();
}

std::basic_string<WCHAR> W(const std::string& text)
{
    return std::basic_string<WCHAR>(text.begin(), text.end());
}

std::string N(const WCHAR* text)
{
    std::string out;
    for (; text && *text; ++text) out.push_back(static_cast<char>(*text));
    return out;
}
