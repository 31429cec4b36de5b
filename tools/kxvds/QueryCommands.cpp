// Commands that read: disk, table, partition, paths.
#include "Commands.h"

#include "DiskLayout.h"
#include "GptText.h"
#include "Library.h"
#include "Output.h"
#include "PartitionInfo.h"
#include "Sizes.h"
#include "TextTable.h"

#include <cstdio>

namespace kxvds {

namespace {

const unsigned long kMostDiskNumber = 0x7FFFFFFFul;

std::string SizeWithBytes(uint64_t bytes)
{
    return std::to_string(bytes) + " bytes (" + FormatSize(bytes) + ")";
}

std::string JoinPaths(const std::vector<std::string>& paths)
{
    std::string joined;
    for (const std::string& p : paths) joined += (joined.empty() ? "" : " ") + p;
    return joined;
}

std::string DescribePartition(const PartitionInfo& info)
{
    std::string text;
    auto line = [&text](const char* name, const std::string& value) {
        char label[24];
        std::snprintf(label, sizeof label, "  %-16s", name);
        text += label + value + "\n";
    };
    if (info.index >= 0) line("Index:", std::to_string(info.index));
    line("Offset:", SizeWithBytes(info.offset));
    line("End:", SizeWithBytes(info.end));
    line("Size:", SizeWithBytes(info.size));
    if (info.gpt) {
        const std::string name = GptTypeName(info.gpt->type);
        line("Type:", name.empty() ? GuidText(info.gpt->type) : name + " (" + GuidText(info.gpt->type) + ")");
        line("Partition ID:", GuidText(info.gpt->id));
        line("Attributes:", AttributesHex(info.gpt->attributes));
    } else {
        line("Type:", TypeOf(info));
    }
    const std::string flags = Flags(info);
    line("Flags:", flags.empty() ? "(none)" : flags);
    if (info.hasVolume) {
        line("Volume:", info.volumeName);
        line("Used:", SizeWithBytes(info.usedBytes));
        line("Access paths:", info.accessPaths.empty() ? "(none)" : JoinPaths(info.accessPaths));
    } else {
        line("Volume:", "(none)");
    }
    return text;
}

} // namespace

unsigned long ParseDiskNumber(const std::string& text)
{
    return ParseNumber(text, "disk number", kMostDiskNumber);
}

void RunDisk(const CommandLine& line)
{
    const unsigned long number = ParseDiskNumber(line.positional[0]);
    DiskObject disk = OpenDisk(number);
    const DiskProperties properties = ReadProperties(*disk, number);

    if (line.json) {
        PrintJson({{"disk", number},
                   {"size", properties.ullSize},
                   {"bytesPerSector", properties.ulBytesPerSector},
                   {"sectorsPerTrack", properties.ulSectorsPerTrack},
                   {"tracksPerCylinder", properties.ulTracksPerCylinder},
                   {"partitionCount", disk->GetPartitionCount()}});
        return;
    }
    Print("Disk " + std::to_string(number) + "\n" +
          "  Size:                " + SizeWithBytes(properties.ullSize) + "\n" +
          "  Bytes per sector:    " + std::to_string(properties.ulBytesPerSector) + "\n" +
          "  Sectors per track:   " + std::to_string(properties.ulSectorsPerTrack) + "\n" +
          "  Tracks per cylinder: " + std::to_string(properties.ulTracksPerCylinder) + "\n" +
          "  Partitions:          " + std::to_string(disk->GetPartitionCount()) + "\n");
}

void RunTable(const CommandLine& line)
{
    const unsigned long number = ParseDiskNumber(line.positional[0]);
    DiskObject disk = OpenDisk(number);
    const DiskProperties properties = ReadProperties(*disk, number);
    const DiskLayout layout = ReadDiskLayout(number);

    std::vector<PartitionInfo> partitions;
    const int count = disk->GetPartitionCount();
    for (int i = 0; i < count; ++i) {
        PartitionSelector byIndex;
        byIndex.by = PartitionSelector::Index;
        byIndex.value = static_cast<uint64_t>(i);
        PartitionObject partition = OpenPartition(*disk, number, byIndex);
        partitions.push_back(ReadPartition(*partition, i, layout));
    }

    if (line.json) {
        Json list = Json::array();
        for (const PartitionInfo& info : partitions) list.push_back(PartitionJson(info));
        Json document = {{"disk", number}, {"size", properties.ullSize}};
        AddStyle(document, layout);
        document["partitions"] = list;
        PrintJson(document);
        return;
    }

    // The MBR heading predates the other styles and stays as scripts know it.
    const bool named = layout.style == PartitionStyle::Gpt || layout.style == PartitionStyle::Raw;
    std::string text = "Disk " + std::to_string(number) + ": " + FormatSize(properties.ullSize) + ", " +
                       (named ? std::string(StyleName(layout.style)) + ", " : "") + std::to_string(partitions.size()) +
                       (partitions.size() == 1 ? " partition\n" : " partitions\n");
    if (partitions.empty()) {
        Print(text + "(no partitions)\n");
        return;
    }
    TextTable table;
    table.AddColumn("Num", TextTable::Right);
    table.AddColumn("Offset", TextTable::Right);
    table.AddColumn("End", TextTable::Right);
    table.AddColumn("Size", TextTable::Right);
    table.AddColumn("Type", TextTable::Left);
    table.AddColumn("Flags", TextTable::Left);
    table.AddColumn("Used", TextTable::Right);
    table.AddColumn("Paths", TextTable::Left);
    table.AddColumn("Volume", TextTable::Left);
    for (const PartitionInfo& info : partitions) {
        const std::string flags = Flags(info);
        table.AddRow({std::to_string(info.number), FormatSize(info.offset), FormatSize(info.end),
                      FormatSize(info.size), TypeOf(info), flags.empty() ? "-" : flags,
                      info.hasVolume ? FormatSize(info.usedBytes) : "-",
                      info.accessPaths.empty() ? "-" : JoinPaths(info.accessPaths),
                      info.hasVolume ? info.volumeName : "(no volume)"});
    }
    Print(text + table.Text());
}

void RunPartition(const CommandLine& line)
{
    const unsigned long number = ParseDiskNumber(line.positional[0]);
    const PartitionSelector selector = ParseSelector(line, 1);
    DiskObject disk = OpenDisk(number);
    PartitionObject partition = OpenPartition(*disk, number, selector);
    const DiskLayout layout = ReadDiskLayout(number);
    const PartitionInfo info = ReadPartition(
        *partition, selector.by == PartitionSelector::Index ? static_cast<int>(selector.value) : -1, layout);

    if (line.json) {
        Json document = {{"disk", number}};
        AddStyle(document, layout);
        document["partition"] = PartitionJson(info);
        PrintJson(document);
        return;
    }
    Print("Partition " + std::to_string(info.number) + " on disk " + std::to_string(number) + "\n" +
          DescribePartition(info));
}

void RunPaths(const CommandLine& line)
{
    const unsigned long number = ParseDiskNumber(line.positional[0]);
    const PartitionSelector selector = ParseSelector(line, 1);
    DiskObject disk = OpenDisk(number);
    PartitionObject partition = OpenPartition(*disk, number, selector);
    const std::vector<std::string> paths = ReadAccessPaths(*partition);

    if (line.json) {
        PrintJson({{"disk", number}, {"number", partition->GetPartitionNumber()}, {"accessPaths", paths}});
        return;
    }
    if (paths.empty()) Print("(no access paths)\n");
    for (const std::string& p : paths) Print(p + "\n");
}

} // namespace kxvds
