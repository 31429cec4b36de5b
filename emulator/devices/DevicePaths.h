// How the device layer reads the paths it is given.
#pragma once

#include "kxplatform.h"

#include <string>

namespace kxemu {

// "X:" or "X:\" gives 'X' (upper case); anything else 0.
char DriveLetterOf(const std::string& root);
// "\\.\X:" or "\\?\X:" gives 'X'; anything else 0.
char DosDeviceLetterOf(const std::string& path);
// "\\.\PhysicalDriveN" or "\\?\PhysicalDriveN" (any case) gives true and N.
bool PhysicalDriveNumberOf(const std::string& path, ULONG* number);
// Paths under \\?\GLOBALROOT\Device\ (either prefix style).
bool IsGlobalRootPath(const std::string& path);

} // namespace kxemu
