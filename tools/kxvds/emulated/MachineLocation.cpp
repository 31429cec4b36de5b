#include "emulated/MachineLocation.h"

#include "Failure.h"

#include <cstdlib>

namespace kxvds {

namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string DefaultMachineFile()
{
    // Relative values are to be ignored, as the base directory convention says.
    std::string state = Variable("XDG_STATE_HOME");
    if (state.empty() || state[0] != '/') {
        const std::string home = Variable("HOME");
        if (home.empty() || home[0] != '/')
            throw HostFailure("no place for the machine file: set HOME or XDG_STATE_HOME, or use --machine FILE");
        state = home + "/.local/state";
    }
    return state + "/kxvds/machine.json";
}

} // namespace kxvds
