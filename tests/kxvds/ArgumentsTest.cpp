#include "Arguments.h"
#include "UsageError.h"

#include <gtest/gtest.h>

namespace {

using kxvds::CommandLine;
using kxvds::ParseCommandLine;

const kxvds::CommandGrammar kCreate = {{"DISK", "SIZE"}, 2, {{"--offset", "SIZE", ""}, {"--active", nullptr, ""}}};

const kxvds::CommandGrammar* Grammar(const std::string& name)
{
    return name == "create" ? &kCreate : nullptr;
}

CommandLine Parse(const std::vector<std::string>& args)
{
    return ParseCommandLine(args, Grammar);
}

std::string Refusal(const std::vector<std::string>& args)
{
    try {
        Parse(args);
    } catch (const kxvds::UsageError& e) {
        return e.what();
    }
    return "(accepted)";
}

TEST(CommandLine, GlobalOptionsGoAnywhere)
{
    const CommandLine line = Parse({"create", "--json", "1", "--machine", "m.json", "4GiB", "--reset"});
    EXPECT_EQ("create", line.command);
    EXPECT_EQ((std::vector<std::string>{"1", "4GiB"}), line.positional);
    EXPECT_TRUE(line.json);
    EXPECT_TRUE(line.reset);
    EXPECT_TRUE(line.hasMachine);
    EXPECT_EQ("m.json", line.machine);
}

TEST(CommandLine, OptionValuesFollowOrJoinWithEquals)
{
    const CommandLine spaced = Parse({"create", "1", "4GiB", "--offset", "2MiB", "--active"});
    EXPECT_EQ("2MiB", spaced.Option("--offset"));
    EXPECT_TRUE(spaced.Has("--active"));
    const CommandLine joined = Parse({"--machine=m", "create", "1", "4GiB", "--offset=2MiB"});
    EXPECT_EQ("2MiB", joined.Option("--offset"));
    EXPECT_EQ("m", joined.machine);
}

TEST(CommandLine, DoubleDashEndsOptions)
{
    const CommandLine line = Parse({"create", "--", "1", "--odd"});
    EXPECT_EQ((std::vector<std::string>{"1", "--odd"}), line.positional);
}

TEST(CommandLine, HelpSkipsTheArgumentCountCheck)
{
    EXPECT_TRUE(Parse({"create", "-h"}).help);
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_EQ("", Parse({"--help"}).command);
}

TEST(CommandLine, RefusalsSayWhatIsWrong)
{
    struct Row {
        std::vector<std::string> args;
        const char* message;
    } rows[] = {
        {{"make", "1"}, "unknown command 'make'"},
        {{"create", "1"}, "'create' needs SIZE"},
        {{"create"}, "'create' needs DISK"},
        {{"create", "1", "2", "3"}, "unexpected argument '3'"},
        {{"create", "1", "2", "--offset"}, "option --offset needs a value SIZE"},
        {{"create", "1", "2", "--offset", "--json"}, "option --offset needs a value SIZE"},
        {{"create", "1", "2", "--active=yes"}, "option --active takes no value"},
        {{"create", "1", "2", "--offset", "1", "--offset", "2"}, "option --offset given twice"},
        {{"create", "1", "2", "--size", "1"}, "unknown option '--size' for 'create'"},
        {{"--size", "create"}, "unknown option '--size'"},
        {{"--machine=", "create", "1", "2"}, "--machine needs a file name"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.message);
        EXPECT_NE(std::string::npos, Refusal(r.args).find(r.message)) << Refusal(r.args);
    }
}

TEST(CommandLine, NegativeNumbersAreArgumentsNotOptions)
{
    EXPECT_EQ((std::vector<std::string>{"-1", "2"}), Parse({"create", "-1", "2"}).positional);
}

TEST(ParseNumber, AcceptsDecimalWithinRange)
{
    EXPECT_EQ(0ul, kxvds::ParseNumber("0", "disk number", 10));
    EXPECT_EQ(10ul, kxvds::ParseNumber("10", "disk number", 10));
    for (const char* bad : {"11", "", "1a", "+1", "0x1", "99999999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(kxvds::ParseNumber(bad, "disk number", 10), kxvds::UsageError);
    }
}

} // namespace
