// What the commands that change disks share: how they name things, say
// "would" on a dry run, and report a refusal.
#pragma once

#include "Arguments.h"
#include "KXVdsDisks.h"
#include "Output.h"

#include <string>
#include <vector>

namespace kxvds {

std::string Lower(std::string s);
bool IsDriveRoot(const std::string& path);
// The first drive root among a volume's access paths, or "".
std::string DriveLetterOf(const std::vector<std::string>& paths);
// "partition 2 on disk 0"
std::string On(unsigned number, unsigned long disk);
// `done` ("Created"), or `would` ("Would create") on a dry run.
std::string Done(const CommandLine& line, const char* done, const char* would);
// {"disk": N} and, on a dry run, "dryRun": true.
Json Document(const CommandLine& line, unsigned long disk);
// Throws OperationFailed for a failure; `why` says what it means here.
void Check(KXHRESULT hr, const std::string& action, const std::string& why = std::string());

} // namespace kxvds
