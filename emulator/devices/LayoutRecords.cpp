#include "devices/LayoutRecords.h"

#include "kxgptguids.h"
#include "model/Layout.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace kxemu {

namespace {

const DWORD kEntriesPerTable = 4;

PARTITION_STYLE StyleOf(const Disk& disk)
{
    if (disk.style == VDS_PST_MBR) return PARTITION_STYLE_MBR;
    if (disk.style == VDS_PST_GPT) return PARTITION_STYLE_GPT;
    return PARTITION_STYLE_RAW;
}

// The entries in the order the drive layout lists them; null for an unused one.
std::vector<const Partition*> LayoutEntries(const Disk& disk)
{
    std::vector<const Partition*> entries;
    if (disk.style == VDS_PST_GPT) {
        for (const Partition& p : disk.partitions) entries.push_back(&p);
        return entries;
    }
    if (disk.style != VDS_PST_MBR) return entries;
    std::vector<const Partition*> logical;
    for (const Partition& p : disk.partitions) (IsLogical(disk, p) ? logical : entries).push_back(&p);
    entries.resize(kEntriesPerTable, nullptr);
    for (const Partition* p : logical) {
        entries.push_back(p);
        entries.resize(entries.size() + kEntriesPerTable - 1, nullptr);
    }
    return entries;
}

} // namespace

void FillPartitionInformationEx(const Disk& disk, const Partition& p, PARTITION_INFORMATION_EX* out)
{
    std::memset(out, 0, sizeof(*out));
    out->PartitionStyle = StyleOf(disk);
    out->StartingOffset.QuadPart = static_cast<LONGLONG>(p.offset);
    out->PartitionLength.QuadPart = static_cast<LONGLONG>(p.size);
    out->PartitionNumber = p.number;
    if (p.style == VDS_PST_GPT) {
        out->Gpt.PartitionType = p.gptType;
        out->Gpt.PartitionId = p.gptId;
        out->Gpt.Attributes = p.gptAttributes;
        return;
    }
    out->Mbr.PartitionType = p.type;
    out->Mbr.BootIndicator = p.active ? TRUE : FALSE;
    out->Mbr.RecognizedPartition = p.IsContainer() ? FALSE : TRUE;
    out->Mbr.HiddenSectors = static_cast<DWORD>(p.offset / SectorBytes(disk));
}

bool FillDriveLayout(const Disk& disk, void* out, DWORD outSize, DWORD* returned, DWORD* error)
{
    const std::vector<const Partition*> entries = LayoutEntries(disk);
    const size_t needed = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) +
                          entries.size() * sizeof(PARTITION_INFORMATION_EX);
    if (!out || outSize < needed || outSize < sizeof(DRIVE_LAYOUT_INFORMATION_EX)) {
        *error = ERROR_INSUFFICIENT_BUFFER;
        return false;
    }
    std::memset(out, 0, needed);
    auto* layout = static_cast<DRIVE_LAYOUT_INFORMATION_EX*>(out);
    layout->PartitionStyle = StyleOf(disk);
    layout->PartitionCount = static_cast<DWORD>(entries.size());
    if (disk.style == VDS_PST_GPT) {
        layout->Gpt.DiskId = disk.id;
        layout->Gpt.StartingUsableOffset.QuadPart = static_cast<LONGLONG>(FirstUsableByte(disk));
        layout->Gpt.UsableLength.QuadPart = static_cast<LONGLONG>(UsableEnd(disk) - FirstUsableByte(disk));
        layout->Gpt.MaxPartitionCount = kxgpt::kMostEntries;
    } else {
        layout->Mbr.Signature = disk.signature;
    }
    // The record declares one entry; the rest follow it in the caller's buffer.
    PARTITION_INFORMATION_EX* entry = layout->PartitionEntry;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i]) FillPartitionInformationEx(disk, *entries[i], entry + i);
    *returned = static_cast<DWORD>(needed);
    return true;
}

} // namespace kxemu
