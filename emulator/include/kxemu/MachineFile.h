// The whole machine as a JSON text, so that a client's successive runs see
// the effects of the earlier ones.
#pragma once

#include "kxemu/Machine.h"

#include <string>

namespace kxemu {

std::string SaveMachine(const Machine& machine);
// Replaces the machine's content; on failure the machine is left empty and
// `error` says why.
bool LoadMachine(const std::string& text, Machine& machine, std::string* error);

bool SaveMachineFile(const std::string& path, const Machine& machine, std::string* error);
bool LoadMachineFile(const std::string& path, Machine& machine, std::string* error);

} // namespace kxemu
