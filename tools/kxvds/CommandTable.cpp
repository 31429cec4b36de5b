#include "Commands.h"

#include "Host.h"

namespace kxvds {

namespace {

const OptionRule kNumber = {"--number", "N", "the partition with this partition number (as NUMBER)"};
const OptionRule kIndex = {"--index", "N", "the partition at this position in the table, from 0"};
const OptionRule kOffset = {"--offset", "SIZE", "the partition that starts at this offset"};
const OptionRule kDryRun = {"--dry-run", nullptr, "show what would change, and change nothing"};


std::vector<CommandRule> BaseCommands()
{
    return {
        {"disks", "", "list the disks with their size and partition style",
         "Lists every disk: its number, size, partition style and number of\n"
         "partitions. The style is MBR or GPT, RAW for a disk without a partition\n"
         "table, and unknown (with the reason on stderr) where the disk's layout\n"
         "cannot be read.",
         {{}, 0, {}}, false, true, RunDisks},
        {"disk", "DISK", "show a disk's size and geometry",
         "Shows the size of physical disk DISK and its geometry: bytes per sector,\n"
         "sectors per track and tracks per cylinder.",
         {{"DISK"}, 1, {}}, false, true, RunDisk},
        {"table", "DISK", "list a disk's partitions with their volumes",
         "Lists every partition of disk DISK in the service's order: number, start,\n"
         "end and size, type, flags, the bytes in use on its volume, its access paths\n"
         "and the volume's name. Sizes are shown in binary units; --json gives bytes.\n"
         "\n"
         "On an MBR disk the type is the MBR type byte and the flags are primary or\n"
         "logical, active and recovery. On a GPT disk (the heading says GPT) the type\n"
         "is named (EFI system, Microsoft reserved, basic data, recovery, LDM metadata,\n"
         "LDM data) or else given as its GUID, and the flags are the GPT attributes\n"
         "(required, no drive letter, hidden, shadow copy, read-only) and recovery.",
         {{"DISK"}, 1, {}}, false, true, RunTable},
        {"partition", "DISK NUMBER | DISK --index N | DISK --offset SIZE", "show one partition",
         "Shows one partition of disk DISK with all its properties; on a GPT disk\n"
         "also its type GUID, partition GUID and attribute bits.\n"
         "The partition is given by its NUMBER (the first column of 'kxvds table'),\n"
         "or by --index or --offset instead of NUMBER.",
         {{"DISK", "NUMBER"}, 1, {kNumber, kIndex, kOffset}}, false, true, RunPartition},
        {"paths", "DISK NUMBER", "list the access paths of a partition's volume",
         "Lists the drive letters and mount folders of the volume on a partition.\n"
         "The partition is given by its NUMBER, or by --index or --offset instead.",
         {{"DISK", "NUMBER"}, 1, {kNumber, kIndex, kOffset}}, false, true, RunPaths},
        {"create", "DISK SIZE [--offset SIZE | --logical] [--type TYPE] [--active] [--dry-run]",
         "create a partition; it gets the first free drive letter",
         "Creates an MBR partition of SIZE on disk DISK. Without --offset it goes to\n"
         "the first free space large enough: outside the extended partition while one\n"
         "of the MBR's four primary entries is free, else (or with --logical) inside\n"
         "it as a logical drive. With --offset the library starts there, moves past\n"
         "partitions that already hold the start and shrinks the size to what fits.\n"
         "Shows where the partition went and why, and the drive letter its volume\n"
         "received. TYPE is an MBR type byte (0x07, 12, ...) or one of ntfs (0x07),\n"
         "fat (0x06), fat32 (0x0C) and extended (0x0F); the default is 0x07.\n"
         "A GPT disk is refused before anything changes: the library creates MBR\n"
         "partitions only.\n"
         "With --dry-run the library does its work on a copy of the emulated machine\n"
         "and the command shows what would change; the machine file stays as it is.",
         {{"DISK", "SIZE"}, 2,
          {{"--offset", "SIZE", "where the partition should start"},
           {"--logical", nullptr, "a logical drive in the extended partition"},
           {"--type", "TYPE", "MBR partition type (default 0x07)"},
           {"--active", nullptr, "mark the partition active (bootable)"},
           kDryRun}},
         true, true, RunCreate},
        {"add-path", "DISK NUMBER PATH", "give a partition's volume a drive letter or mount folder",
         "Adds PATH to the access paths of the volume on a partition. PATH is a drive\n"
         "letter (F, F: or F:\\) or a folder on an NTFS volume (C:\\Mount\\Data).\n"
         "The partition is given by its NUMBER, or by --index or --offset instead.",
         {{"DISK", "NUMBER", "PATH"}, 2, {kNumber, kIndex, kOffset, kDryRun}}, true, true, RunAddPath},
        {"remove-path", "DISK NUMBER PATH", "remove a drive letter or mount folder from a volume",
         "Removes PATH from the access paths of the volume on a partition. PATH is\n"
         "written as for add-path.\n"
         "The partition is given by its NUMBER, or by --index or --offset instead.",
         {{"DISK", "NUMBER", "PATH"}, 2, {kNumber, kIndex, kOffset, kDryRun}}, true, true, RunRemovePath},
        {"shrink", "DISK NUMBER SIZE", "shrink a partition's volume by SIZE",
         "Shrinks the volume on a partition, and the partition with it, by SIZE; the\n"
         "space is freed at the partition's end. NTFS volumes shrink in whole clusters\n"
         "(RAW ones in whole sectors), by no more than their free space.\n"
         "The partition is given by its NUMBER, or by --index or --offset instead.",
         {{"DISK", "NUMBER", "SIZE"}, 2, {kNumber, kIndex, kOffset, kDryRun}}, true, true, RunShrink},
        {"format", "DISK NUMBER [--fs FS] [--label TEXT] [--full]", "format a partition's volume",
         "Formats the volume on a partition with FS: FAT, FAT32 or NTFS (the default).\n"
         "exFAT is recognised but the interface refuses it. A quick format is the\n"
         "default; --full asks for a full one.\n"
         "The partition is given by its NUMBER, or by --index or --offset instead.",
         {{"DISK", "NUMBER"}, 1,
          {kNumber, kIndex, kOffset,
           {"--fs", "FS", "FAT, FAT32 or NTFS (default NTFS)"},
           {"--label", "TEXT", "the volume label (default none)"},
           {"--quick", nullptr, "quick format (the default)"},
           {"--full", nullptr, "full format"},
           kDryRun}},
         true, true, RunFormat},
        {"snapshot", "[FILE] [--redact]", "write the disks as the library sees them as a machine file",
         "Reads, without changing anything, what the library reads of every disk:\n"
         "the disk service's providers, packs, disks, partitions and volumes, and\n"
         "what the storage stack answers for each volume (extents, partition\n"
         "numbers, drive type, free space, first sector), and the drive letters of\n"
         "other devices. Writes them to FILE (or stdout) as a machine file, which\n"
         "the emulated service of the Linux build replays:\n"
         "  kxvds --machine FILE table 0\n"
         "What the file cannot describe is named in its \"notes\". On Windows it needs\n"
         "administrator rights. With --redact, labels, volume serials and the disks'\n"
         "names are replaced by neutral values; sizes, offsets, types, tags and\n"
         "styles stay.",
         {{"FILE"}, 0, {{"--redact", nullptr, "replace labels, volume serials and disk names"}}},
         false, true, RunSnapshot},
    };
}

} // namespace

const std::vector<CommandRule>& AllCommands()
{
    static const std::vector<CommandRule> all = [] {
        std::vector<CommandRule> commands = BaseCommands();
        for (const CommandRule& c : HostCommands()) commands.push_back(c);
        return commands;
    }();
    return all;
}

const CommandRule* FindCommand(const std::string& name)
{
    for (const CommandRule& c : AllCommands())
        if (name == c.name) return &c;
    return nullptr;
}

const CommandGrammar* FindGrammar(const std::string& name)
{
    const CommandRule* rule = FindCommand(name);
    return rule ? &rule->grammar : nullptr;
}

} // namespace kxvds
