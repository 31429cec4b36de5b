// The library's objects as the client holds them: owned, released once,
// selected by what the user typed.
#pragma once

#include "KXVdsDisks.h"
#include "Selector.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kxvds {

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

// Throws OperationFailed naming the disk and the selection.
PartitionObject OpenPartition(IKXVdsDisk& disk, unsigned long diskNumber, const PartitionSelector& selector);

} // namespace kxvds
