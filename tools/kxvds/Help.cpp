#include "Help.h"

#include "Host.h"

#include <cstdio>

namespace kxvds {

namespace {

std::string OptionLines(const std::vector<OptionRule>& options)
{
    std::string text;
    for (const OptionRule& o : options) {
        const std::string left = std::string(o.name) + (o.value ? std::string(" ") + o.value : "");
        char line[160];
        std::snprintf(line, sizeof line, "  %-16s %s\n", left.c_str(), o.help);
        text += line;
    }
    return text;
}

} // namespace

std::string GeneralHelp()
{
    std::string text =
        "kxvds: disks and partitions through the KXVdsDisks library\n"
        "\n"
        "usage: kxvds [--json] [--machine FILE] [--reset] COMMAND [ARGUMENTS]\n"
        "       kxvds COMMAND --help\n"
        "       kxvds --version\n"
        "\n"
        "Commands:\n";
    for (const CommandRule& c : AllCommands()) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-12s %s\n", c.name, c.summary);
        text += line;
    }
    text += "\nOptions (anywhere on the line):\n" + OptionLines(GlobalOptions());
    text +=
        "\n"
        "Sizes are bytes, or a number with a binary unit: 512, 4KiB, 100MiB, 1.5GiB,\n"
        "2T (K, M, G and T are KiB, MiB, GiB and TiB). They are shown in the largest\n"
        "unit that holds one, with two decimals where not whole (18.59 GiB), or\n"
        "spelled out where rounding would hide the rest (59 GiB + 1 MiB); --json\n"
        "gives bytes.\n"
        "\n" +
        HostHelp() +
        "\n"
        "Exit status: 0 on success, 1 when the operation failed (the HRESULT and its\n"
        "meaning are shown), 2 for a wrong command line.\n";
    return text;
}

std::string CommandHelp(const CommandRule& command)
{
    std::string text = std::string("usage: kxvds ") + command.name + (*command.usage ? " " : "") + command.usage +
                       "\n\n" + command.description + "\n";
    if (!command.grammar.options.empty()) text += "\nOptions:\n" + OptionLines(command.grammar.options);
    text += "\nSee 'kxvds --help' for the options of every command and the size units.\n";
    return text;
}

} // namespace kxvds
