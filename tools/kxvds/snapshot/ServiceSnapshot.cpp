// Walks the disk service as the library does (software providers, their
// packs, the packs' disks and volumes), then asks the storage stack about
// each volume, and writes what it saw into the machine model.
#include "snapshot/MachineSnapshot.h"

#include "ErrorText.h"
#include "WideText.h"
#include "kxgptguids.h"
#include "snapshot/VolumeDevices.h"
#include "support/KXComPtr.h"
#include "support/KXVdsRecords.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <set>

namespace kxvds {

namespace {

using kxemu::Machine;
using kxemu::Partition;

const WCHAR kDriveWord[] = KXW("PhysicalDrive");
const WCHAR kVolumeWord[] = KXW("HarddiskVolume");
// Disks whose number cannot be read get numbers from here, clear of real ones.
const ULONG kUnnumberedDisks = 100000;

// The decimal number that ends `name` right after `word`; false when it does not.
bool NumberAfter(const WCHAR* name, const WCHAR* word, ULONG* number)
{
    if (!name) return false;
    const WString text(name), w(word);
    const size_t at = text.rfind(w);
    if (at == WString::npos || at + w.size() == text.size()) return false;
    unsigned long long value = 0;
    for (size_t i = at + w.size(); i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > 0xFFFFFFFFull) return false;
    }
    *number = static_cast<ULONG>(value);
    return true;
}

// Each object of an enumeration, in the service's order. A failed query,
// a null enumeration or a failed Next ends it with that code.
HRESULT EachObject(const std::function<HRESULT(IEnumVdsObject**)>& query,
                   const std::function<void(IUnknown*)>& visit)
{
    KXComPtr<IEnumVdsObject> objects;
    HRESULT hr = query(objects.put());
    if (FAILED(hr)) return hr;
    if (!objects) return E_POINTER;
    for (;;) {
        KXComPtr<IUnknown> object;
        ULONG fetched = 0;
        hr = objects->Next(1, object.put(), &fetched);
        if (FAILED(hr)) return hr;
        if (hr != S_OK || fetched == 0 || !object) return S_OK;
        visit(object.get());
    }
}

template <class T>
KXComPtr<T> Query(IUnknown* object, REFIID iid)
{
    KXComPtr<T> out;
    if (object->QueryInterface(iid, reinterpret_cast<void**>(out.put())) != S_OK) out.reset();
    return out;
}

// An enumeration value the machine file cannot hold becomes the type's 0 (unknown).
template <class E>
E Known(E value, E last, const std::string& what, std::vector<std::string>& notes)
{
    if (static_cast<unsigned>(value) <= static_cast<unsigned>(last)) return value;
    notes.push_back(what + " is " + std::to_string(static_cast<unsigned>(value)) +
                    ", which a machine file cannot hold; written as 0 (unknown)");
    return static_cast<E>(0);
}

struct PendingVolume {
    kxemu::Volume* volume;
    WString name;
    ULONGLONG serviceSize;
};

class Snapshot {
public:
    explicit Snapshot(Machine& m) : machine(m) {}

    void ReadProvider(IUnknown* object);
    void Devices();
    void Letters();

private:
    void Note(const std::string& text) { machine.notes.push_back(text); }
    void ReadPack(kxemu::Provider& provider, IUnknown* object);
    void ReadDisk(kxemu::Pack& pack, IUnknown* object);
    void ReadPartitions(kxemu::Disk& disk, IVdsAdvancedDisk* advanced);
    void ReadVolume(kxemu::Pack& pack, IUnknown* object);
    void Extents(kxemu::Volume& volume, const std::string& name, const VolumeDevices& seen);

    Machine& machine;
    std::vector<PendingVolume> volumes;
    ULONG unnumbered = kUnnumberedDisks;
};

void Snapshot::ReadProvider(IUnknown* object)
{
    const auto provider = Query<IVdsProvider>(object, IID_IVdsProvider);
    if (!provider) {
        Note("a provider that answers no IVdsProvider is left out");
        return;
    }
    kxemu::Provider& p = machine.AddProvider();
    KXProviderProp prop;
    const HRESULT hr = provider->GetProperties(prop.put());
    if (SUCCEEDED(hr)) {
        p.name = ToUtf8(prop->pwszName);
        p.version = ToUtf8(prop->pwszVersion);
        p.id = prop->id;
    } else {
        Note("provider " + std::to_string(machine.providers.size()) + ": GetProperties failed (" + HexResult(hr) +
             "); written with the emulator's name for it");
    }
    const auto sw = Query<IVdsSwProvider>(object, IID_IVdsSwProvider);
    p.swInterface = static_cast<bool>(sw);
    if (!sw) return;
    const HRESULT walk = EachObject([&](IEnumVdsObject** out) { return sw->QueryPacks(out); },
                                    [&](IUnknown* pack) { ReadPack(p, pack); });
    if (FAILED(walk))
        Note("provider \"" + p.name + "\": listing its packs failed (" + HexResult(walk) +
             "); the packs after that point are missing");
}

void Snapshot::ReadPack(kxemu::Provider& provider, IUnknown* object)
{
    const auto pack = Query<IVdsPack>(object, IID_IVdsPack);
    if (!pack) {
        Note("provider \"" + provider.name + "\": a pack that answers no IVdsPack is left out");
        return;
    }
    kxemu::Pack& k = provider.AddPack();
    KXPackProp prop;
    const HRESULT hr = pack->GetProperties(prop.put());
    if (SUCCEEDED(hr)) {
        k.name = ToUtf8(prop->pwszName);
        k.status = Known(prop->status, VDS_PS_OFFLINE, "pack \"" + k.name + "\": the status", machine.notes);
        k.id = prop->id;
    } else {
        Note("a pack of provider \"" + provider.name + "\": GetProperties failed (" + HexResult(hr) +
             "); written as online, named " + k.name);
    }
    HRESULT walk = EachObject([&](IEnumVdsObject** out) { return pack->QueryDisks(out); },
                              [&](IUnknown* disk) { ReadDisk(k, disk); });
    if (FAILED(walk))
        Note("pack \"" + k.name + "\": listing its disks failed (" + HexResult(walk) +
             "); the disks after that point are missing");
    walk = EachObject([&](IEnumVdsObject** out) { return pack->QueryVolumes(out); },
                      [&](IUnknown* volume) { ReadVolume(k, volume); });
    if (FAILED(walk))
        Note("pack \"" + k.name + "\": listing its volumes failed (" + HexResult(walk) +
             "); the volumes after that point are missing");
}

void Snapshot::ReadDisk(kxemu::Pack& pack, IUnknown* object)
{
    const auto disk = Query<IVdsDisk>(object, IID_IVdsDisk);
    if (!disk) {
        Note("pack \"" + pack.name + "\": a disk that answers no IVdsDisk is left out");
        return;
    }
    KXDiskProp prop;
    const HRESULT hr = disk->GetProperties(prop.put());
    if (FAILED(hr)) {
        Note("pack \"" + pack.name + "\": a disk whose GetProperties fails (" + HexResult(hr) +
             ") is left out; the library cannot tell its number either");
        return;
    }
    ULONG number = 0;
    const bool numbered = NumberAfter(prop->pwszName, kDriveWord, &number);
    if (!numbered) number = unnumbered++;
    kxemu::Disk& d = pack.AddDisk(number, prop->ullSize);
    d.nameMissing = !prop->pwszName;
    if (prop->pwszName) d.name = ToUtf8(prop->pwszName);
    if (!numbered)
        Note("disk \"" + d.name + "\" of pack \"" + pack.name + "\": its name holds no disk number, so the library "
             "never selects it; written as disk " + std::to_string(number));
    d.friendlyName = ToUtf8(prop->pwszFriendlyName);
    d.adaptorName = ToUtf8(prop->pwszAdaptorName);
    d.devicePath = ToUtf8(prop->pwszDevicePath);
    d.diskAddress = ToUtf8(prop->pwszDiskAddress);
    d.bytesPerSector = prop->ulBytesPerSector;
    d.sectorsPerTrack = prop->ulSectorsPerTrack;
    d.tracksPerCylinder = prop->ulTracksPerCylinder;
    const std::string what = "disk " + std::to_string(number);
    d.status = Known(prop->status, VDS_DS_MISSING, what + ": the status", machine.notes);
    d.style = Known(prop->PartitionStyle, VDS_PST_GPT, what + ": the partition style", machine.notes);
    // The model keeps one GUID per disk: for GPT the partition table's own.
    d.id = d.style == VDS_PST_GPT ? prop->DiskGuid : prop->id;
    d.signature = d.style == VDS_PST_MBR ? prop->dwSignature : 0;

    const auto advanced = Query<IVdsAdvancedDisk>(object, IID_IVdsAdvancedDisk);
    d.advancedInterface = static_cast<bool>(advanced);
    d.createPartitionExInterface = static_cast<bool>(Query<IVdsCreatePartitionEx>(object, IID_IVdsCreatePartitionEx));
    if (advanced) ReadPartitions(d, advanced.get());
}

void Snapshot::ReadPartitions(kxemu::Disk& d, IVdsAdvancedDisk* advanced)
{
    const std::string what = "disk " + std::to_string(d.number);
    KXPartitionArray records;
    const HRESULT hr = records.Query(advanced);
    if (hr != S_OK) {
        Note(what + ": QueryPartitions answered " + HexResult(hr) + "; written without partitions");
        return;
    }
    bool dynamic = false;
    for (const VDS_PARTITION_PROP& r : records) {
        Partition* p = nullptr;
        if (r.PartitionStyle == VDS_PST_GPT) {
            p = &d.AddGptPartition(r.ulPartitionNumber, r.ullOffset, r.ullSize, r.Gpt.partitionType);
            p->gptId = r.Gpt.partitionId;
            p->gptAttributes = r.Gpt.attributes;
            dynamic = dynamic || r.Gpt.partitionType == kxgpt::kLdmMetadata || r.Gpt.partitionType == kxgpt::kLdmData;
        } else {
            p = &d.AddPartition(r.ulPartitionNumber, r.ullOffset, r.ullSize, r.Mbr.partitionType,
                                r.Mbr.bootIndicator != FALSE);
            if (r.PartitionStyle != VDS_PST_MBR)
                Note(what + ": partition " + std::to_string(r.ulPartitionNumber) + " has partition style " +
                     std::to_string(static_cast<unsigned>(r.PartitionStyle)) + "; written as MBR");
            dynamic = dynamic || r.Mbr.partitionType == 0x42;
        }
        p->flags = r.ulFlags;
    }
    if (dynamic)
        Note(what + " is a dynamic disk: written as the partition records the service reports; its dynamic "
                    "volumes are what the library sees of them, and the emulator knows no dynamic disks");
}

void Snapshot::ReadVolume(kxemu::Pack& pack, IUnknown* object)
{
    const auto volume = Query<IVdsVolume>(object, IID_IVdsVolume);
    if (!volume) {
        Note("pack \"" + pack.name + "\": a volume that answers no IVdsVolume is left out");
        return;
    }
    kxemu::Volume& v = pack.AddVolume();
    KXVolumeProp prop;
    const HRESULT hr = volume->GetProperties(prop.put());
    v.propertiesResult = hr;
    std::string name = "volume " + std::to_string(pack.volumes.size()) + " of pack \"" + pack.name + "\"";
    if (FAILED(hr)) {
        Note(name + ": GetProperties fails (" + HexResult(hr) + "); written so, without extents");
    } else {
        v.status = Known(prop->status, VDS_VS_FAILED, name + ": the status", machine.notes);
        v.id = prop->id;
        v.nameMissing = !prop->pwszName;
        if (prop->pwszName) {
            name = v.name = ToUtf8(prop->pwszName);
            ULONG index = 0;
            if (NumberAfter(prop->pwszName, kVolumeWord, &index)) v.index = index;
        }
        if (prop->type != VDS_VT_SIMPLE && prop->type != VDS_VT_SPAN)
            Note(name + " is of volume type " + std::to_string(static_cast<unsigned>(prop->type)) +
                 " (stripe, mirror or parity): written with its extents, which the emulator serves as a spanned "
                 "volume");
        if (prop->pwszName) volumes.push_back({&v, prop->pwszName, prop->ullSize});
        else Note(name + ": the service gives it no name, so the library cannot locate it; written without extents");
    }

    const auto mf = Query<IVdsVolumeMF>(object, IID_IVdsVolumeMF);
    v.mfInterface = static_cast<bool>(mf);
    if (!mf) return;
    KXFileSystemProp fs;
    const HRESULT fsResult = mf->GetFileSystemProperties(fs.put());
    if (SUCCEEDED(fsResult)) {
        v.fileSystem = Known(fs->type, VDS_FST_REFS, name + ": the file system", machine.notes);
        v.label = ToUtf8(fs->pwszLabel);
        v.unitSize = fs->ulAllocationUnitSize;
    } else {
        Note(name + ": GetFileSystemProperties failed (" + HexResult(fsResult) + "); written as RAW");
    }
    KXAccessPathArray paths;
    const HRESULT pathResult = paths.Query(mf.get());
    if (FAILED(pathResult))
        Note(name + ": QueryAccessPaths failed (" + HexResult(pathResult) + "); written without paths");
    for (LONG i = 0; i < paths.size(); ++i)
        if (paths[i]) v.accessPaths.push_back(ToUtf8(paths[i]));
}

void Snapshot::Extents(kxemu::Volume& v, const std::string& name, const VolumeDevices& seen)
{
    if (seen.openError || seen.extentsError) {
        Note(name + ": the storage stack gives no extents (Win32 error " +
             std::to_string(seen.openError ? seen.openError : seen.extentsError) +
             "); written without extents, so the library finds no partition of it");
        return;
    }
    for (const SeenExtent& e : seen.extents) {
        kxemu::Disk* disk = machine.FindDisk(e.disk);
        const Partition* match = nullptr;
        if (disk)
            for (const Partition& p : disk->partitions)
                if (p.offset == e.offset && !p.IsContainer()) match = &p;
        if (!match) {
            Note(name + ": an extent on disk " + std::to_string(e.disk) + " at offset " + std::to_string(e.offset) +
                 " is no partition the service lists; left out");
            continue;
        }
        if (match->size != e.length)
            Note(name + ": its extent on disk " + std::to_string(e.disk) + " partition " +
                 std::to_string(match->number) + " is " + std::to_string(e.length) + " bytes, the partition " +
                 std::to_string(match->size) + "; the file keeps the partition's size");
        v.extents.push_back({e.disk, match->number});
    }
    if (v.extents.size() != 1) return;
    // The library asks the MBR query first, the style-aware one after it.
    const long number = seen.mbrNumber >= 0 ? seen.mbrNumber : seen.exNumber;
    if (number != static_cast<long>(v.extents[0].partitionNumber))
        Note(name + ": the storage stack numbers its partition " + std::to_string(number) + ", the service " +
             std::to_string(v.extents[0].partitionNumber) + "; the file keeps the service's number");
}

void Snapshot::Devices()
{
    for (const PendingVolume& pending : volumes) {
        kxemu::Volume& v = *pending.volume;
        const VolumeDevices seen = ReadVolumeDevices(pending.name);
        Extents(v, v.name, seen);
        if (v.status == VDS_VS_ONLINE) v.driveType = seen.driveType;
        // What the library's used-space answer comes from; the service's size where the file system gives none.
        v.totalBytes = seen.hasFreeSpace ? seen.totalBytes : pending.serviceSize;
        v.usedBytes = seen.hasFreeSpace && seen.freeBytes <= seen.totalBytes ? seen.totalBytes - seen.freeBytes : 0;
        if (seen.firstSector.size() == v.bootSector.size()) {
            v.bootSector = seen.firstSector;
            if (v.fileSystem == VDS_FST_NTFS)
                std::copy_n(v.bootSector.begin() + kxemu::kNtfsTagOffset, v.ntfsTag.size(), v.ntfsTag.begin());
        } else if (!seen.openError) {
            Note(v.name + ": its first sector cannot be read (Win32 error " + std::to_string(seen.readError) +
                 "); written as zeros");
        }
    }
    ULONG next = 1;
    for (const PendingVolume& pending : volumes) next = std::max(next, pending.volume->index + 1);
    machine.nextVolumeIndex = next;
}

void Snapshot::Letters()
{
    // The volumes' own letters are their access paths; any other letter in use is another device's.
    std::set<char> ofVolumes;
    for (const auto& provider : machine.providers)
        for (const auto& pack : provider->packs)
            for (const auto& volume : pack->volumes)
                for (const std::string& path : volume->accessPaths)
                    if (path.size() == 3 && path.compare(1, 2, ":\\") == 0)
                        ofVolumes.insert(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    for (const auto& letter : LettersInUse())
        if (!ofVolumes.count(letter.first)) machine.TakeLetter(letter.first, letter.second);
}

// COM for this thread for as long as the snapshot runs, unless it has it.
class ComScope {
public:
    ComScope() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result;
};

bool Fail(SnapshotFailure* failure, HRESULT code, const char* call)
{
    if (failure) *failure = {code, call};
    return false;
}

} // namespace

bool TakeSnapshot(Machine& machine, SnapshotFailure* failure)
{
    machine.Clear();
    ComScope com;
    KXComPtr<IVdsServiceLoader> loader;
    HRESULT hr = CoCreateInstance(CLSID_VdsLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IVdsServiceLoader,
                                  reinterpret_cast<void**>(loader.put()));
    if (FAILED(hr) || !loader) return Fail(failure, FAILED(hr) ? hr : E_POINTER, "CoCreateInstance(VdsLoader)");
    KXComPtr<IVdsService> service;
    hr = loader->LoadService(nullptr, service.put());
    if (FAILED(hr) || !service) return Fail(failure, FAILED(hr) ? hr : E_POINTER, "IVdsServiceLoader::LoadService");
    hr = service->WaitForServiceReady();
    if (FAILED(hr)) return Fail(failure, hr, "IVdsService::WaitForServiceReady");

    Snapshot snapshot(machine);
    hr = EachObject([&](IEnumVdsObject** out) { return service->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, out); },
                    [&](IUnknown* provider) { snapshot.ReadProvider(provider); });
    if (FAILED(hr)) {
        machine.Clear();
        return Fail(failure, hr, "IVdsService::QueryProviders");
    }
    snapshot.Devices();
    snapshot.Letters();
    return true;
}

} // namespace kxvds
