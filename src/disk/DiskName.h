// Reading the number of "PhysicalDrive" n out of a disk's service name.
#pragma once

#include "kxplatform.h"

// The number after the first "PhysicalDrive" in `name` (exact case), read
// like wcstol in base 10 with a 32-bit long; false when the word is absent.
bool ParsePhysicalDriveNumber(const WCHAR* name, long* number);
