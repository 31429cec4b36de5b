// What a machine file may describe: only what a disk can hold and the
// service could have made.
#pragma once

#include "kxemu/Machine.h"

#include <string>

namespace kxemu {

// "" when the machine keeps every rule, else the first broken one, naming its
// field by its place in the machine file.
std::string BrokenRule(const Machine& machine);

} // namespace kxemu
