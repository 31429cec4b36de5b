#include "MinimalClient.h"

#include <vector>

namespace minimal {

namespace {

const DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

struct HandleClose {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleClose>;

Handle Open(const WCHAR* name, DWORD access, DWORD attributes)
{
    HANDLE h = CreateFileW(name, access, kShare, nullptr, OPEN_EXISTING, attributes, nullptr);
    return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

template <class T>
Ref<T> Query(IUnknown* object, REFIID iid)
{
    T* out = nullptr;
    object->QueryInterface(iid, reinterpret_cast<void**>(&out));
    return Ref<T>(out);
}

// Every object the enumeration hands out, in its order.
std::vector<Ref<IUnknown>> Drain(HRESULT hr, IEnumVdsObject* raw)
{
    Ref<IEnumVdsObject> enumeration(raw);
    std::vector<Ref<IUnknown>> objects;
    if (hr != S_OK || !enumeration) return objects;
    for (;;) {
        IUnknown* object = nullptr;
        ULONG fetched = 0;
        if (enumeration->Next(1, &object, &fetched) != S_OK) break;
        if (object) objects.emplace_back(object);
    }
    return objects;
}

std::vector<Ref<IUnknown>> Providers(IVdsService* service)
{
    IEnumVdsObject* e = nullptr;
    const HRESULT hr = service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, &e);
    return Drain(hr, e);
}

std::vector<Ref<IUnknown>> Packs(IUnknown* object)
{
    const Ref<IVdsSwProvider> provider = Query<IVdsSwProvider>(object, IID_IVdsSwProvider);
    if (!provider) return {};
    IEnumVdsObject* e = nullptr;
    const HRESULT hr = provider->QueryPacks(&e);
    return Drain(hr, e);
}

long DriveNumber(const WCHAR* name)
{
    static const WCHAR word[] = KXW("PhysicalDrive");
    for (const WCHAR* t = name; *t; ++t) {
        int i = 0;
        while (word[i] && t[i] == word[i]) ++i;
        if (word[i]) continue;
        long n = 0;
        for (const WCHAR* d = t + i; *d >= '0' && *d <= '9'; ++d) n = n * 10 + (*d - '0');
        return n;
    }
    return -1;
}

void FreeStrings(VDS_DISK_PROP& prop)
{
    CoTaskMemFree(prop.pwszDiskAddress);
    CoTaskMemFree(prop.pwszName);
    CoTaskMemFree(prop.pwszFriendlyName);
    CoTaskMemFree(prop.pwszAdaptorName);
    CoTaskMemFree(prop.pwszDevicePath);
}

// `name` with a backslash appended, as the drive and free-space calls want a root.
void RootOf(const WCHAR* name, WCHAR (&root)[MAX_PATH + 1])
{
    size_t n = 0;
    while (name[n] && n < MAX_PATH - 1) root[n] = name[n], ++n;
    root[n++] = '\\';
    root[n] = 0;
}

// The volume's name as GetProperties gives it; the caller frees nothing.
struct VolumeName {
    explicit VolumeName(IVdsVolume* volume)
    {
        VDS_VOLUME_PROP prop = {};
        const HRESULT hr = volume->GetProperties(&prop);
        name = prop.pwszName;
        ok = (hr == S_OK || hr == VDS_S_PROPERTIES_INCOMPLETE) && name;
    }
    ~VolumeName() { CoTaskMemFree(name); }
    VolumeName(const VolumeName&) = delete;
    VolumeName& operator=(const VolumeName&) = delete;

    WCHAR* name = nullptr;
    bool ok = false;
};

} // namespace

void LookForLogConfiguration()
{
    const DWORD bufferLength = 2048;
    WCHAR path[bufferLength + 12];
    DWORD length = GetCurrentDirectoryW(bufferLength, path);
    if (length == 0 || length >= bufferLength) return;
    if (path[length - 1] != '\\') path[length++] = '\\';
    static const WCHAR name[] = KXW("KX_LOG.INI");
    for (const WCHAR c : name) path[length++] = c;
    Open(path, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
}

HRESULT Client::Connect(int number)
{
    createPartition.reset();
    advancedDisk.reset();
    disk.reset();
    service.reset();
    diskNumber = number;

    IVdsServiceLoader* rawLoader = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                                  reinterpret_cast<void**>(&rawLoader));
    if (hr != S_OK) return hr;
    {
        const Ref<IVdsServiceLoader> loader(rawLoader);
        IVdsService* rawService = nullptr;
        hr = loader->LoadService(nullptr, &rawService);
        service.reset(rawService);
    }
    if (hr != S_OK || !service) return hr;
    if ((hr = service->WaitForServiceReady()) != S_OK) return hr;

    for (const auto& provider : Providers(service.get())) {
        for (const auto& packObject : Packs(provider.get())) {
            const Ref<IVdsPack> pack = Query<IVdsPack>(packObject.get(), IID_IVdsPack);
            if (!pack) continue;
            IEnumVdsObject* e = nullptr;
            hr = pack->QueryDisks(&e);
            for (const auto& object : Drain(hr, e)) {
                Ref<IVdsDisk> candidate = Query<IVdsDisk>(object.get(), IID_IVdsDisk);
                Ref<IVdsAdvancedDisk> advanced = Query<IVdsAdvancedDisk>(object.get(), IID_IVdsAdvancedDisk);
                if (!candidate || !advanced) continue;
                VDS_DISK_PROP prop = {};
                if (candidate->GetProperties(&prop) != S_OK) continue;
                const long found = prop.pwszName ? DriveNumber(prop.pwszName) : -1;
                FreeStrings(prop);
                if (found != number) continue;
                disk = std::move(candidate);
                advancedDisk = std::move(advanced);
                createPartition = Query<IVdsCreatePartitionEx>(disk.get(), IID_IVdsCreatePartitionEx);
                return S_OK;
            }
        }
    }
    return E_NOINTERFACE;
}

bool Client::Record(LONG index, ULONG number, VDS_PARTITION_PROP* record)
{
    VDS_PARTITION_PROP* records = nullptr;
    LONG count = 0;
    const HRESULT hr = advancedDisk->QueryPartitions(&records, &count);
    bool found = false;
    for (LONG i = 0; hr == S_OK && i < count && !found; ++i) {
        found = index >= 0 ? i == index : records[i].ulPartitionNumber == number;
        if (found) *record = records[i];
    }
    CoTaskMemFree(records);
    return found;
}

bool Client::IsOnPartition(const WCHAR* name, VDS_VOLUME_STATUS status, ULONG partitionNumber)
{
    int volumeDisk = -1;
    if (Handle h = Open(name, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL)) {
        VOLUME_DISK_EXTENTS extents = {};
        DWORD returned = 0;
        if (DeviceIoControl(h.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &extents, sizeof(extents),
                            &returned, nullptr))
            volumeDisk = static_cast<int>(extents.Extents[0].DiskNumber);
    }
    int volumePartition = -1;
    if (Handle h = Open(name, GENERIC_READ, 0)) {
        PARTITION_INFORMATION info = {};
        DWORD returned = 0;
        if (DeviceIoControl(h.get(), IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof(info), &returned,
                            nullptr))
            volumePartition = static_cast<int>(info.PartitionNumber);
    }
    WCHAR root[MAX_PATH + 1];
    RootOf(name, root);
    const UINT type = GetDriveTypeW(root);
    return status == VDS_VS_ONLINE && (type == DRIVE_FIXED || type == DRIVE_REMOVABLE) && volumeDisk == diskNumber &&
           volumePartition == static_cast<int>(partitionNumber);
}

Client::FoundVolume Client::FindVolume(ULONG partitionNumber)
{
    for (const auto& provider : Providers(service.get())) {
        for (const auto& packObject : Packs(provider.get())) {
            const Ref<IVdsPack> pack = Query<IVdsPack>(packObject.get(), IID_IVdsPack);
            if (!pack) continue;
            IEnumVdsObject* e = nullptr;
            const HRESULT hr = pack->QueryVolumes(&e);
            for (const auto& object : Drain(hr, e)) {
                FoundVolume found{Query<IVdsVolume>(object.get(), IID_IVdsVolume),
                                  Query<IVdsVolumeMF>(object.get(), IID_IVdsVolumeMF)};
                if (!found.volume || !found.volumeMF) continue;
                VDS_VOLUME_PROP prop = {};
                const HRESULT got = found.volume->GetProperties(&prop);
                if (got != S_OK && got != VDS_S_PROPERTIES_INCOMPLETE) break;
                const bool match = prop.pwszName && IsOnPartition(prop.pwszName, prop.status, partitionNumber);
                CoTaskMemFree(prop.pwszName);
                if (match) return found;
            }
        }
    }
    return {};
}

bool Client::LookUpByNumber(ULONG number)
{
    VDS_PARTITION_PROP record = {};
    if (!Record(-1, number, &record)) return false;
    if (lookForLog) LookForLogConfiguration();
    return FindVolume(number).volume != nullptr;
}

int Client::WalkTable()
{
    int recoveries = 0;
    const LONG count = [this] {
        VDS_PARTITION_PROP* records = nullptr;
        LONG n = 0;
        if (advancedDisk->QueryPartitions(&records, &n) != S_OK) n = 0;
        CoTaskMemFree(records);
        return n;
    }();
    for (LONG index = 0; index < count; ++index) {
        VDS_PARTITION_PROP record = {};
        if (!Record(index, 0, &record)) break;
        if (lookForLog) LookForLogConfiguration();
        const FoundVolume found = FindVolume(record.ulPartitionNumber);
        if (!found.volume) continue;
        // The name for the caller, then for the free space, then for the tag.
        { const VolumeName forCaller(found.volume.get()); }
        {
            const VolumeName name(found.volume.get());
            if (!name.ok) continue;
            WCHAR root[MAX_PATH + 1];
            RootOf(name.name, root);
            ULARGE_INTEGER caller = {}, total = {}, free = {};
            GetDiskFreeSpaceExW(root, &caller, &total, &free);
        }
        const VolumeName name(found.volume.get());
        if (!name.ok) continue;
        VDS_FILE_SYSTEM_PROP fs = {};
        bool ntfs = false;
        if (found.volumeMF->GetFileSystemProperties(&fs) == S_OK) ntfs = fs.type == VDS_FST_NTFS;
        CoTaskMemFree(fs.pwszLabel);
        Handle device = Open(name.name, GENERIC_READ, 0);
        if (!device) continue;
        unsigned char sector[4096];
        DWORD read = 0;
        if (!ReadFile(device.get(), sector, sizeof(sector), &read, nullptr)) continue;
        static const char tag[] = "RECOVERY";
        const unsigned char* at = sector + (ntfs ? 0x1F0 : 3);
        int same = 0;
        while (same < 8 && (at[same] & ~0x20) == tag[same]) ++same;
        recoveries += same == 8;
    }
    return recoveries;
}

} // namespace minimal
