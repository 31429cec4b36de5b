// Creating partitions on a basic MBR or GPT disk.
#include "model/Operations.h"

#include "model/Layout.h"

#include <algorithm>

namespace kxemu {

namespace {

ULONG NextPartitionNumber(const Disk& disk)
{
    ULONG highest = 0;
    for (const Partition& p : disk.partitions) highest = std::max(highest, p.number);
    return highest + 1;
}

HRESULT PlanLogical(const Disk& disk, const Partition& container, ULONGLONG align, Partition* planned)
{
    // Each logical drive is preceded by its own boot record: the service keeps
    // one alignment unit free before it.
    bool moved = true;
    while (moved) {
        moved = false;
        if (planned->offset == container.offset) {
            planned->offset += align;
            moved = true;
        }
        for (const Partition& p : disk.partitions) {
            if (!p.IsContainer() && Inside(p.offset, p.End(), container) && p.End() == planned->offset) {
                planned->offset += align;
                moved = true;
            }
        }
    }
    const ULONGLONG end = planned->offset + planned->size;
    if (end > container.End()) return VDS_E_INVALID_SPACE;
    for (const Partition& p : disk.partitions)
        if (!p.IsContainer() && Overlaps(planned->offset, end, p)) return VDS_E_INVALID_SPACE;
    return S_OK;
}

HRESULT PlanPrimary(const Disk& disk, Partition* planned)
{
    const ULONGLONG end = planned->offset + planned->size;
    for (const Partition& p : disk.partitions)
        if (Overlaps(planned->offset, end, p)) return VDS_E_INVALID_SPACE;
    if (disk.style == VDS_PST_MBR && PrimaryEntries(disk) >= 4) return VDS_E_PARTITION_LIMIT_REACHED;
    return S_OK;
}

} // namespace

HRESULT PlanPartition(const Disk& disk, ULONGLONG offset, ULONGLONG size, ULONG align,
                      const CREATE_PARTITION_PARAMETERS* parameters, Partition* planned)
{
    if (!parameters || size == 0) return E_INVALIDARG;
    if (disk.status != VDS_DS_ONLINE) return VDS_E_DISK_NOT_ONLINE;
    const bool gpt = disk.style == VDS_PST_GPT;
    if (parameters->style != (gpt ? VDS_PST_GPT : VDS_PST_MBR)) return VDS_E_PARTITION_STYLE_MISMATCH;

    const ULONGLONG sector = SectorBytes(disk);
    const ULONGLONG unit = align ? align : DefaultAlignment(disk.size);
    if (!IsPowerOfTwo(unit)) return VDS_E_ALIGN_NOT_A_POWER_OF_TWO;
    if (unit % sector != 0) return VDS_E_ALIGN_NOT_SECTOR_SIZE_MULTIPLE;
    // A partition table counts whole sectors.
    if (size % sector != 0) return VDS_E_VOLUME_LENGTH_NOT_SECTOR_SIZE_MULTIPLE;

    *planned = Partition();
    // At or beyond the offset asked for, on an alignment boundary, and past
    // the partition table; the size is kept.
    const ULONGLONG wanted = std::max<ULONGLONG>(offset, FirstUsableByte(disk));
    planned->offset = (wanted + unit - 1) / unit * unit;
    planned->size = size;
    if (planned->offset < wanted || planned->size > ~0ULL - planned->offset) return VDS_E_INVALID_SPACE;
    if (gpt) {
        planned->style = VDS_PST_GPT;
        planned->gptType = parameters->GptPartInfo.partitionType;
        planned->gptId = parameters->GptPartInfo.partitionId;
        planned->gptAttributes = parameters->GptPartInfo.attributes;
        planned->type = 0;
    } else {
        planned->type = parameters->MbrPartInfo.partitionType;
        planned->active = parameters->MbrPartInfo.bootIndicator != 0;
    }
    if (planned->offset + planned->size > UsableEnd(disk)) return VDS_E_INVALID_SPACE;
    // One boot indicator per MBR: a second active partition is refused.
    if (planned->active && ActivePartition(disk)) return VDS_E_ACTIVE_PARTITION;

    if (planned->IsContainer() && disk.ExtendedPartition()) return VDS_E_PARTITION_LIMIT_REACHED;
    const Partition* container = disk.ExtendedPartition();
    HRESULT hr;
    if (!gpt && container && !planned->IsContainer() &&
        Inside(planned->offset, planned->offset + planned->size, *container)) {
        hr = PlanLogical(disk, *container, unit, planned);
    } else {
        hr = PlanPrimary(disk, planned);
    }
    if (hr != S_OK) return hr;
    // The service numbers an extended container 0, like the drive layout does.
    planned->number = planned->IsContainer() ? 0 : NextPartitionNumber(disk);
    return S_OK;
}

Volume* CommitPartition(Disk& disk, const Partition& planned)
{
    // Records stay in the order of their offsets where they were.
    auto at = std::find_if(disk.partitions.begin(), disk.partitions.end(),
                           [&](const Partition& p) { return p.offset > planned.offset; });
    disk.partitions.insert(at, planned);
    if (planned.IsContainer()) return nullptr;

    Volume& volume = disk.AddVolume(planned.number);
    volume.totalBytes = planned.size;
    Machine& machine = disk.OwnerPack().OwnerMachine();
    if (machine.autoAssignLetters) {
        for (char letter = 'C'; letter <= 'Z'; ++letter) {
            if (machine.LetterType(letter) == DRIVE_NO_ROOT_DIR) {
                volume.accessPaths.push_back(std::string(1, letter) + ":\\");
                break;
            }
        }
    }
    return &volume;
}

} // namespace kxemu
