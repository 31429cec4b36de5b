// Everything the partition interface tells about one partition, read once.
#pragma once

#include "KXVdsDisks.h"
#include "Output.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kxvds {

struct PartitionInfo {
    int index = -1;              // position in the disk's list; -1 when not known
    unsigned number = 0;
    uint64_t offset = 0;
    uint64_t end = 0;
    uint64_t size = 0;
    int type = 0;
    bool active = false;
    bool primary = false;
    bool recovery = false;
    bool extended = false;       // holds logical drives, never a volume
    bool hasVolume = false;      // the volume name could be read
    std::string volumeName;
    uint64_t usedBytes = 0;
    std::vector<std::string> accessPaths;
};

PartitionInfo ReadPartition(IKXVdsPartition& partition, int index);

// All access paths of the volume, in the service's order; none when it has
// none or no volume. Throws OperationFailed for other failures.
std::vector<std::string> ReadAccessPaths(IKXVdsPartition& partition);

// "primary, active, recovery"
std::string Flags(const PartitionInfo& info);
// "0x07"
std::string TypeText(int type);

// One JSON object with every field; sizes in bytes.
Json PartitionJson(const PartitionInfo& info);

bool IsExtendedType(int type);

} // namespace kxvds
