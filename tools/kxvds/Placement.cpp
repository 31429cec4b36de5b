#include "Placement.h"

#include "Sizes.h"

#include <algorithm>

namespace kxvds {

namespace {

const int kPrimaryEntries = 4;

uint64_t RoundUp(uint64_t value, uint64_t unit)
{
    return (value + unit - 1) / unit * unit;
}

const TableEntry* Container(const std::vector<TableEntry>& table)
{
    for (const TableEntry& e : table)
        if (e.extended) return &e;
    return nullptr;
}

bool IsLogical(const TableEntry& e, const TableEntry* container)
{
    return container && !e.extended && container->offset <= e.offset && e.End() <= container->End();
}

// The gaps of [start, end) between `used`, each start moved on by `lead`
// and rounded up to the alignment.
std::vector<FreeExtent> Gaps(uint64_t start, uint64_t end, std::vector<TableEntry> used, uint64_t lead, uint64_t unit)
{
    std::sort(used.begin(), used.end(), [](const TableEntry& a, const TableEntry& b) { return a.offset < b.offset; });
    std::vector<FreeExtent> gaps;
    uint64_t at = start;
    auto close = [&](uint64_t limit) {
        const uint64_t begin = RoundUp(at + lead, unit);
        if (begin < limit) gaps.push_back({begin, limit - begin});
    };
    for (const TableEntry& e : used) {
        if (e.offset > at) close(e.offset);
        at = std::max(at, e.End());
    }
    if (end > at) close(end);
    return gaps;
}

} // namespace

uint64_t DefaultAlignment(uint64_t diskSize)
{
    return diskSize >= (4ULL << 30) ? 1ULL << 20 : 64ULL << 10;
}

std::vector<FreeExtent> FreeExtents(uint64_t diskSize, const std::vector<TableEntry>& table, bool logical)
{
    const uint64_t unit = DefaultAlignment(diskSize);
    const TableEntry* container = Container(table);
    std::vector<TableEntry> used;
    if (logical) {
        if (!container) return {};
        for (const TableEntry& e : table)
            if (IsLogical(e, container)) used.push_back(e);
        return Gaps(container->offset, container->End(), used, unit, unit);
    }
    for (const TableEntry& e : table)
        if (!IsLogical(e, container)) used.push_back(e);
    // The first alignment unit holds the partition table.
    return Gaps(unit, diskSize, used, 0, unit);
}

PlacementChoice ChoosePlace(uint64_t diskSize, const std::vector<TableEntry>& table, uint64_t size, bool logical)
{
    const TableEntry* container = Container(table);
    int entries = 0;
    for (const TableEntry& e : table)
        if (!IsLogical(e, container)) ++entries;

    PlacementChoice choice;
    std::string reason;
    if (logical) {
        reason = "inside the extended partition, as asked";
    } else if (entries >= kPrimaryEntries) {
        logical = true;
        reason = "inside the extended partition, since all four primary entries are in use";
    }
    auto first = [&](bool inside) {
        for (const FreeExtent& f : FreeExtents(diskSize, table, inside))
            if (f.size >= size) {
                choice.found = true;
                choice.offset = f.offset;
                choice.logical = inside;
                return true;
            }
        return false;
    };
    if (!first(logical) && !logical && container && first(true))
        reason = "inside the extended partition, since no space outside it is large enough";
    if (!choice.found) {
        if (logical && !container)
            choice.why = entries >= kPrimaryEntries
                             ? "all four primary entries are in use, and there is no extended partition for a logical drive"
                             : "the disk has no extended partition for a logical drive";
        return choice;
    }
    if (reason.empty())
        reason = choice.logical ? "inside the extended partition" : container ? "outside the extended partition" : "on the disk";
    choice.why = "the first free space of " + FormatSize(size) + " " + reason;
    return choice;
}

} // namespace kxvds
