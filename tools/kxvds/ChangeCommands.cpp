// Commands that change disks: create, add-path, remove-path, shrink, format.
#include "Commands.h"

#include "Failure.h"
#include "Library.h"
#include "Output.h"
#include "PartitionInfo.h"
#include "Placement.h"
#include "Sizes.h"
#include "UsageError.h"
#include "WideText.h"
#include "WorkingNotice.h"

#include <cctype>
#include <cstdio>

namespace kxvds {

namespace {

const unsigned char kDefaultType = 0x07;
const uint32_t kInvalidArgument = 0x80070057u;
const uint32_t kNoInterface = 0x80004002u;
const uint32_t kPathNotFound = 0x80070003u;
const uint32_t kDirectoryNotEmpty = 0x80070091u;
const uint32_t kObjectExists = 0x8004241Du;
// The library keeps this much free before the disk's end when a request reaches it.
const uint64_t kLibraryEndReserve = 4ULL << 20;

struct TypeName {
    const char* name;
    unsigned char type;
};
const TypeName kTypeNames[] = {{"ntfs", 0x07}, {"fat", 0x06}, {"fat32", 0x0C}, {"extended", 0x0F}};

const char* const kFileSystems[] = {"FAT", "FAT32", "NTFS", "exFAT"};

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

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

// "F", "F:", "F:\" and "F:/" name a drive root; a folder gets its closing
// backslash, which the service requires.
std::string NormalisePath(const std::string& text)
{
    std::string path = text;
    for (char& c : path)
        if (c == '/') c = '\\';
    const bool letter = !path.empty() && std::isalpha(static_cast<unsigned char>(path[0]));
    if (letter && path.size() == 1) return std::string(1, static_cast<char>(std::toupper(path[0]))) + ":\\";
    if (!letter || path.size() < 2 || path[1] != ':' || (path.size() > 2 && path[2] != '\\'))
        throw UsageError("bad path '" + text + "': expected a drive letter (F:) or a folder with its drive (C:\\Mount\\Data)");
    path[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (path.back() != '\\') path += '\\';
    for (size_t i = 3; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || std::string("<>:\"|?*").find(path[i]) != std::string::npos)
            throw UsageError("bad path '" + text + "': folder names cannot hold < > : \" | ? * or control characters");
        if (c == '\\' && path[i - 1] == '\\') throw UsageError("bad path '" + text + "': an empty folder name");
    }
    return path;
}

std::string CanonicalFileSystem(const std::string& text)
{
    for (const char* fs : kFileSystems)
        if (Lower(text) == Lower(fs)) return fs;
    throw UsageError("unknown file system '" + text + "' (use FAT, FAT32 or NTFS)");
}

bool IsDriveRoot(const std::string& path)
{
    return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

bool HasSelectorOption(const CommandLine& line)
{
    return line.Has("--number") || line.Has("--index") || line.Has("--offset");
}

// For "DISK NUMBER LAST" and "DISK --index N LAST": the selector and LAST.
PartitionSelector SelectorAndLast(const CommandLine& line, const char* lastName, std::string* last)
{
    if (line.positional.size() == 2 && !HasSelectorOption(line))
        throw UsageError("'" + line.command + "' needs " + lastName + " (see 'kxvds " + line.command + " --help')");
    *last = line.positional.back();
    return ParseSelector(line, line.positional.size() == 3 ? 1 : line.positional.size());
}

std::string On(unsigned number, unsigned long disk)
{
    return "partition " + std::to_string(number) + " on disk " + std::to_string(disk);
}

// "Created" or, on a dry run, "Would create".
std::string Done(const CommandLine& line, const char* done, const char* would)
{
    return line.Has("--dry-run") ? would : done;
}

Json Document(const CommandLine& line, unsigned long disk)
{
    Json json = {{"disk", disk}};
    if (line.Has("--dry-run")) json["dryRun"] = true;
    return json;
}

void Check(KXHRESULT hr, const std::string& action, const std::string& why = std::string())
{
    if (hr != 0) throw OperationFailed(static_cast<uint32_t>(hr), action, why);
}

std::string Joined(const std::vector<std::string>& paths)
{
    std::string joined;
    for (const std::string& p : paths) joined += (joined.empty() ? "" : " ") + p;
    return joined.empty() ? "(none)" : joined;
}

std::string DriveLetterOf(const std::vector<std::string>& paths)
{
    for (const std::string& p : paths)
        if (IsDriveRoot(p)) return p;
    return std::string();
}

// What an access-path refusal means for this path and volume.
std::string PathRefusal(uint32_t code, const std::string& path, const std::vector<std::string>& before,
                        const std::string& where)
{
    const bool letter = IsDriveRoot(path);
    for (const std::string& own : before)
        if (code == kObjectExists && Lower(own) == Lower(path)) return path + " is an access path of this volume already";
    if (code == kObjectExists && letter && !DriveLetterOf(before).empty())
        return "the volume has the drive letter " + DriveLetterOf(before) + " already, and a volume has one; remove it first (kxvds remove-path " +
               where + " " + DriveLetterOf(before).substr(0, 2) + ")";
    if (code == kDirectoryNotEmpty)
        return "the folder " + path + " is a mount folder already (of this or another volume), or is not empty";
    if (code == kPathNotFound && !letter)
        return "a mount folder must lie on a mounted NTFS volume, and no NTFS volume holds " + path.substr(0, 3);
    if (code == kNoInterface) return "the partition holds no volume";
    return std::string();
}

void ChangePath(const CommandLine& line, bool add)
{
    const unsigned long diskNumber = ParseDiskNumber(line.positional[0]);
    std::string typed;
    const PartitionSelector selector = SelectorAndLast(line, "PATH", &typed);
    const std::string path = NormalisePath(typed);

    DiskObject disk = OpenDisk(diskNumber);
    PartitionObject partition = OpenPartition(*disk, diskNumber, selector);
    const unsigned number = partition->GetPartitionNumber();
    const std::vector<std::string> before = ReadAccessPaths(*partition);
    const WideString wide = ToWide(path);
    const KXHRESULT hr = add ? partition->AddMountPoint(wide.c_str()) : partition->DeleteMountPoint(wide.c_str());
    const std::string where = std::to_string(diskNumber) + " " + std::to_string(number);
    Check(hr, (add ? "add " + path + " to " : "remove " + path + " from ") + On(number, diskNumber),
          PathRefusal(static_cast<uint32_t>(hr), path, before, where));
    const std::vector<std::string> paths = ReadAccessPaths(*partition);

    if (line.json) {
        Json json = Document(line, diskNumber);
        json.update(Json{{"number", number}, {add ? "added" : "removed", path}, {"accessPaths", paths}});
        PrintJson(json);
        return;
    }
    Print(Done(line, add ? "Added " : "Removed ", add ? "Would add " : "Would remove ") + path +
          (add ? " to " : " from ") + On(number, diskNumber) + ". Access paths " +
          Done(line, "now: ", "would be: ") + Joined(paths) + "\n");
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
    DiskProperties properties = {};
    Check(disk->GetDiskProperties(&properties), "read the properties of disk " + std::to_string(diskNumber));
    const std::string action = "create a partition of " + FormatSize(size) + " on disk " + std::to_string(diskNumber);
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
            throw OperationFailed(0x80042406u, action,
                                  "no free space of that size" +
                                      std::string(line.Has("--logical") ? " in the extended partition" : "") + "; " +
                                      LargestFree(properties.ullSize, table));
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
    Check(hr, action);

    // The partition exists from here on: a failure to read it back is
    // reported, but the command has done its work.
    PartitionInfo info;
    bool haveInfo = false;
    IKXVdsPartition* raw = nullptr;
    if (disk->GetPartitionByOffset(newOffset, &raw) == 0 && raw) {
        PartitionObject created(raw);
        info = ReadPartition(*created, -1);
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

void RunAddPath(const CommandLine& line)
{
    ChangePath(line, true);
}

void RunRemovePath(const CommandLine& line)
{
    ChangePath(line, false);
}

void RunShrink(const CommandLine& line)
{
    const unsigned long diskNumber = ParseDiskNumber(line.positional[0]);
    std::string typed;
    const PartitionSelector selector = SelectorAndLast(line, "SIZE", &typed);
    const uint64_t bytes = ParseSize(typed, "size");
    if (bytes == 0) throw UsageError("bad size '" + typed + "': shrink by at least one byte");

    DiskObject disk = OpenDisk(diskNumber);
    PartitionObject partition = OpenPartition(*disk, diskNumber, selector);
    const unsigned number = partition->GetPartitionNumber();
    const uint64_t offset = partition->GetOffset();
    const uint64_t before = partition->GetSize();
    const std::string action = "shrink " + On(number, diskNumber) + " by " + FormatSize(bytes);
    if (IsExtendedType(partition->GetPartitionType()))
        throw OperationFailed(kNoInterface, action,
                              "it is the extended partition: it holds logical drives, not a volume, and only "
                              "volumes shrink (shrink a logical drive in it instead)");
    WorkingNotice notice(Done(line, "Shrinking ", "Trying to shrink ") + On(number, diskNumber) + " by " +
                             FormatSize(bytes),
                         WorkingNotice::Lasting);
    const KXHRESULT hr = partition->Shrink(bytes);
    notice.Finish(hr == 0);
    Check(hr, action, static_cast<uint32_t>(hr) == kNoInterface ? "the partition holds no volume" : std::string());

    // A partition object keeps the size it was made with: ask afresh.
    PartitionSelector byOffset;
    byOffset.by = PartitionSelector::Offset;
    byOffset.value = offset;
    const uint64_t after = OpenPartition(*disk, diskNumber, byOffset)->GetSize();

    if (line.json) {
        Json json = Document(line, diskNumber);
        json.update(Json{{"number", number}, {"shrunkBy", before - after}, {"requested", bytes},
                         {"sizeBefore", before}, {"size", after}});
        PrintJson(json);
        return;
    }
    std::string text = Done(line, "Shrank ", "Would shrink ") + On(number, diskNumber) + " by " +
                       FormatSize(before - after) + ": " + FormatSize(before) + " -> " + FormatSize(after);
    if (before - after != bytes) text += " (whole allocation units of the " + FormatSize(bytes) + " asked for)";
    Print(text + ".\n");
}

void RunFormat(const CommandLine& line)
{
    const unsigned long diskNumber = ParseDiskNumber(line.positional[0]);
    const PartitionSelector selector = ParseSelector(line, 1);
    const std::string fileSystem = CanonicalFileSystem(line.Has("--fs") ? line.Option("--fs") : "NTFS");
    const std::string label = line.Has("--label") ? line.Option("--label") : "";
    if (line.Has("--quick") && line.Has("--full")) throw UsageError("give --quick or --full, not both");
    const bool quick = !line.Has("--full");

    DiskObject disk = OpenDisk(diskNumber);
    PartitionObject partition = OpenPartition(*disk, diskNumber, selector);
    const unsigned number = partition->GetPartitionNumber();
    const WideString wideFs = ToWide(fileSystem);
    const WideString wideLabel = ToWide(label);
    WorkingNotice notice(Done(line, "Formatting ", "Trying to format ") + On(number, diskNumber) + " as " + fileSystem +
                             (quick ? " (quick)" : " (full)"),
                         WorkingNotice::Lasting);
    const KXHRESULT hr = partition->Format(wideFs.c_str(), wideLabel.c_str(), quick ? 1 : 0);
    notice.Finish(hr == 0);
    Check(hr, "format " + On(number, diskNumber) + " as " + fileSystem,
          static_cast<uint32_t>(hr) == kNoInterface ? "the partition holds no volume" : std::string());
    const uint64_t used = partition->GetUsedSpace();

    if (line.json) {
        Json json = Document(line, diskNumber);
        json.update(Json{{"number", number}, {"fileSystem", fileSystem}, {"label", label}, {"quick", quick},
                         {"usedBytes", used}});
        PrintJson(json);
        return;
    }
    Print(Done(line, "Formatted ", "Would format ") + On(number, diskNumber) + " as " + fileSystem +
          (label.empty() ? std::string(" without a label") : " with the label \"" + label + "\"") + "; " +
          FormatSize(used) + Done(line, " in use.\n", " would be in use.\n"));
}

} // namespace kxvds
