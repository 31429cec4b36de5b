// The client's commands: grammar, help and what each one does.
#pragma once

#include "Arguments.h"

#include <string>
#include <vector>

namespace kxvds {

struct CommandRule {
    const char* name;
    const char* usage;        // "DISK SIZE [--offset SIZE] ..."
    const char* summary;      // one line for the command list
    const char* description;  // paragraphs for "kxvds COMMAND --help"
    CommandGrammar grammar;
    bool changesDisks;        // the emulated machine is saved after it succeeds
    bool needsService;        // false: runs without the disk service (tour)
    void (*run)(const CommandLine& line);
};

// The commands of every system, then those of this build's host.
const std::vector<CommandRule>& AllCommands();
const CommandRule* FindCommand(const std::string& name);
const CommandGrammar* FindGrammar(const std::string& name);

// Implementations (DisksCommand.cpp, QueryCommands.cpp, CreateCommand.cpp, ChangeCommands.cpp,
// SnapshotCommand.cpp).
void RunDisks(const CommandLine& line);
void RunDisk(const CommandLine& line);
void RunTable(const CommandLine& line);
void RunPartition(const CommandLine& line);
void RunPaths(const CommandLine& line);
void RunCreate(const CommandLine& line);
void RunAddPath(const CommandLine& line);
void RunRemovePath(const CommandLine& line);
void RunShrink(const CommandLine& line);
void RunFormat(const CommandLine& line);
void RunSnapshot(const CommandLine& line);

// Shared by the implementations.
unsigned long ParseDiskNumber(const std::string& text);

} // namespace kxvds
