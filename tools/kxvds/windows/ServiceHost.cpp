// On Windows the library talks to the system's Virtual Disk Service; there is
// no machine to load or save.
#include "Host.h"

#include "DiskLayout.h"
#include "UsageError.h"

namespace kxvds {

namespace {

// Disk numbers are dense but for disks removed while the system runs: the
// search ends after this many missing numbers in a row.
const unsigned long kMissingRun = 16;
const unsigned long kMostDisks = 256;

class ServiceHost : public Host {
public:
    void Succeeded(bool) override {}
};

} // namespace

std::unique_ptr<Host> StartHost(const CommandLine& line)
{
    if (line.hasMachine || line.reset)
        throw UsageError("--machine and --reset belong to the emulated machine; this build uses the system's disk service");
    if (line.Has("--dry-run"))
        throw UsageError("--dry-run needs an emulated machine; this build changes real disks through the system's disk "
                         "service, so nothing can be tried out first");
    return std::make_unique<ServiceHost>();
}

const std::vector<CommandRule>& HostCommands()
{
    static const std::vector<CommandRule> none;
    return none;
}

// The device names answer without the service and without administrator rights.
std::vector<unsigned long> ExistingDisks()
{
    std::vector<unsigned long> numbers;
    unsigned long missing = 0;
    for (unsigned long number = 0; number < kMostDisks && missing < kMissingRun; ++number) {
        const DriveDevice device(number);
        const DWORD error = device.IsOpen() ? 0 : device.OpenError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            ++missing;
        } else {
            missing = 0;
            numbers.push_back(number);
        }
    }
    return numbers;
}

std::string HostHelp()
{
    return "This build uses the system's Virtual Disk Service: the commands that change\n"
           "disks change real disks. It needs administrator rights.\n";
}

} // namespace kxvds
