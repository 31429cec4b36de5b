// Byte counts as people write them: "512", "100MiB", "1.5 GiB", "4k".
#pragma once

#include <cstdint>
#include <string>

namespace kxvds {

// Bytes in `text`, or throws UsageError naming `what` ("size", "offset").
// Units are binary (K, KiB = 1024; M, MiB; G, GiB; T, TiB; B = bytes).
uint64_t ParseSize(const std::string& text, const std::string& what);

// In the largest binary unit that holds at least one: "64 GiB" when whole,
// else with two decimals, "18.59 GiB"; where two decimals would show a whole
// number the rest is spelled out, "59 GiB + 1 MiB". Bytes below 1 KiB: "512 B".
std::string FormatSize(uint64_t bytes);

} // namespace kxvds
