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
    // `action` completes "cannot ...": "select disk 7".
    OperationFailed(uint32_t result, const std::string& action) : std::runtime_error(action), code(result) {}
    uint32_t Code() const { return code; }

private:
    uint32_t code;
};

class HostFailure : public std::runtime_error {
public:
    explicit HostFailure(const std::string& message) : std::runtime_error(message) {}
};

} // namespace kxvds
