// The whole machine as a JSON text, so that a client's successive runs see
// the effects of the earlier ones.
#pragma once

#include "kxemu/Machine.h"

#include <string>

namespace kxemu {

std::string SaveMachine(const Machine& machine);
// Replaces the machine's content. A text that is not a machine file, or a
// machine that no disk could hold, leaves the machine empty, and `error`
// names the field: "providers[0].packs[0].disks[1].partitions[0].size ...".
bool LoadMachine(const std::string& text, Machine& machine, std::string* error);

} // namespace kxemu
