#include "Arguments.h"

#include "UsageError.h"

#include <cctype>

namespace kxvds {

namespace {

const std::vector<OptionRule> kGlobalOptions = {
    {"--json", nullptr, "print the result as JSON (errors too) for scripts"},
    {"--machine", "FILE", "the emulated machine's file (default: under the user's state directory)"},
    {"--reset", nullptr, "start again from the default machine"},
    {"--help", nullptr, "show help (also -h)"},
};

bool LooksLikeOption(const std::string& token)
{
    // "-1" is a (bad) number, so that it gets the number's message.
    return token.size() > 1 && token[0] == '-' && !std::isdigit(static_cast<unsigned char>(token[1]));
}

const OptionRule* FindOption(const std::vector<OptionRule>& options, const std::string& name)
{
    for (const OptionRule& o : options)
        if (name == o.name) return &o;
    return nullptr;
}

// Splits "--name=value"; `value` is set only when the token carries one.
std::string OptionName(const std::string& token, std::string* value, bool* hasValue)
{
    const size_t equals = token.find('=');
    *hasValue = equals != std::string::npos && token.compare(0, 2, "--") == 0;
    if (!*hasValue) return token == "-h" ? "--help" : token;
    *value = token.substr(equals + 1);
    return token.substr(0, equals);
}

} // namespace

const std::vector<OptionRule>& GlobalOptions()
{
    return kGlobalOptions;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const CommandGrammar* (*grammarOf)(const std::string& name))
{
    CommandLine line;
    const CommandGrammar* grammar = nullptr;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& token = args[i];
        if (optionsEnded || !LooksLikeOption(token)) {
            if (line.command.empty() && grammarOf) {
                grammar = grammarOf(token);
                if (!grammar) throw UsageError("unknown command '" + token + "' (see 'kxvds --help')");
                line.command = token;
            } else {
                line.positional.push_back(token);
            }
            continue;
        }
        if (token == "--") {
            optionsEnded = true;
            continue;
        }

        std::string value;
        bool hasValue = false;
        const std::string name = OptionName(token, &value, &hasValue);
        const OptionRule* rule = FindOption(kGlobalOptions, name);
        const bool global = rule != nullptr;
        if (!rule && grammar) rule = FindOption(grammar->options, name);
        if (!rule) {
            if (line.command.empty())
                throw UsageError("unknown option '" + name + "' (see 'kxvds --help')");
            throw UsageError("unknown option '" + name + "' for '" + line.command + "' (see 'kxvds " + line.command +
                             " --help')");
        }
        if (rule->value && !hasValue) {
            // "--label --json" is a forgotten value, not the label "--json".
            if (i + 1 >= args.size() || (!optionsEnded && LooksLikeOption(args[i + 1])))
                throw UsageError(std::string("option ") + rule->name + " needs a value " + rule->value);
            value = args[++i];
        } else if (!rule->value && hasValue) {
            throw UsageError(std::string("option ") + rule->name + " takes no value");
        }

        if (global) {
            if (name == "--json") line.json = true;
            else if (name == "--help") line.help = true;
            else if (name == "--reset") line.reset = true;
            else {
                line.hasMachine = true;
                line.machine = value;
                if (value.empty()) throw UsageError("option --machine needs a file name");
            }
        } else {
            if (line.options.count(name)) throw UsageError("option " + name + " given twice");
            line.options[name] = value;
        }
    }

    if (line.help || !grammar) return line;
    if (line.positional.size() < grammar->required)
        throw UsageError("'" + line.command + "' needs " + grammar->arguments[line.positional.size()] + " (see 'kxvds " +
                         line.command + " --help')");
    if (line.positional.size() > grammar->arguments.size())
        throw UsageError("unexpected argument '" + line.positional[grammar->arguments.size()] + "' for '" +
                         line.command + "' (see 'kxvds " + line.command + " --help')");
    return line;
}

unsigned long ParseNumber(const std::string& text, const std::string& what, unsigned long most)
{
    bool digits = !text.empty();
    for (char c : text) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    if (!digits) throw UsageError("bad " + what + " '" + text + "': expected a whole number from 0 to " +
                                  std::to_string(most));
    unsigned long value = 0;
    for (char c : text) {
        value = value * 10 + static_cast<unsigned long>(c - '0');
        if (value > most)
            throw UsageError("bad " + what + " '" + text + "': at most " + std::to_string(most));
    }
    return value;
}

} // namespace kxvds
