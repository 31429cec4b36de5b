// What the disk service does to the machine, and what it refuses. Each change
// is checked first (Plan/Check) and applied afterwards, so an injected job
// failure can leave the machine as it was.
#pragma once

#include "kxemu/Machine.h"

#include <string>

namespace kxemu {

// ---- partitions
// Where the partition would go, or why not. `planned` gets number, offset,
// size, type and flags.
HRESULT PlanPartition(const Disk& disk, ULONGLONG offset, ULONGLONG size, ULONG align,
                      const CREATE_PARTITION_PARAMETERS* parameters, Partition* planned);
// Adds the partition, and its RAW volume unless it is an extended container.
Volume* CommitPartition(Disk& disk, const Partition& planned);

// ---- format
// The cluster a format picks for a volume of `bytes`, never below the sector.
ULONG DefaultUnitSize(const Volume& volume, VDS_FILE_SYSTEM_TYPE type);
HRESULT CheckFormat(const Volume& volume, VDS_FILE_SYSTEM_TYPE type, const std::string& label, DWORD unitSize);
void ApplyFormat(Volume& volume, VDS_FILE_SYSTEM_TYPE type, const std::string& label, DWORD unitSize);
// Bytes a fresh file system of this kind occupies.
ULONGLONG FormatOverhead(VDS_FILE_SYSTEM_TYPE type, ULONGLONG bytes, ULONG unitSize);

// ---- shrink
// `removed`: the bytes that come off, in whole allocation units.
HRESULT CheckShrink(const Volume& volume, ULONGLONG bytes, ULONGLONG* removed);
void ApplyShrink(Volume& volume, ULONGLONG removed);
// Bytes per sector of the volume's disk.
ULONG SectorSize(const Volume& volume);

// ---- access paths
HRESULT CheckAddAccessPath(Machine& machine, const Volume& volume, const std::string& path);
void ApplyAddAccessPath(Volume& volume, const std::string& path);
HRESULT CheckDeleteAccessPath(const Volume& volume, const std::string& path);
void ApplyDeleteAccessPath(Volume& volume, const std::string& path);

} // namespace kxemu
