// Why a command did not succeed, beside UsageError: an operation of the
// library or the service that returned a failure HRESULT, or a problem of
// the client's own surroundings (the machine file).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kxvds {

class OperationFailed : public std::runtime_error {
public:
    // `action` completes "cannot ...": "select disk 7". `why`, when known,
    // says what happened in this case ("there is no disk 7; the disks are 0
    // and 1") instead of the code's general meaning.
    OperationFailed(uint32_t result, const std::string& action, const std::string& why = std::string())
        : std::runtime_error(action), code(result), explanation(why)
    {
    }
    uint32_t Code() const { return code; }
    const std::string& Explanation() const { return explanation; }

private:
    uint32_t code;
    std::string explanation;
};

class HostFailure : public std::runtime_error {
public:
    explicit HostFailure(const std::string& message) : std::runtime_error(message) {}
};

} // namespace kxvds
