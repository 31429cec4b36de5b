// An access path as the user types it, in the form the service takes.
#pragma once

#include <string>

namespace kxvds {

// "F", "F:", "F:\" and "F:/" name a drive root; a folder gets its closing
// backslash, which the service requires. Throws UsageError.
std::string NormalisePath(const std::string& text);

} // namespace kxvds
