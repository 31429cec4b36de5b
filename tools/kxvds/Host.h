// Where the disk service comes from. Natively: the emulator, with a machine
// that a file describes and that is saved after each change. On Windows: the
// system's own Virtual Disk Service.
#pragma once

#include "Commands.h"

#include <memory>
#include <string>
#include <vector>

namespace kxvds {

class Host {
public:
    virtual ~Host() = default;
    // The command succeeded; `changedDisks` when it was one that changes them.
    virtual void Succeeded(bool changedDisks) = 0;
};

// Ready before the command talks to the library. Throws UsageError for
// options this host does not have, HostFailure when it cannot start.
std::unique_ptr<Host> StartHost(const CommandLine& line);

// Commands that only this host offers.
const std::vector<CommandRule>& HostCommands();

// The numbers of the disks there are, ascending, for messages and the disks
// command: the machine's disks; on Windows the \\.\PhysicalDriveN names that
// exist. Empty when unknown.
std::vector<unsigned long> ExistingDisks();

// A paragraph for "kxvds --help" about where the disks are.
std::string HostHelp();

} // namespace kxvds
