// Commands that change a volume: add-path, remove-path, shrink, format.
#include "Commands.h"

#include "AccessPathText.h"
#include "DiskLayout.h"
#include "Failure.h"
#include "Library.h"
#include "Output.h"
#include "PartitionInfo.h"
#include "ChangeReport.h"
#include "Sizes.h"
#include "UsageError.h"
#include "WideText.h"
#include "WorkingNotice.h"

#include <cctype>
#include <cstdio>

namespace kxvds {

namespace {

const uint32_t kNoInterface = 0x80004002u;
const uint32_t kPathNotFound = 0x80070003u;
const uint32_t kDirectoryNotEmpty = 0x80070091u;
const uint32_t kObjectExists = 0x8004241Du;

const char* const kFileSystems[] = {"FAT", "FAT32", "NTFS", "exFAT"};

std::string CanonicalFileSystem(const std::string& text)
{
    for (const char* fs : kFileSystems)
        if (Lower(text) == Lower(fs)) return fs;
    throw UsageError("unknown file system '" + text + "' (use FAT, FAT32 or NTFS)");
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

std::string Joined(const std::vector<std::string>& paths)
{
    std::string joined;
    for (const std::string& p : paths) joined += (joined.empty() ? "" : " ") + p;
    return joined.empty() ? "(none)" : joined;
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

} // namespace

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
    // On GPT the type byte is the type GUID's first byte, and may look extended.
    if (IsExtendedType(partition->GetPartitionType()) && ReadDiskLayout(diskNumber).style != PartitionStyle::Gpt)
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
