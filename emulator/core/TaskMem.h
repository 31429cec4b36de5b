// CoTaskMem blocks handed to callers, counted for the emulator's accounting.
#pragma once

#include "core/State.h"

#include <string>

namespace kxemu {

void* AllocTaskMem(State& state, size_t bytes);
// A zero-terminated UTF-16 copy of a UTF-8 text; null when out of memory.
LPWSTR TaskMemString(State& state, const std::string& utf8);

} // namespace kxemu
