// create: where a new partition goes, and what became of it.
#include "Commands.h"

#include "ChangeReport.h"
#include "DiskLayout.h"
#include "Failure.h"
#include "Library.h"
#include "PartitionInfo.h"
#include "Placement.h"
#include "Sizes.h"
#include "UsageError.h"
#include "WorkingNotice.h"

#include <cctype>
#include <cstdio>

namespace kxvds {

namespace {

const unsigned char kDefaultType = 0x07;
const uint32_t kInvalidArgument = 0x80070057u;
const uint32_t kInvalidSpace = 0x80042406u;
const uint32_t kStyleMismatch = 0x80042571u;  // VDS_E_PARTITION_STYLE_MISMATCH
// The library keeps this much free before the disk's end when a request reaches it.
const uint64_t kLibraryEndReserve = 4ULL << 20;

struct TypeName {
    const char* name;
    unsigned char type;
};
const TypeName kTypeNames[] = {{"ntfs", 0x07}, {"fat", 0x06}, {"fat32", 0x0C}, {"extended", 0x0F}};

unsigned char ParseType(const std::string& text)
{
    for (const TypeName& t : kTypeNames)
        if (Lower(text) == t.name) return t.type;
    const std::string bad = "bad partition type '" + text + "': expected 1 to 255 (0x01 to 0xFF) or ntfs, fat, fat32, extended";
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 3) throw UsageError(bad);
    unsigned value = 0;
    for (char c : digits) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                                 : -1;
        if (digit < 0) throw UsageError(bad);
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    }
    if (value == 0 || value > 0xFF) throw UsageError(bad);
    return static_cast<unsigned char>(value);
}

// The table as the library reports it, for placement.
std::vector<TableEntry> ReadTable(IKXVdsDisk& disk, unsigned long diskNumber)
{
    std::vector<TableEntry> table;
    const int count = disk.GetPartitionCount();
    for (int i = 0; i < count; ++i) {
        PartitionSelector byIndex;
        byIndex.by = PartitionSelector::Index;
        byIndex.value = static_cast<uint64_t>(i);
        PartitionObject p = OpenPartition(disk, diskNumber, byIndex);
        TableEntry entry;
        entry.offset = p->GetOffset();
        entry.size = p->GetSize();
        entry.extended = IsExtendedType(p->GetPartitionType());
        table.push_back(entry);
    }
    return table;
}

std::string LargestFree(uint64_t diskSize, const std::vector<TableEntry>& table)
{
    FreeExtent largest;
    for (bool logical : {false, true})
        for (const FreeExtent& f : FreeExtents(diskSize, table, logical))
            if (f.size > largest.size) largest = f;
    if (largest.size == 0) return "the disk has no free space left";
    return "the largest free space is " + FormatSize(largest.size) + " at " + FormatSize(largest.offset);
}

} // namespace

void RunCreate(const CommandLine& line)
{
    const unsigned long diskNumber = ParseDiskNumber(line.positional[0]);
    const uint64_t size = ParseSize(line.positional[1], "size");
    if (size == 0) throw UsageError("bad size '" + line.positional[1] + "': a partition needs at least one byte");
    const bool placed = !line.Has("--offset");
    if (!placed && line.Has("--logical")) throw UsageError("give --offset or --logical, not both");
    uint64_t offset = placed ? 0 : ParseSize(line.Option("--offset"), "offset");
    const unsigned char type = line.Has("--type") ? ParseType(line.Option("--type")) : kDefaultType;
    const bool active = line.Has("--active");

    DiskObject disk = OpenDisk(diskNumber);
    const std::string action = "create a partition of " + FormatSize(size) + " on disk " + std::to_string(diskNumber);
    // Asked of the disk: the library's interface cannot tell a GPT disk from
    // an MBR one, and it creates MBR partitions only.
    const DiskLayout layout = ReadDiskLayout(diskNumber);
    if (layout.style == PartitionStyle::Gpt)
        throw OperationFailed(kStyleMismatch, action,
                              "disk " + std::to_string(diskNumber) +
                                  " uses GPT; this library creates MBR partitions only");
    const DiskProperties properties = ReadProperties(*disk, diskNumber);
    if (size % properties.ulBytesPerSector != 0)
        throw OperationFailed(kInvalidArgument, action,
                              "a partition is a whole number of sectors of " +
                                  std::to_string(properties.ulBytesPerSector) + " bytes; " + std::to_string(size) +
                                  " bytes is not");
    std::string why;
    if (placed) {
        const std::vector<TableEntry> table = ReadTable(*disk, diskNumber);
        const PlacementChoice choice = ChoosePlace(properties.ullSize, table, size, line.Has("--logical"));
        if (!choice.found)
            throw OperationFailed(kInvalidSpace, action,
                                  !choice.why.empty() ? choice.why
                                                      : "no free space of that size" +
                                                            std::string(line.Has("--logical") ? " in the extended partition" : "") +
                                                            "; " + LargestFree(properties.ullSize, table));
        offset = choice.offset;
        why = choice.why;
    } else if (offset >= properties.ullSize) {
        throw OperationFailed(kInvalidArgument, action,
                              "offset " + FormatSize(offset) + " lies past the end of the disk (" +
                                  FormatSize(properties.ullSize) + ")");
    }

    KXUINT64 newOffset = 0;
    WorkingNotice notice(Done(line, "Creating", "Trying to create") + " a partition of " + FormatSize(size) + " on disk " +
                             std::to_string(diskNumber),
                         WorkingNotice::Lasting);
    const KXHRESULT hr = disk->CreatePartition(offset, size, type, active ? 0x80 : 0, &newOffset);
    notice.Finish(hr == 0);
    Check(hr, action,
          static_cast<uint32_t>(hr) == kInvalidArgument && !placed
              ? "no room from offset " + FormatSize(offset) +
                    ": the library moves the start past partitions that hold it and ends the partition where the "
                    "next one starts, and nothing was left (leave out --offset to use the first free space)"
              : std::string());

    // The partition exists from here on: a failure to read it back is
    // reported, but the command has done its work.
    PartitionInfo info;
    bool haveInfo = false;
    IKXVdsPartition* raw = nullptr;
    if (disk->GetPartitionByOffset(newOffset, &raw) == 0 && raw) {
        PartitionObject created(raw);
        info = ReadPartition(*created, -1, layout);
        haveInfo = true;
    } else {
        std::fprintf(stderr, "kxvds: the new partition at offset %llu could not be read back\n",
                     static_cast<unsigned long long>(newOffset));
    }
    const std::string letter = DriveLetterOf(info.accessPaths);
    if (haveInfo && info.size < size && newOffset + size >= properties.ullSize &&
        info.size + kLibraryEndReserve >= size)
        why += (why.empty() ? "" : "; ") + std::string("smaller than asked: the library keeps ") +
               FormatSize(kLibraryEndReserve) + " free before the disk's end";

    if (line.json) {
        Json json = Document(line, diskNumber);
        json.update(Json{{"requestedOffset", placed ? nullptr : Json(offset)},
                         {"requestedSize", size},
                         {"offset", newOffset},
                         {"placement", why},
                         {"driveLetter", letter.empty() ? nullptr : Json(letter)},
                         {"partition", haveInfo ? PartitionJson(info) : nullptr}});
        PrintJson(json);
        return;
    }
    std::string text = Done(line, "Created ", "Would create ");
    text += haveInfo ? On(info.number, diskNumber) : "a partition on disk " + std::to_string(diskNumber);
    text += " at offset " + std::to_string(newOffset) + " (" + FormatSize(newOffset) + ")";
    if (haveInfo) text += ", size " + FormatSize(info.size) + ", type " + TypeText(info.type) + (info.primary ? ", primary" : ", a logical drive");
    text += ".\n";
    if (!why.empty()) text += "Placed there: " + why + ".\n";
    const std::string gets = Done(line, "received", "would receive");
    if (!letter.empty())
        text += "Its volume " + gets + " the drive letter " + letter + "\n";
    else if (haveInfo && !info.hasVolume)
        text += "It holds no volume (an extended partition holds logical drives).\n";
    else
        text += "Its volume " + gets + " no drive letter.\n";
    Print(text);
}

} // namespace kxvds
