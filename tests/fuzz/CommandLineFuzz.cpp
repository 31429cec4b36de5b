// What users type: the input's lines are the arguments. They are parsed with
// a grammar that has every shape of option, then each value is read as the
// client reads sizes, numbers, partition selectors and access paths. A
// refusal must say why; anything else escaping is a fault.
#include "AccessPathText.h"
#include "Arguments.h"
#include "Placement.h"
#include "Selector.h"
#include "Sizes.h"
#include "UsageError.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace kxvds;

const CommandGrammar kEveryShape = {{"DISK", "NUMBER", "PATH"},
                                    1,
                                    {{"--number", "N", ""},
                                     {"--index", "N", ""},
                                     {"--offset", "SIZE", ""},
                                     {"--type", "TYPE", ""},
                                     {"--logical", nullptr, ""},
                                     {"--dry-run", nullptr, ""}}};

const CommandGrammar* Grammar(const std::string& name)
{
    return name == "create" || name == "partition" || name == "add-path" ? &kEveryShape : nullptr;
}

[[noreturn]] void Broken(const std::string& what)
{
    std::fprintf(stderr, "command line: %s\n", what.c_str());
    std::abort();
}

template <class Parse>
void Refusable(Parse parse)
{
    try {
        parse();
    } catch (const UsageError& e) {
        if (std::string(e.what()).empty()) Broken("a refusal without a reason");
    }
}

// A disk of 64 GiB: a primary, then an extended partition with a logical drive.
const uint64_t kDisk = 64ULL << 30;
const std::vector<TableEntry> kTable = {
    {1ULL << 20, 40ULL << 30, false}, {41ULL << 30, 20ULL << 30, true}, {(41ULL << 30) + (1ULL << 20), 1ULL << 30, false}};

void Place(uint64_t size, bool logical)
{
    const PlacementChoice choice = ChoosePlace(kDisk, kTable, size, logical);
    if (!choice.found) return;
    if (choice.offset > kDisk || size > kDisk - choice.offset) Broken("placed beyond the disk's end");
    for (const TableEntry& e : kTable)
        if (!e.extended && choice.offset < e.End() && e.offset < choice.offset + size)
            Broken("placed over a partition");
}

void ReadValue(const std::string& value)
{
    Refusable([&] { ParseNumber(value, "number", 0xFFFFFFFFul); });
    Refusable([&] {
        const uint64_t bytes = ParseSize(value, "size");
        FormatSize(bytes);
        Place(bytes, false);
        Place(bytes, true);
    });
    Refusable([&] {
        const std::string path = NormalisePath(value);
        if (NormalisePath(path) != path) Broken("an access path that changes when read again: " + path);
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        args.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    Refusable([&] {
        const CommandLine line = ParseCommandLine(args, Grammar);
        for (const std::string& value : line.positional) ReadValue(value);
        for (const auto& option : line.options) ReadValue(option.second);
        if (!line.command.empty()) Refusable([&] { ParseSelector(line, 1); });
    });
    return 0;
}
