#include "kxemu/Machine.h"

#include "model/BootSector.h"
#include "model/Operations.h"
#include "model/Text.h"

#include <algorithm>

namespace kxemu {

namespace {

// Stable, distinct identifiers: a kind tag and a serial number.
GUID MakeId(Machine& machine, uint16_t kind)
{
    GUID id = {};
    id.Data1 = 0x4b58454d;  // "KXEM"
    id.Data2 = kind;
    id.Data3 = 0x4000;
    const ULONG serial = machine.nextObjectSerial++;
    for (int i = 0; i < 4; ++i) id.Data4[7 - i] = static_cast<uint8_t>(serial >> (8 * i));
    id.Data4[0] = 0x80;
    return id;
}

} // namespace

ULONGLONG DefaultAlignment(ULONGLONG diskSize)
{
    return diskSize >= 4 * GiB ? 1 * MiB : 64 * KiB;
}

Disk::Disk(Pack* owner, ULONG n, ULONGLONG bytes)
    : number(n), name("\\\\?\\PhysicalDrive" + std::to_string(n)), size(bytes), pack(owner)
{
    devicePath = name;
    signature = 0x4b580000u + n;
    id = MakeId(owner->OwnerMachine(), 0x0d);
}

Partition& Disk::AddPartition(ULONG n, ULONGLONG offset, ULONGLONG bytes, BYTE type, bool isActive)
{
    Partition p;
    p.number = n;
    p.offset = offset;
    p.size = bytes;
    p.type = type;
    p.active = isActive;
    partitions.push_back(p);
    return partitions.back();
}

Partition& Disk::AddGptPartition(ULONG n, ULONGLONG offset, ULONGLONG bytes, const GUID& type)
{
    Partition p;
    p.number = n;
    p.offset = offset;
    p.size = bytes;
    p.style = VDS_PST_GPT;
    p.gptType = type;
    p.gptId = MakeId(pack->OwnerMachine(), 0x50);
    partitions.push_back(p);
    return partitions.back();
}

Partition* Disk::FindPartition(ULONG n)
{
    for (Partition& p : partitions)
        if (p.number == n) return &p;
    return nullptr;
}

const Partition* Disk::ExtendedPartition() const
{
    for (const Partition& p : partitions)
        if (p.IsContainer()) return &p;
    return nullptr;
}

Volume& Disk::AddVolume(ULONG partitionNumber)
{
    Volume& v = pack->AddVolume();
    v.extents.push_back(Extent{number, partitionNumber});
    if (const Partition* p = FindPartition(partitionNumber)) v.totalBytes = p->size;
    return v;
}

Volume::Volume(Pack* owner, ULONG n)
    : index(n), name("\\\\?\\GLOBALROOT\\Device\\HarddiskVolume" + std::to_string(n)),
      bootSector(kBootSectorSize, 0), pack(owner)
{
    id = MakeId(owner->OwnerMachine(), 0x0b);
}

Volume& Volume::FileSystem(VDS_FILE_SYSTEM_TYPE type, const std::string& newLabel)
{
    fileSystem = type;
    label = newLabel;
    if (HasFileSystem()) {
        if (!unitSize) unitSize = DefaultUnitSize(*this, type);
        WriteBootSector(*this);
    } else {
        unitSize = 0;
        std::fill(bootSector.begin(), bootSector.end(), 0);
    }
    return *this;
}

Volume& Volume::AccessPath(const std::string& path)
{
    accessPaths.push_back(path);
    return *this;
}

Volume& Volume::NtfsTag(const std::string& tag)
{
    ntfsTag.fill(0);
    std::copy_n(tag.begin(), std::min<size_t>(tag.size(), ntfsTag.size()), ntfsTag.begin());
    if (fileSystem == VDS_FST_NTFS) std::copy(ntfsTag.begin(), ntfsTag.end(), bootSector.begin() + kNtfsTagOffset);
    return *this;
}

Volume& Volume::OemName(const std::string& oem)
{
    for (size_t i = 0; i < 8; ++i) bootSector[3 + i] = i < oem.size() ? static_cast<BYTE>(oem[i]) : ' ';
    return *this;
}

Pack::Pack(Provider* owner, Machine* m, ULONG n) : name("Pack" + std::to_string(n)), provider(owner), machine(m)
{
    id = MakeId(*m, 0x0a);
}

Disk& Pack::AddDisk(ULONG n, ULONGLONG bytes)
{
    disks.push_back(std::make_shared<Disk>(this, n, bytes));
    return *disks.back();
}

Volume& Pack::AddVolume()
{
    volumes.push_back(std::make_shared<Volume>(this, machine->NextVolumeIndex()));
    return *volumes.back();
}

Provider::Provider(Machine* m, ULONG) : machine(m)
{
    id = MakeId(*m, 0x01);
}

Pack& Provider::AddPack()
{
    ULONG count = 0;
    for (const auto& provider : machine->providers) count += static_cast<ULONG>(provider->packs.size());
    packs.push_back(std::make_shared<Pack>(this, machine, count + 1));
    return *packs.back();
}

Provider& Machine::AddProvider()
{
    providers.push_back(std::make_shared<Provider>(this, static_cast<ULONG>(providers.size() + 1)));
    return *providers.back();
}

Machine& Machine::TakeLetter(char letter, UINT driveType)
{
    takenLetters[static_cast<char>(UpperAscii(std::string(1, letter))[0])] = driveType;
    return *this;
}

void Machine::Clear()
{
    providers.clear();
    takenLetters.clear();
    autoAssignLetters = false;
    nextVolumeIndex = 1;
    nextObjectSerial = 1;
    notes.clear();
}

Disk* Machine::FindDisk(ULONG number)
{
    for (auto& provider : providers)
        for (auto& pack : provider->packs)
            for (auto& disk : pack->disks)
                if (disk->number == number) return disk.get();
    return nullptr;
}

Volume* Machine::FindVolumeByName(const std::string& deviceName)
{
    for (auto& provider : providers)
        for (auto& pack : provider->packs)
            for (auto& volume : pack->volumes)
                if (EqualNoCase(volume->name, deviceName)) return volume.get();
    return nullptr;
}

Volume* Machine::FindVolumeOnPartition(ULONG diskNumber, ULONG partitionNumber)
{
    for (auto& provider : providers)
        for (auto& pack : provider->packs)
            for (auto& volume : pack->volumes)
                for (const Extent& e : volume->extents)
                    if (e.diskNumber == diskNumber && e.partitionNumber == partitionNumber) return volume.get();
    return nullptr;
}

Volume* Machine::FindVolumeByPath(const std::string& path)
{
    const std::string wanted = UpperAscii(path);
    Volume* best = nullptr;
    size_t bestLength = 0;
    for (auto& provider : providers)
        for (auto& pack : provider->packs)
            for (auto& volume : pack->volumes)
                for (const std::string& accessPath : volume->accessPaths) {
                    const std::string candidate = UpperAscii(accessPath);
                    if (candidate.size() > bestLength && wanted.compare(0, candidate.size(), candidate) == 0) {
                        best = volume.get();
                        bestLength = candidate.size();
                    }
                }
    return best;
}

UINT Machine::LetterType(char letter)
{
    const char upper = UpperAscii(std::string(1, letter))[0];
    auto taken = takenLetters.find(upper);
    if (taken != takenLetters.end()) return taken->second;
    const std::string root = std::string(1, upper) + ":\\";
    if (Volume* v = FindVolumeByPath(root)) {
        for (const std::string& p : v->accessPaths)
            if (EqualNoCase(p, root)) return v->status == VDS_VS_ONLINE ? v->driveType : DRIVE_UNKNOWN;
    }
    return DRIVE_NO_ROOT_DIR;
}

ULONG Machine::NextVolumeIndex()
{
    ULONG n = nextVolumeIndex;
    for (;;) {
        bool used = false;
        for (auto& provider : providers)
            for (auto& pack : provider->packs)
                for (auto& volume : pack->volumes)
                    if (volume->index == n) used = true;
        if (!used) break;
        ++n;
    }
    nextVolumeIndex = n + 1;
    return n;
}

} // namespace kxemu
