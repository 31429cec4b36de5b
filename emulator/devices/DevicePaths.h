// How the device layer reads the paths it is given.
#pragma once

#include <string>

namespace kxemu {

// "X:" or "X:\" gives 'X' (upper case); anything else 0.
char DriveLetterOf(const std::string& root);
// "\\.\X:" or "\\?\X:" gives 'X'; anything else 0.
char DosDeviceLetterOf(const std::string& path);
// Paths under \\?\GLOBALROOT\Device\ (either prefix style).
bool IsGlobalRootPath(const std::string& path);

} // namespace kxemu
