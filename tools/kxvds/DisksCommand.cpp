// disks: every disk there is, with its size, partition style and partitions.
#include "Commands.h"

#include "DiskLayout.h"
#include "Failure.h"
#include "Host.h"
#include "Library.h"
#include "Output.h"
#include "Sizes.h"
#include "TextTable.h"

#include <cstdio>

namespace kxvds {

namespace {

const uint32_t kNoInterface = 0x80004002u;

struct DiskRow {
    unsigned long number = 0;
    uint64_t size = 0;
    int partitions = 0;
    DiskLayout layout;
};

} // namespace

void RunDisks(const CommandLine& line)
{
    std::vector<DiskRow> rows;
    for (unsigned long number : ExistingDisks()) {
        DiskObject disk;
        try {
            disk = OpenDisk(number);
        } catch (const OperationFailed& failure) {
            // Only this disk is missing from the service; any other failure
            // (no service, no rights) would be the same for every disk.
            if (failure.Code() != kNoInterface) throw;
            std::fprintf(stderr, "kxvds: disk %lu is there, but the disk service does not show it\n", number);
            continue;
        }
        DiskRow row;
        row.number = number;
        row.size = ReadProperties(*disk, number).ullSize;
        row.partitions = disk->GetPartitionCount();
        row.layout = ReadDiskLayout(number);
        rows.push_back(row);
    }

    if (line.json) {
        Json list = Json::array();
        for (const DiskRow& row : rows) {
            Json disk = {{"disk", row.number}, {"size", row.size}};
            AddStyle(disk, row.layout);
            disk["partitionCount"] = row.partitions;
            list.push_back(disk);
        }
        PrintJson({{"disks", list}});
        return;
    }
    if (rows.empty()) {
        Print("(no disks)\n");
        return;
    }
    TextTable table;
    table.AddColumn("Disk", TextTable::Right);
    table.AddColumn("Size", TextTable::Right);
    table.AddColumn("Style", TextTable::Left);
    table.AddColumn("Partitions", TextTable::Right);
    for (const DiskRow& row : rows)
        table.AddRow({std::to_string(row.number), FormatSize(row.size), StyleName(row.layout.style),
                      std::to_string(row.partitions)});
    Print(table.Text());
}

} // namespace kxvds
