// Where partitions may lie on a disk, and which paths can name a volume: the
// rules that creating a partition, adding an access path and loading a
// machine file share.
#pragma once

#include "kxemu/Machine.h"

#include <string>

namespace kxemu {

ULONGLONG SectorBytes(const Disk& disk);
bool IsPowerOfTwo(ULONGLONG value);
// The first byte after the partition table(s) at the disk's start, and the
// end of the space that GPT's backup table leaves.
ULONGLONG FirstUsableByte(const Disk& disk);
ULONGLONG UsableEnd(const Disk& disk);

bool Overlaps(ULONGLONG start, ULONGLONG end, const Partition& p);
bool Inside(ULONGLONG start, ULONGLONG end, const Partition& container);
// A logical drive: an MBR partition inside the disk's extended partition.
bool IsLogical(const Disk& disk, const Partition& p);
// MBR entries in use: primary partitions and the extended one.
int PrimaryEntries(const Disk& disk);
const Partition* ActivePartition(const Disk& disk);

// "X:\" or a folder "X:\Mount\Data\" whose names hold none of the characters
// Windows reserves (< > : " / | ? * and codes 1 to 31).
bool IsDriveRoot(const std::string& path);
bool IsWellFormedAccessPath(const std::string& path);

} // namespace kxemu
