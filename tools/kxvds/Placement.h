// Where "create" without --offset puts a partition: the first free extent
// large enough, as partitioning tools do. Outside the extended partition
// while a primary entry of the MBR is free, inside it (as a logical drive)
// when asked or when all four entries are in use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kxvds {

struct TableEntry {
    uint64_t offset = 0;
    uint64_t size = 0;
    bool extended = false;
    uint64_t End() const { return offset + size; }
};

struct FreeExtent {
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct PlacementChoice {
    bool found = false;
    uint64_t offset = 0;   // where to ask the library for the partition
    bool logical = false;
    // Found: "the first free space of 1 GiB inside the extended partition, ...";
    // else, when it is not a matter of size, why nothing can go anywhere.
    std::string why;
};

// The service's default alignment: 1 MiB on disks of 4 GiB and more, 64 KiB below.
uint64_t DefaultAlignment(uint64_t diskSize);

// Free extents where a partition could start, aligned; inside the extended
// partition each leaves one alignment unit for the logical drive's boot record.
std::vector<FreeExtent> FreeExtents(uint64_t diskSize, const std::vector<TableEntry>& table, bool logical);

PlacementChoice ChoosePlace(uint64_t diskSize, const std::vector<TableEntry>& table, uint64_t size, bool logical);

} // namespace kxvds
