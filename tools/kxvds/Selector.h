// Which partition of a disk the user means: its number, its index in the
// table, or its start offset.
#pragma once

#include "Arguments.h"

#include <cstdint>
#include <string>

namespace kxvds {

struct PartitionSelector {
    enum By { Number, Index, Offset };
    By by = Number;
    uint64_t value = 0;

    std::string Describe() const;  // "partition 2", "the partition at index 0", ...
};

// From the positional argument at `at`, or from exactly one of --number,
// --index and --offset. Throws UsageError.
PartitionSelector ParseSelector(const CommandLine& line, size_t at);

} // namespace kxvds
