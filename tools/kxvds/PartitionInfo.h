// Everything the partition interface tells about one partition, read once,
// with what the disk's layout adds on GPT.
#pragma once

#include "DiskLayout.h"
#include "KXVdsDisks.h"
#include "Output.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kxvds {

struct PartitionInfo {
    int index = -1;              // position in the disk's list; -1 when not known
    unsigned number = 0;
    uint64_t offset = 0;
    uint64_t end = 0;
    uint64_t size = 0;
    PartitionStyle style = PartitionStyle::Unknown;  // the disk's
    // MBR, or a style not known: as the library reports them.
    int type = 0;
    bool active = false;
    bool primary = false;
    bool extended = false;       // holds logical drives, never a volume
    // GPT: the layout's entry; none when the layout does not list the partition.
    std::optional<GptEntry> gpt;
    bool recovery = false;
    bool hasVolume = false;      // the volume name could be read
    std::string volumeName;
    uint64_t usedBytes = 0;
    std::vector<std::string> accessPaths;

    bool IsGpt() const { return style == PartitionStyle::Gpt; }
};

PartitionInfo ReadPartition(IKXVdsPartition& partition, int index, const DiskLayout& layout);

// All access paths of the volume, in the service's order; none when it has
// none or no volume. Throws OperationFailed for other failures.
std::vector<std::string> ReadAccessPaths(IKXVdsPartition& partition);

// "primary, active, recovery"; on GPT the attributes by name ("required, no
// drive letter, recovery"), "" when there are none.
std::string Flags(const PartitionInfo& info);
// "0x07"
std::string TypeText(int type);
// TypeText on MBR; on GPT the type's name, else its GUID.
std::string TypeOf(const PartitionInfo& info);

// One JSON object with every field; sizes in bytes.
Json PartitionJson(const PartitionInfo& info);

bool IsExtendedType(int type);

} // namespace kxvds
