// Where the emulated machine lives between runs.
#pragma once

#include <string>

namespace kxvds {

// $XDG_STATE_HOME/kxvds/machine.json, else ~/.local/state/kxvds/machine.json.
// Throws HostFailure when neither variable gives a place.
std::string DefaultMachineFile();

} // namespace kxvds
