// The command line: global options (anywhere), a command name, the command's
// own options and its positional arguments.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kxvds {

struct OptionRule {
    const char* name;   // "--label"
    const char* value;  // "TEXT", or nullptr for a flag
    const char* help;
};

// What the parser needs to know of a command.
struct CommandGrammar {
    std::vector<const char*> arguments;  // positional names, the required ones first
    size_t required;
    std::vector<OptionRule> options;
};

struct CommandLine {
    std::string command;                       // empty: no command given
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // flags map to ""
    bool json = false;
    bool help = false;
    bool reset = false;
    bool hasMachine = false;
    std::string machine;

    bool Has(const std::string& option) const { return options.count(option) != 0; }
    const std::string& Option(const std::string& option) const { return options.at(option); }
};

// The global options, for the help text.
const std::vector<OptionRule>& GlobalOptions();

// Throws UsageError. `grammarOf` answers null for an unknown command name.
CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const CommandGrammar* (*grammarOf)(const std::string& name));

// Whole numbers for disk, partition number and index: decimal, 0 to `most`.
unsigned long ParseNumber(const std::string& text, const std::string& what, unsigned long most);

} // namespace kxvds
