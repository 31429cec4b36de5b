// Byte counts as people write them: "512", "100MiB", "1.5 GiB", "4k".
#pragma once

#include <cstdint>
#include <string>

namespace kxvds {

// Bytes in `text`, or throws UsageError naming `what` ("size", "offset").
// Units are binary (K, KiB = 1024; M, MiB; G, GiB; T, TiB; B = bytes).
uint64_t ParseSize(const std::string& text, const std::string& what);

// "100 MiB", "3073 MiB", "63.41 GiB", "512 B": an exact count below 10000
// in the largest unit that gives one, else two decimals in the largest unit.
std::string FormatSize(uint64_t bytes);

} // namespace kxvds
