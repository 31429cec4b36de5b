// One run of the client over a command line: the program's main and the
// tour's steps both come here.
#pragma once

#include <string>
#include <vector>

namespace kxvds {

enum ExitStatus {
    kExitSuccess = 0,
    kExitFailed = 1,  // the library, the service or the machine file refused
    kExitUsage = 2,   // the command line is wrong; nothing was touched
};

int RunKxvds(const std::vector<std::string>& args);

} // namespace kxvds
