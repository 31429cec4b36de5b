// The texts of --help.
#pragma once

#include "Commands.h"

#include <string>

namespace kxvds {

std::string GeneralHelp();
std::string CommandHelp(const CommandRule& command);

} // namespace kxvds
