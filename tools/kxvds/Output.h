// What a command prints on stdout is held until the command has fully
// succeeded (the machine saved), so that a failure is never preceded by a
// success line and --json prints exactly one document.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace kxvds {

// Members keep the order they are written in.
using Json = nlohmann::ordered_json;

void Print(const std::string& text);
void PrintJson(const Json& document);

// Writes what was printed to stdout; or drops it when the command failed.
void FlushOutput();
void DiscardOutput();

} // namespace kxvds
