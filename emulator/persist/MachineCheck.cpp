#include "persist/MachineCheck.h"

#include "kxgptguids.h"
#include "model/Layout.h"
#include "model/Text.h"

#include <set>
#include <stdexcept>

namespace kxemu {

namespace {

const ULONGLONG kLargestSector = 4096;

class Broken : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& field, const std::string& why)
{
    throw Broken(field + ": " + why);
}

const Partition* FindPartition(const Machine& machine, const Extent& e)
{
    for (const auto& provider : machine.providers)
        for (const auto& pack : provider->packs)
            for (const auto& disk : pack->disks)
                if (disk->number == e.diskNumber)
                    for (const Partition& p : disk->partitions)
                        if (p.number == e.partitionNumber) return &p;
    return nullptr;
}

// Bits 3 to 47 of a GPT entry's attributes are reserved; 0 to 2 and the
// type-specific 48 to 63 may be set.
const ULONGLONG kGptReservedAttributes = 0x0000FFFFFFFFFFF8ULL;

std::string Bytes(ULONGLONG value)
{
    return std::to_string(value);
}

void CheckDiskShape(const Disk& d, const std::string& at)
{
    const ULONGLONG sector = d.bytesPerSector;
    if (!IsPowerOfTwo(sector) || sector < 512 || sector > kLargestSector)
        Fail(at + ".bytesPerSector", "must be 512, 1024, 2048 or 4096, not " + Bytes(sector));
    if (d.size == 0 || d.size % sector != 0) Fail(at + ".size", "must be a whole number of sectors above 0, not " + Bytes(d.size));
    if (d.sectorsPerTrack == 0) Fail(at + ".sectorsPerTrack", "must be at least 1");
    if (d.tracksPerCylinder == 0) Fail(at + ".tracksPerCylinder", "must be at least 1");
    if (d.style != VDS_PST_MBR && d.style != VDS_PST_GPT) Fail(at + ".style", "must be 1 (MBR) or 2 (GPT)");
}

void CheckPartitionPlace(const Disk& d, const Partition& p, const std::string& at)
{
    const ULONGLONG sector = d.bytesPerSector;
    if (p.style != d.style) Fail(at + ".style", "differs from the disk's partition style");
    if (p.offset % sector != 0) Fail(at + ".offset", "must be a whole number of sectors, not " + Bytes(p.offset));
    if (p.size == 0 || p.size % sector != 0)
        Fail(at + ".size", "must be a whole number of sectors above 0, not " + Bytes(p.size));
    if (p.offset < FirstUsableByte(d))
        Fail(at + ".offset", "lies in the partition table (the first usable byte is " + Bytes(FirstUsableByte(d)) + ")");
    if (p.offset > UsableEnd(d))
        Fail(at + ".offset", "lies past the disk's usable end (byte " + Bytes(UsableEnd(d)) + ")");
    if (p.size > UsableEnd(d) - p.offset)
        Fail(at + ".size", "runs past the disk's end: the partition would end at byte " + Bytes(p.offset + p.size) +
                               " of a disk of " + Bytes(d.size));
}

void CheckGptEntry(const Partition& p, const std::string& at, std::set<std::string>* ids)
{
    const GUID unused = {};
    if (p.gptType == unused) Fail(at + ".gptType", "the zero GUID marks an unused entry, not a partition");
    if (p.gptId == unused) Fail(at + ".gptId", "a partition needs a unique GUID, not the zero GUID");
    if (!ids->insert(GuidText(p.gptId)).second) Fail(at + ".gptId", GuidText(p.gptId) + " appears twice");
    if (p.gptAttributes & kGptReservedAttributes)
        Fail(at + ".gptAttributes", "sets reserved bits (3 to 47) in " + Bytes(p.gptAttributes));
    if (p.active) Fail(at + ".active", "the boot flag is an MBR entry's; a GPT partition has none");
}

void CheckPartitions(const Disk& d, const std::string& at, std::set<std::string>* gptIds)
{
    if (d.style == VDS_PST_GPT && d.partitions.size() > kxgpt::kMostEntries)
        Fail(at + ".partitions", std::to_string(d.partitions.size()) + " partitions for a GPT's " +
                                     std::to_string(kxgpt::kMostEntries) + " entries");
    int containers = 0;
    int active = 0;
    std::set<ULONG> numbers;
    for (size_t i = 0; i < d.partitions.size(); ++i) {
        const Partition& p = d.partitions[i];
        const std::string here = at + ".partitions[" + std::to_string(i) + "]";
        CheckPartitionPlace(d, p, here);
        if (p.style == VDS_PST_GPT) CheckGptEntry(p, here, gptIds);
        if (!numbers.insert(p.number).second)
            Fail(here + ".number", "partition number " + std::to_string(p.number) + " appears twice");
        if (p.IsContainer() && ++containers > 1) Fail(here + ".type", "a second extended partition");
        if (p.style == VDS_PST_MBR && p.active && ++active > 1) Fail(here + ".active", "a second active partition");
        for (size_t k = 0; k < i; ++k) {
            const Partition& q = d.partitions[k];
            if (!Overlaps(p.offset, p.End(), q)) continue;
            // Only a logical drive lies on the extended partition, wholly inside it.
            const Partition& inner = p.IsContainer() ? q : p;
            const Partition& outer = p.IsContainer() ? p : q;
            if (outer.IsContainer() && !inner.IsContainer() && Inside(inner.offset, inner.End(), outer)) continue;
            Fail(here + ".offset", "overlaps partition " + std::to_string(q.number) + " (bytes " + Bytes(q.offset) +
                                       " to " + Bytes(q.End()) + ")");
        }
    }
    if (d.style == VDS_PST_MBR && PrimaryEntries(d) > 4)
        Fail(at + ".partitions", "more than four primary and extended partitions for the MBR's four entries");
}

void CheckVolume(const Machine& machine, const Volume& v, const std::string& at,
                 std::set<std::pair<ULONG, ULONG>>* used, std::set<char>* letters)
{
    for (size_t i = 0; i < v.extents.size(); ++i) {
        const Extent& e = v.extents[i];
        const std::string here = at + ".extents[" + std::to_string(i) + "]";
        const Partition* p = FindPartition(machine, e);
        if (!p)
            Fail(here, "no partition " + std::to_string(e.partitionNumber) + " on disk " + std::to_string(e.diskNumber));
        if (p->IsContainer()) Fail(here, "an extended partition holds no volume");
        if (!used->insert({e.diskNumber, e.partitionNumber}).second)
            Fail(here, "partition " + std::to_string(e.partitionNumber) + " on disk " + std::to_string(e.diskNumber) +
                           " already holds a volume");
    }
    if (v.usedBytes > v.totalBytes) Fail(at + ".usedBytes", "more than the volume's totalBytes");
    for (size_t i = 0; i < v.accessPaths.size(); ++i) {
        const std::string& path = v.accessPaths[i];
        const std::string here = at + ".accessPaths[" + std::to_string(i) + "]";
        if (!IsWellFormedAccessPath(path))
            Fail(here, "\"" + path + "\" is neither a drive letter (\"F:\\\") nor a folder (\"C:\\Mount\\\")");
        if (!IsDriveRoot(path)) continue;
        const char letter = UpperAscii(path.substr(0, 1))[0];
        if (machine.takenLetters.count(letter) || !letters->insert(letter).second)
            Fail(here, std::string("the drive letter ") + letter + ": is taken already");
    }
}

void Check(const Machine& machine)
{
    std::set<ULONG> disks;
    std::set<std::pair<ULONG, ULONG>> used;
    std::set<char> letters;
    std::set<std::string> gptIds;
    for (size_t i = 0; i < machine.providers.size(); ++i) {
        const Provider& provider = *machine.providers[i];
        for (size_t k = 0; k < provider.packs.size(); ++k) {
            const Pack& pack = *provider.packs[k];
            const std::string at = "providers[" + std::to_string(i) + "].packs[" + std::to_string(k) + "]";
            for (size_t d = 0; d < pack.disks.size(); ++d) {
                const Disk& disk = *pack.disks[d];
                const std::string here = at + ".disks[" + std::to_string(d) + "]";
                if (!disks.insert(disk.number).second)
                    Fail(here + ".number", "disk " + std::to_string(disk.number) + " appears twice");
                CheckDiskShape(disk, here);
                CheckPartitions(disk, here, &gptIds);
            }
        }
    }
    // Volumes last: their extents name partitions of any pack.
    for (size_t i = 0; i < machine.providers.size(); ++i)
        for (size_t k = 0; k < machine.providers[i]->packs.size(); ++k) {
            const Pack& pack = *machine.providers[i]->packs[k];
            for (size_t v = 0; v < pack.volumes.size(); ++v)
                CheckVolume(machine, *pack.volumes[v],
                            "providers[" + std::to_string(i) + "].packs[" + std::to_string(k) + "].volumes[" +
                                std::to_string(v) + "]",
                            &used, &letters);
        }
}

} // namespace

std::string BrokenRule(const Machine& machine)
{
    try {
        Check(machine);
    } catch (const Broken& e) {
        return e.what();
    }
    return std::string();
}

} // namespace kxemu
