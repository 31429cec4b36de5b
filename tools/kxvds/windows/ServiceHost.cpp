// On Windows the library talks to the system's Virtual Disk Service; there is
// no machine to load or save.
#include "Host.h"

#include "UsageError.h"

namespace kxvds {

namespace {

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

std::vector<unsigned long> ExistingDisks()
{
    return {};
}

std::string HostHelp()
{
    return "This build uses the system's Virtual Disk Service: the commands that change\n"
           "disks change real disks. It needs administrator rights.\n";
}

} // namespace kxvds
