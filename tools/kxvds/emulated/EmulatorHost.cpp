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

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace kxvds {

namespace {

namespace fs = std::filesystem;

// Read whole, or nothing: `exists` tells a missing file from an unreadable one.
bool ReadFile(const std::string& path, std::string* text, bool* exists, std::string* why)
{
    std::error_code error;
    *exists = fs::exists(path, error);
    if (!*exists) return false;
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

class EmulatorHost : public Host {
public:
    EmulatorHost(std::string file, bool reset) : path(std::move(file))
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
    }

    void Succeeded(bool changedDisks) override
    {
        if (!changedDisks && why.empty()) return;
        WriteFileAtomically(path, kxemu::SaveMachine(emulator.Machine()));
        if (!why.empty()) std::fprintf(stderr, "kxvds: machine file %s %s\n", path.c_str(), why.c_str());
    }

private:
    kxemu::KXEmulator emulator;
    std::string path;
    std::string why;  // set when the file is written afresh
};

} // namespace

std::unique_ptr<Host> StartHost(const CommandLine& line)
{
    return std::make_unique<EmulatorHost>(line.hasMachine ? line.machine : DefaultMachineFile(), line.reset);
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
           "default machine: disk 0 of 64 GiB (system, Windows on C:, recovery, and an\n"
           "extended partition with the data drive E:), disk 1 blank (8 GiB), D: a\n"
           "CD-ROM drive.\n";
}

} // namespace kxvds
