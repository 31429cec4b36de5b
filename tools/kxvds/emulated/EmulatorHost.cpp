// The emulated disk service: a machine loaded from its file (or the default
// machine), served in-process while the command runs, saved after a change.
#include "Host.h"

#include "Failure.h"
#include "UsageError.h"
#include "emulated/DefaultMachine.h"
#include "emulated/MachineLocation.h"
#include "emulated/Tour.h"
#include "kxemu/KXEmulator.h"
#include "kxemu/MachineFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kxvds {

namespace {

namespace fs = std::filesystem;

const kxemu::Machine* running = nullptr;  // the machine of the host at work, for messages

// Read whole, or nothing: `exists` tells a missing file from an unreadable one.
bool ReadFile(const std::string& path, std::string* text, bool* exists, std::string* why)
{
    std::error_code error;
    *exists = fs::exists(path, error);
    if (!*exists) return false;
    if (fs::is_directory(path, error)) {
        *why = "it is a folder, not a file (give --machine a file name)";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        *why = "read error";
        return false;
    }
    *text = content.str();
    return true;
}

// Written beside the target and renamed over it, so that a failed save never
// leaves half a machine behind.
void WriteFileAtomically(const std::string& path, const std::string& text)
{
    const fs::path target(path);
    std::error_code error;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
    if (error) throw HostFailure("cannot make the folder of the machine file " + path + ": " + error.message());

    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            const std::string why = std::strerror(errno);
            std::remove(temporary.c_str());
            throw HostFailure("cannot write the machine file " + path + ": " + why);
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        std::remove(temporary.c_str());
        throw HostFailure("cannot write the machine file " + path + ": " + error.message());
    }
}

// Held from load to save, so that commands run at once on one machine file
// take turns instead of overwriting each other's changes. A file of its own:
// the save renames a new machine file over the old one.
class MachineLock {
public:
    explicit MachineLock(const std::string& machine)
    {
        const fs::path target(machine);
        std::error_code error;
        if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
        const std::string path = machine + ".lock";
        descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0) throw HostFailure("cannot lock the machine file " + machine + ": " + std::strerror(errno));
        while (flock(descriptor, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            const std::string why = std::strerror(errno);
            close(descriptor);
            throw HostFailure("cannot lock the machine file " + machine + ": " + why);
        }
    }
    ~MachineLock() { close(descriptor); }
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

private:
    int descriptor = -1;
};

class EmulatorHost : public Host {
public:
    EmulatorHost(std::string file, bool reset, bool tryOnly) : path(std::move(file)), lock(path), dryRun(tryOnly)
    {
        if (FAILED(emulator.Registration()))
            throw HostFailure("the emulated disk service could not be registered");
        std::string text;
        std::string unreadable;
        bool exists = false;
        if (reset) {
            BuildDefaultMachine(emulator.Machine());
            why = "reset to the default machine";
        } else if (ReadFile(path, &text, &exists, &unreadable)) {
            std::string error;
            if (!kxemu::LoadMachine(text, emulator.Machine(), &error))
                throw HostFailure("the machine file " + path + " cannot be used: " + error +
                                  " (--reset starts again from the default machine)");
        } else if (!exists) {
            BuildDefaultMachine(emulator.Machine());
            why = "made with the default machine";
        } else {
            throw HostFailure("cannot read the machine file " + path + ": " + unreadable);
        }
        running = &emulator.Machine();
    }

    ~EmulatorHost() override { running = nullptr; }

    void Succeeded(bool changedDisks) override
    {
        // A dry run works on the machine as loaded and leaves the file as it was.
        if (dryRun || (!changedDisks && why.empty())) return;
        WriteFileAtomically(path, kxemu::SaveMachine(emulator.Machine()));
        if (!why.empty()) std::fprintf(stderr, "kxvds: machine file %s %s\n", path.c_str(), why.c_str());
    }

private:
    std::string path;
    MachineLock lock;
    bool dryRun;
    kxemu::KXEmulator emulator;
    std::string why;  // set when the file is written afresh
};

} // namespace

std::unique_ptr<Host> StartHost(const CommandLine& line)
{
    return std::make_unique<EmulatorHost>(line.hasMachine ? line.machine : DefaultMachineFile(), line.reset,
                                          line.Has("--dry-run"));
}

std::vector<unsigned long> ExistingDisks()
{
    std::vector<unsigned long> numbers;
    if (!running) return numbers;
    for (const auto& provider : running->providers)
        for (const auto& pack : provider->packs)
            for (const auto& disk : pack->disks) numbers.push_back(disk->number);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

const std::vector<CommandRule>& HostCommands()
{
    static const std::vector<CommandRule> commands = {TourCommand()};
    return commands;
}

std::string HostHelp()
{
    return "This build serves the library an emulated disk service (no real disk is\n"
           "touched). Its machine is a file that every command loads and that changes\n"
           "are saved to: --machine FILE, by default $XDG_STATE_HOME/kxvds/machine.json\n"
           "or ~/.local/state/kxvds/machine.json. Without the file, or with --reset, the\n"
           "default machine: disk 0 of 64 GiB, MBR (system, Windows on C:, recovery,\n"
           "and an extended partition with the data drive E:), disk 1 blank (8 GiB),\n"
           "disk 2 of 32 GiB, GPT (EFI system, Microsoft reserved, Windows on W:,\n"
           "recovery), D: a CD-ROM drive.\n";
}

} // namespace kxvds
