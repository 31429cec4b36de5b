// Rewrites entries of a loaded module's import address table, the way
// Windows test suites detour system calls that a module under test makes.
#pragma once

#include "kxplatform.h"

namespace kxemu {

// Points every import of `function` from `dll` (names without case) in
// `module` at `target`. Returns how many entries were rewritten.
int RewriteImport(HMODULE module, const char* dll, const char* function, void* target);

} // namespace kxemu
