#include "snapshot/SlotTable.h"

#include "common/DiskHandles.h"
#include "WideText.h"
#include "kxemu/MachineFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

using kxemu::MiB;

std::string Hex(unsigned long long v)
{
    char text[24];
    std::snprintf(text, sizeof(text), "%llx", v);
    return text;
}

using kxvds::ToUtf8;
using kxvds::ToWide;

std::string Paths(IKXVdsPartition* p)
{
    KXWCHAR path[260] = {};
    std::string out;
    HRESULT hr = p->GetFirstAccessPath(path, 260);
    for (int i = 0; hr == S_OK && i < 32; ++i, hr = p->GetNextAccessPath(path, 260)) out += ToUtf8(path) + " ";
    return out + Hex(static_cast<unsigned>(hr));
}

std::string Describe(IKXVdsPartition* p)
{
    KXWCHAR name[260] = {};
    const HRESULT named = p->GetVolumeName(name, 260);
    return "at " + Hex(p->GetOffset()) + " to " + Hex(p->GetEndOffset()) + " size " + Hex(p->GetSize()) + " used " +
           Hex(p->GetUsedSpace()) + " type " + Hex(static_cast<unsigned>(p->GetPartitionType())) + " active " +
           std::to_string(p->IsActive()) + " primary " + std::to_string(p->IsPrimary()) + " recovery " +
           std::to_string(p->IsRecovery()) + " number " + std::to_string(p->GetPartitionNumber()) + " volume " +
           Hex(static_cast<unsigned>(named)) + " " + (named == S_OK ? ToUtf8(name) : "") + " paths " + Paths(p);
}

// The code of a call that hands out a partition object, and the object described.
std::string Handed(const std::function<HRESULT(IKXVdsPartition**)>& make)
{
    IKXVdsPartition* made = nullptr;
    const HRESULT hr = make(&made);
    PartitionPtr owner(made);
    return Hex(static_cast<unsigned>(hr)) + (owner ? " " + Describe(owner.get()) : "");
}

// What the whole disk looks like, read by a new object for each partition.
std::string DiskAfter(IKXVdsDisk* disk)
{
    std::string out = "count " + std::to_string(disk->GetPartitionCount());
    for (int i = 0; i < disk->GetPartitionCount(); ++i) {
        out += "; " + Handed([&](IKXVdsPartition** p) { return disk->GetPartition(i, p); });
    }
    return out;
}

using DiskProbe = std::function<std::string(IKXVdsDisk*)>;
using PartitionProbe = std::function<std::string(IKXVdsDisk*, IKXVdsPartition*)>;

class Table {
public:
    Table(kxemu::KXEmulator& e, const std::string& t) : emu(e), text(t) {}

    // The machine loaded afresh, disk `number` connected, then `probe` with its own calls.
    void Disk(int number, const std::string& what, const DiskProbe& probe)
    {
        std::string error;
        ASSERT_TRUE(kxemu::LoadMachine(text, emu.Machine(), &error)) << error;
        DiskPtr disk(GetVdsDiskInterface());
        emu.ResetCalls();
        const HRESULT connected = disk->Connect(number);
        SlotRow row{"disk " + std::to_string(number) + ": " + what, "connect " + Hex(static_cast<unsigned>(connected)),
                    {}};
        if (connected == S_OK) {
            emu.ResetCalls();
            row.answer += "; " + probe(disk.get());
        }
        row.calls = emu.CallLog();
        rows.push_back(row);
    }

    // The same with partition `index` opened first (outside the row's calls).
    void Partition(int number, int index, const std::string& what, const PartitionProbe& probe)
    {
        Disk(number, "partition " + std::to_string(index) + ": " + what, [&](IKXVdsDisk* disk) {
            IKXVdsPartition* made = nullptr;
            const HRESULT hr = disk->GetPartition(index, &made);
            PartitionPtr p(made);
            if (!p) return "open " + Hex(static_cast<unsigned>(hr));
            emu.ResetCalls();
            return probe(disk, p.get());
        });
    }

    std::vector<SlotRow> rows;

private:
    kxemu::KXEmulator& emu;
    std::string text;
};

void DiskRows(Table& t, int n, int count, const std::vector<std::pair<ULONGLONG, unsigned>>& places)
{
    t.Disk(n, "GetDiskProperties", [](IKXVdsDisk* d) {
        DiskProperties p = {};
        const HRESULT hr = d->GetDiskProperties(&p);
        return Hex(static_cast<unsigned>(hr)) + " " + Hex(p.ullSize) + " " + std::to_string(p.ulBytesPerSector) + " " +
               std::to_string(p.ulSectorsPerTrack) + " " + std::to_string(p.ulTracksPerCylinder);
    });
    t.Disk(n, "IsConnected, GetPartitionCount", [](IKXVdsDisk* d) {
        return std::to_string(d->IsConnected()) + " " + std::to_string(d->GetPartitionCount());
    });
    for (int i = -1; i <= count; ++i)
        t.Disk(n, "GetPartition " + std::to_string(i), [i](IKXVdsDisk* d) {
            return Handed([&](IKXVdsPartition** p) { return d->GetPartition(i, p); });
        });
    for (const auto& place : places) {
        for (const ULONGLONG offset : {place.first, place.first + 512})
            t.Disk(n, "GetPartitionByOffset " + Hex(offset), [offset](IKXVdsDisk* d) {
                return Handed([&](IKXVdsPartition** p) { return d->GetPartitionByOffset(offset, p); });
            });
        t.Disk(n, "GetPartitionByNumber " + std::to_string(place.second), [&place](IKXVdsDisk* d) {
            return Handed([&](IKXVdsPartition** p) { return d->GetPartitionByNumber(place.second, p); });
        });
    }
    for (const ULONGLONG offset : {0ULL, 200 * MiB})
        t.Disk(n, "CreatePartition at " + Hex(offset), [offset](IKXVdsDisk* d) {
            ULONGLONG placed = 0;
            const HRESULT hr = d->CreatePartition(offset, 64 * MiB, 0x07, 0, &placed);
            return Hex(static_cast<unsigned>(hr)) + " at " + Hex(placed) + "; " + DiskAfter(d);
        });
}

void PartitionRows(Table& t, int n, int i)
{
    using Getter = std::pair<const char*, std::function<std::string(IKXVdsPartition*)>>;
    const std::vector<Getter> getters = {
        {"GetVolumeName", [](IKXVdsPartition* p) {
             KXWCHAR name[260] = {};
             const HRESULT hr = p->GetVolumeName(name, 260);
             return Hex(static_cast<unsigned>(hr)) + " " + ToUtf8(name);
         }},
        {"GetOffset", [](IKXVdsPartition* p) { return Hex(p->GetOffset()); }},
        {"GetEndOffset", [](IKXVdsPartition* p) { return Hex(p->GetEndOffset()); }},
        {"GetSize", [](IKXVdsPartition* p) { return Hex(p->GetSize()); }},
        {"GetUsedSpace", [](IKXVdsPartition* p) { return Hex(p->GetUsedSpace()); }},
        {"GetPartitionType", [](IKXVdsPartition* p) { return std::to_string(p->GetPartitionType()); }},
        {"IsActive", [](IKXVdsPartition* p) { return std::to_string(p->IsActive()); }},
        {"IsPrimary", [](IKXVdsPartition* p) { return std::to_string(p->IsPrimary()); }},
        {"IsRecovery", [](IKXVdsPartition* p) { return std::to_string(p->IsRecovery()); }},
        {"GetPartitionNumber", [](IKXVdsPartition* p) { return std::to_string(p->GetPartitionNumber()); }},
        {"access paths", [](IKXVdsPartition* p) { return Paths(p); }},
    };
    for (const Getter& g : getters)
        t.Partition(n, i, g.first, [&g](IKXVdsDisk*, IKXVdsPartition* p) { return g.second(p); });

    // Changes, with the disk as it is afterwards.
    using Change = std::pair<std::string, std::function<HRESULT(IKXVdsPartition*)>>;
    const std::vector<Change> changes = {
        {"AddMountPoint Q:", [](IKXVdsPartition* p) { return p->AddMountPoint(ToWide("Q:\\").c_str()); }},
        {"AddMountPoint folder",
         [](IKXVdsPartition* p) { return p->AddMountPoint(ToWide("C:\\Snap\\").c_str()); }},
        {"DeleteMountPoint first", [](IKXVdsPartition* p) {
             KXWCHAR path[260] = {};
             p->GetFirstAccessPath(path, 260);
             return p->DeleteMountPoint(path);
         }},
        {"Shrink 16 MiB", [](IKXVdsPartition* p) { return p->Shrink(16 * MiB); }},
        {"Format NTFS",
         [](IKXVdsPartition* p) { return p->Format(ToWide("NTFS").c_str(), ToWide("Snap").c_str(), 1); }},
        {"Format FAT32",
         [](IKXVdsPartition* p) { return p->Format(ToWide("FAT32").c_str(), ToWide("SNAP").c_str(), 1); }},
    };
    for (const Change& c : changes)
        t.Partition(n, i, c.first, [&c](IKXVdsDisk* d, IKXVdsPartition* p) {
            return Hex(static_cast<unsigned>(c.second(p))) + "; " + DiskAfter(d);
        });
}

} // namespace

std::vector<SlotRow> SlotTable(kxemu::KXEmulator& emu, const std::string& machineText, const std::string& planText)
{
    Table t(emu, machineText);
    std::string error;
    kxemu::Machine& m = emu.Machine();
    EXPECT_TRUE(kxemu::LoadMachine(planText, m, &error)) << error;
    // The disks and their partitions as the file has them; one number past the last.
    std::vector<std::pair<int, std::vector<std::pair<ULONGLONG, unsigned>>>> disks;
    int last = -1;
    for (const auto& provider : m.providers)
        for (const auto& pack : provider->packs)
            for (const auto& disk : pack->disks) {
                std::vector<std::pair<ULONGLONG, unsigned>> places;
                for (const kxemu::Partition& p : disk->partitions) places.emplace_back(p.offset, p.number);
                disks.emplace_back(static_cast<int>(disk->number), places);
                last = std::max(last, static_cast<int>(disk->number));
            }
    disks.emplace_back(last + 1, std::vector<std::pair<ULONGLONG, unsigned>>());
    for (const auto& disk : disks) {
        const int count = static_cast<int>(disk.second.size());
        DiskRows(t, disk.first, count, disk.second);
        for (int i = 0; i < count; ++i) PartitionRows(t, disk.first, i);
    }
    return t.rows;
}
