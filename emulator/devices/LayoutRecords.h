// The storage stack's records of a disk's layout, as the style-aware disk
// IOCTLs hand them out.
#pragma once

#include "kxemu/Machine.h"

namespace kxemu {

// One partition as IOCTL_DISK_GET_PARTITION_INFO_EX describes it.
void FillPartitionInformationEx(const Disk& disk, const Partition& partition, PARTITION_INFORMATION_EX* out);

// IOCTL_DISK_GET_DRIVE_LAYOUT_EX. An MBR disk lists its four table entries
// (unused ones zeroed), then four for each logical drive's boot record, the
// drive first; a GPT disk lists its partitions. False with ERROR_INSUFFICIENT_BUFFER
// when `outSize` cannot hold the whole layout.
bool FillDriveLayout(const Disk& disk, void* out, DWORD outSize, DWORD* returned, DWORD* error);

} // namespace kxemu
