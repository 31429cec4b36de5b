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
    return std::make_unique<ServiceHost>();
}

const std::vector<CommandRule>& HostCommands()
{
    static const std::vector<CommandRule> none;
    return none;
}

std::string HostHelp()
{
    return "This build uses the system's Virtual Disk Service: the commands that change\n"
           "disks change real disks. It needs administrator rights.\n";
}

} // namespace kxvds
