#include "Library.h"

#include "Failure.h"
#include "Host.h"
#include "WorkingNotice.h"

namespace kxvds {

namespace {

const uint32_t kOutOfMemory = 0x8007000Eu;
const uint32_t kNoInterface = 0x80004002u;
const uint32_t kUnexpected = 0x8000FFFFu;

std::string DiskText(unsigned long number)
{
    return "disk " + std::to_string(number);
}

std::string List(const std::vector<std::string>& items)
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

std::string NoSuchDisk(unsigned long number)
{
    std::vector<std::string> numbers;
    for (unsigned long n : ExistingDisks()) numbers.push_back(std::to_string(n));
    const std::string there = "there is no disk " + std::to_string(number);
    if (numbers.empty()) return there + " (the disk service shows none here)";
    return there + "; the disk" + (numbers.size() == 1 ? " is " : "s are ") + List(numbers);
}

// What the disk has, so that a failed selection says what could be chosen.
std::string NoSuchPartition(IKXVdsDisk& disk, unsigned long diskNumber, const PartitionSelector& selector)
{
    const int count = disk.GetPartitionCount();
    const std::string on = DiskText(diskNumber);
    if (count <= 0) return on + " has no partitions";
    if (selector.by == PartitionSelector::Index)
        return on + " has " + std::to_string(count) + (count == 1 ? " partition (index 0)" : " partitions (indexes 0 to " + std::to_string(count - 1) + ")");
    std::vector<std::string> known;
    for (int i = 0; i < count; ++i) {
        IKXVdsPartition* raw = nullptr;
        if (disk.GetPartition(i, &raw) != 0 || !raw) continue;
        PartitionObject partition(raw);
        known.push_back(selector.by == PartitionSelector::Offset
                            ? std::to_string(partition->GetOffset())
                            : std::to_string(partition->GetPartitionNumber()));
    }
    if (selector.by == PartitionSelector::Offset)
        return "no partition starts at byte " + std::to_string(selector.value) + " of " + on + "; partitions start at bytes " + List(known);
    return on + " has no partition " + std::to_string(selector.value) + "; its partitions are " + List(known);
}

} // namespace

DiskObject OpenDisk(unsigned long number)
{
    DiskObject disk(GetVdsDiskInterface());
    if (!disk) throw OperationFailed(kOutOfMemory, "make a disk object");
    WorkingNotice notice("Connecting to the disk service", WorkingNotice::Transient);
    const KXHRESULT hr = disk->Connect(static_cast<int>(number));
    notice.Finish(hr == 0);
    if (hr != 0)
        throw OperationFailed(static_cast<uint32_t>(hr), "select " + DiskText(number),
                              static_cast<uint32_t>(hr) == kNoInterface ? NoSuchDisk(number) : std::string());
    return disk;
}

DiskProperties ReadProperties(IKXVdsDisk& disk, unsigned long number)
{
    DiskProperties properties = {};
    const KXHRESULT hr = disk.GetDiskProperties(&properties);
    if (hr != 0) throw OperationFailed(static_cast<uint32_t>(hr), "read the properties of " + DiskText(number));
    return properties;
}

PartitionObject OpenPartition(IKXVdsDisk& disk, unsigned long diskNumber, const PartitionSelector& selector)
{
    IKXVdsPartition* raw = nullptr;
    KXHRESULT hr;
    switch (selector.by) {
    case PartitionSelector::Index: hr = disk.GetPartition(static_cast<int>(selector.value), &raw); break;
    case PartitionSelector::Offset: hr = disk.GetPartitionByOffset(selector.value, &raw); break;
    default: hr = disk.GetPartitionByNumber(static_cast<unsigned int>(selector.value), &raw); break;
    }
    PartitionObject partition(hr == 0 ? raw : nullptr);
    if (hr != 0 || !partition)
        throw OperationFailed(hr != 0 ? static_cast<uint32_t>(hr) : kUnexpected,
                              "find " + selector.Describe() + " on " + DiskText(diskNumber),
                              NoSuchPartition(disk, diskNumber, selector));
    return partition;
}

} // namespace kxvds
