// Commands that change disks: create, add-path, remove-path, shrink, format.
#include "Commands.h"

#include "Failure.h"
#include "JsonWriter.h"
#include "Library.h"
#include "PartitionInfo.h"
#include "Sizes.h"
#include "UsageError.h"
#include "WideText.h"
#include "WorkingNotice.h"

#include <cctype>
#include <cstdio>

namespace kxvds {

namespace {

const uint64_t kDefaultOffset = 1ULL << 20;  // where partitioning tools start the first partition
const unsigned char kDefaultType = 0x07;

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

void Check(KXHRESULT hr, const std::string& action)
{
    if (hr != 0) throw OperationFailed(static_cast<uint32_t>(hr), action);
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
    const WideString wide = ToWide(path);
    if (add)
        Check(partition->AddMountPoint(wide.c_str()), "add " + path + " to " + On(number, diskNumber));
    else
        Check(partition->DeleteMountPoint(wide.c_str()), "remove " + path + " from " + On(number, diskNumber));
    const std::vector<std::string> paths = ReadAccessPaths(*partition);

    if (line.json) {
        JsonWriter json;
        json.BeginObject()
            .Key("disk").Number(diskNumber)
            .Key("number").Number(number)
            .Key(add ? "added" : "removed").String(path)
            .Key("accessPaths").BeginArray();
        for (const std::string& p : paths) json.String(p);
        json.EndArray().EndObject();
        Print(json.Text());
        return;
    }
    std::string now;
    for (const std::string& p : paths) now += (now.empty() ? "" : " ") + p;
    Print(std::string(add ? "Added " : "Removed ") + path + (add ? " to " : " from ") + On(number, diskNumber) +
          ". Access paths now: " + (now.empty() ? "(none)" : now) + "\n");
}

} // namespace

void RunCreate(const CommandLine& line)
{
    const unsigned long diskNumber = ParseDiskNumber(line.positional[0]);
    const uint64_t size = ParseSize(line.positional[1], "size");
    if (size == 0) throw UsageError("bad size '" + line.positional[1] + "': a partition needs at least one byte");
    const uint64_t offset = line.Has("--offset") ? ParseSize(line.Option("--offset"), "offset") : kDefaultOffset;
    const unsigned char type = line.Has("--type") ? ParseType(line.Option("--type")) : kDefaultType;
    const bool active = line.Has("--active");

    DiskObject disk = OpenDisk(diskNumber);
    KXUINT64 newOffset = 0;
    WorkingNotice notice("Creating a partition of " + FormatSize(size) + " on disk " + std::to_string(diskNumber),
                         WorkingNotice::Lasting);
    const KXHRESULT hr = disk->CreatePartition(offset, size, type, active ? 0x80 : 0, &newOffset);
    notice.Finish(hr == 0);
    Check(hr, "create a partition of " + FormatSize(size) + " on disk " + std::to_string(diskNumber));

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
    std::string letter;
    for (const std::string& p : info.accessPaths)
        if (letter.empty() && IsDriveRoot(p)) letter = p;

    if (line.json) {
        JsonWriter json;
        json.BeginObject()
            .Key("disk").Number(diskNumber)
            .Key("requestedOffset").Number(offset)
            .Key("requestedSize").Number(size)
            .Key("offset").Number(newOffset)
            .Key("driveLetter");
        if (letter.empty()) json.Null(); else json.String(letter);
        json.Key("partition");
        if (haveInfo) WritePartition(json, info); else json.Null();
        json.EndObject();
        Print(json.Text());
        return;
    }
    std::string text = "Created ";
    text += haveInfo ? On(info.number, diskNumber) : "a partition on disk " + std::to_string(diskNumber);
    text += " at offset " + std::to_string(newOffset) + " (" + FormatSize(newOffset) + ")";
    if (haveInfo) text += ", size " + FormatSize(info.size) + ", type " + TypeText(info.type);
    text += ".\n";
    if (!letter.empty())
        text += "Its volume received the drive letter " + letter + "\n";
    else if (haveInfo && !info.hasVolume)
        text += "It holds no volume (an extended partition holds logical drives).\n";
    else
        text += "Its volume received no drive letter.\n";
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
    WorkingNotice notice("Shrinking " + On(number, diskNumber) + " by " + FormatSize(bytes), WorkingNotice::Lasting);
    const KXHRESULT hr = partition->Shrink(bytes);
    notice.Finish(hr == 0);
    Check(hr, "shrink " + On(number, diskNumber) + " by " + FormatSize(bytes));

    // A partition object keeps the size it was made with: ask afresh.
    PartitionSelector byOffset;
    byOffset.by = PartitionSelector::Offset;
    byOffset.value = offset;
    const uint64_t after = OpenPartition(*disk, diskNumber, byOffset)->GetSize();

    if (line.json) {
        JsonWriter json;
        json.BeginObject()
            .Key("disk").Number(diskNumber)
            .Key("number").Number(number)
            .Key("shrunkBy").Number(bytes)
            .Key("sizeBefore").Number(before)
            .Key("size").Number(after)
            .EndObject();
        Print(json.Text());
        return;
    }
    Print("Shrank " + On(number, diskNumber) + " by " + FormatSize(bytes) + ": " + FormatSize(before) + " -> " +
          FormatSize(after) + ".\n");
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
    WorkingNotice notice("Formatting " + On(number, diskNumber) + " as " + fileSystem + (quick ? " (quick)" : " (full)"),
                         WorkingNotice::Lasting);
    const KXHRESULT hr = partition->Format(wideFs.c_str(), wideLabel.c_str(), quick ? 1 : 0);
    notice.Finish(hr == 0);
    Check(hr, "format " + On(number, diskNumber) + " as " + fileSystem);
    const uint64_t used = partition->GetUsedSpace();

    if (line.json) {
        JsonWriter json;
        json.BeginObject()
            .Key("disk").Number(diskNumber)
            .Key("number").Number(number)
            .Key("fileSystem").String(fileSystem)
            .Key("label").String(label)
            .Key("quick").Bool(quick)
            .Key("usedBytes").Number(used)
            .EndObject();
        Print(json.Text());
        return;
    }
    Print("Formatted " + On(number, diskNumber) + " as " + fileSystem +
          (label.empty() ? std::string(" without a label") : " with the label \"" + label + "\"") + "; " +
          FormatSize(used) + " in use.\n");
}

} // namespace kxvds
