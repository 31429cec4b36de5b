#include "Selector.h"

#include "Sizes.h"
#include "UsageError.h"

namespace kxvds {

namespace {

const unsigned long kMostPartitionNumber = 0xFFFFFFFFul;
const unsigned long kMostIndex = 0x7FFFFFFFul;

} // namespace

std::string PartitionSelector::Describe() const
{
    switch (by) {
    case Index: return "the partition at index " + std::to_string(value);
    case Offset: return "the partition at offset " + std::to_string(value) + " (" + FormatSize(value) + ")";
    default: return "partition " + std::to_string(value);
    }
}

PartitionSelector ParseSelector(const CommandLine& line, size_t at)
{
    PartitionSelector selector;
    int given = 0;
    if (line.positional.size() > at) {
        selector.value = ParseNumber(line.positional[at], "partition number", kMostPartitionNumber);
        ++given;
    }
    if (line.Has("--number")) {
        selector.value = ParseNumber(line.Option("--number"), "partition number", kMostPartitionNumber);
        ++given;
    }
    if (line.Has("--index")) {
        selector.by = PartitionSelector::Index;
        selector.value = ParseNumber(line.Option("--index"), "index", kMostIndex);
        ++given;
    }
    if (line.Has("--offset")) {
        selector.by = PartitionSelector::Offset;
        selector.value = ParseSize(line.Option("--offset"), "offset");
        ++given;
    }
    if (given == 0) throw UsageError("'" + line.command + "' needs a partition: its NUMBER, --index N or --offset SIZE");
    if (given > 1) throw UsageError("give the partition once: a NUMBER, --number, --index or --offset");
    return selector;
}

} // namespace kxvds
