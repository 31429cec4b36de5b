// The first sector that a format leaves on a volume: jump, OEM name, BIOS
// parameter block for the file system, signature 55 AA.
#pragma once

#include "kxemu/Machine.h"

namespace kxemu {

// From the volume's file system, unit size, size, label and NTFS tag.
void WriteBootSector(Volume& volume);

// Clusters a FAT of this kind needs for `clusters` data clusters, in bytes.
ULONGLONG FatBytes(VDS_FILE_SYSTEM_TYPE type, ULONGLONG clusters);

} // namespace kxemu
