#include "emulated/Tour.h"

#include "Failure.h"
#include "Run.h"

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace kxvds {

namespace {

struct Step {
    const char* note;
    std::vector<std::string> args;
    int expected;  // exit status
};

const std::vector<Step>& Steps()
{
    static const std::vector<Step> steps = {
        {"The disks of the default machine.", {"disks"}, kExitSuccess},
        {"Disk 0: a system partition, Windows on C:, a recovery partition (its boot\n"
         "sector carries the tag), and an extended partition with the data drive E:\n"
         "(D: is a CD-ROM drive).",
         {"table", "0"}, kExitSuccess},
        {"Disk 2 is partitioned GPT: types by name, attributes instead of MBR flags.", {"table", "2"},
         kExitSuccess},
        {"Disk 1 is blank.", {"disk", "1"}, kExitSuccess},
        {"Disk 0 has room only in its extended partition. A dry run shows where a new\n"
         "partition would go, and changes nothing.",
         {"create", "0", "1GiB", "--dry-run"}, kExitSuccess},
        {"Create a 4 GiB partition on disk 1: in its first free space, where the\n"
         "library places it and gives its volume the first free drive letter.",
         {"create", "1", "4GiB"}, kExitSuccess},
        {"Format it: NTFS, quick, with a label.", {"format", "1", "1", "--fs", "NTFS", "--label", "Backup"},
         kExitSuccess},
        {"Mount it in a folder on C: as well.", {"add-path", "1", "1", "C:\\Backup"}, kExitSuccess},
        {"Trade its drive letter F: for G:.", {"remove-path", "1", "1", "F:"}, kExitSuccess},
        {"", {"add-path", "1", "1", "G:"}, kExitSuccess},
        {"Shrink it by 1 GiB; NTFS gives the space back at the partition's end.", {"shrink", "1", "1", "1GiB"},
         kExitSuccess},
        {"The disk now.", {"table", "1"}, kExitSuccess},
        {"The same partition for a script.", {"--json", "partition", "1", "1"}, kExitSuccess},
        {"What the service refuses comes back as an HRESULT with its meaning, and a\n"
         "non-zero exit status.",
         {"shrink", "1", "1", "10GiB"}, kExitFailed},
        {"A wrong command line is caught before anything is touched.", {"format", "1", "1", "--fs", "ext4"},
         kExitUsage},
    };
    return steps;
}

std::string Shown(const std::vector<std::string>& args)
{
    std::string text = "$ kxvds";
    for (const std::string& a : args) {
        const bool quote = a.find_first_of(" \\") != std::string::npos;
        text += " " + (quote ? "'" + a + "'" : a);
    }
    return text;
}

// The machine file and the lock file beside it.
void RemoveMachine(const std::string& file)
{
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::filesystem::remove(file + ".lock", ignored);
}

void RunTour(const CommandLine& line)
{
    namespace fs = std::filesystem;
    const bool keep = line.hasMachine;
    const std::string file =
        keep ? line.machine : (fs::temp_directory_path() / ("kxvds-tour-" + std::to_string(getpid()) + ".json")).string();

    // One stream, so that progress and error lines stay beside their command
    // when the tour goes through a pipe.
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(STDOUT_FILENO, STDERR_FILENO);

    std::printf("A tour of kxvds on a fresh default machine, in %s.\n"
                "Every command below also gets --machine with that file; it is %s afterwards.\n",
                file.c_str(), keep ? "kept" : "removed");
    bool first = true;
    for (const Step& step : Steps()) {
        std::vector<std::string> args = step.args;
        args.insert(args.end(), {"--machine", file});
        if (first) args.push_back("--reset");
        first = false;

        std::printf("\n");
        if (*step.note) std::printf("# %s\n", step.note);
        std::printf("%s\n", Shown(step.args).c_str());
        std::fflush(stdout);
        const int status = RunKxvds(args);
        std::fflush(stderr);
        if (status != kExitSuccess) std::printf("(exit status %d)\n", status);
        std::fflush(stdout);
        if (status != step.expected) {
            if (!keep) RemoveMachine(file);
            throw HostFailure("the tour stopped: '" + Shown(step.args).substr(2) + "' ended with status " +
                              std::to_string(status) + " instead of " + std::to_string(step.expected));
        }
    }
    if (!keep) RemoveMachine(file);
    std::printf("\nThat is all. 'kxvds --help' lists the commands; your own machine is in\n"
                "the default machine file unless you give --machine.\n");
}

} // namespace

CommandRule TourCommand()
{
    return {"tour", "[--machine FILE]", "walk through the commands on a fresh default machine",
            "Runs disks, table, disk, create (once as a dry run), format, add-path,\n"
            "remove-path and shrink on a fresh default machine in a temporary file,\n"
            "showing each command and its output. With --machine the tour resets that\n"
            "file instead and leaves it behind for you to explore.",
            {{}, 0, {}}, false, false, RunTour};
}

} // namespace kxvds
