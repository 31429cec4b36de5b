// The library's objects as the client holds them: owned, released once,
// selected by what the user typed.
#pragma once

#include "KXVdsDisks.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kxvds {

struct CommandLine;

struct ReleaseObject {
    template <class T>
    void operator()(T* object) const { object->Release(); }
};
using DiskObject = std::unique_ptr<IKXVdsDisk, ReleaseObject>;
using PartitionObject = std::unique_ptr<IKXVdsPartition, ReleaseObject>;

// A new disk object connected to disk `number`; throws OperationFailed.
DiskObject OpenDisk(unsigned long number);

// Throws OperationFailed.
DiskProperties ReadProperties(IKXVdsDisk& disk, unsigned long number);

struct PartitionSelector {
    enum By { Number, Index, Offset };
    By by = Number;
    uint64_t value = 0;

    std::string Describe() const;  // "partition 2", "the partition at index 0", ...
};

// From the positional argument at `at`, or from exactly one of --number,
// --index and --offset. Throws UsageError.
PartitionSelector ParseSelector(const CommandLine& line, size_t at);

// Throws OperationFailed naming the disk and the selection.
PartitionObject OpenPartition(IKXVdsDisk& disk, unsigned long diskNumber, const PartitionSelector& selector);

} // namespace kxvds
