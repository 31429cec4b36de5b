// A command line that cannot be carried out as written: the client says why
// and exits with kExitUsage before it touches any disk or machine file.
#pragma once

#include <stdexcept>
#include <string>

namespace kxvds {

class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace kxvds
