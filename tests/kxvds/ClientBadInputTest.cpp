// What the client does with a command it cannot carry out: a message that
// says why, a non-zero exit status and the machine file as it was.
#include "ClientTest.h"

#include <fstream>

namespace {

struct BadCase {
    std::vector<std::string> args;
    int status;
    const char* message;  // part of stderr
};

class BadInput : public ClientTest {
protected:
    void SetUp() override
    {
        // A machine file that differs from the default one.
        const ClientResult made = scratch.Run({"create", "1", "2GiB"});
        ASSERT_EQ(0, made.status) << made.err;
        before = ReadBytes(scratch.Machine());
        ASSERT_FALSE(before.empty());
    }

    void Check(const BadCase& c)
    {
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        SCOPED_TRACE(line);
        const ClientResult r = scratch.Run(c.args);
        EXPECT_EQ(c.status, r.status);
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << r.err;
        EXPECT_EQ("", r.out);
        EXPECT_TRUE(before == ReadBytes(scratch.Machine())) << "the machine file changed";

        // The same failure for a script: one JSON document with the reason.
        std::vector<std::string> jsonArgs = c.args;
        jsonArgs.push_back("--json");
        const ClientResult j = scratch.Run(jsonArgs);
        EXPECT_EQ(c.status, j.status);
        Json error;
        std::string why;
        ASSERT_TRUE(ParseJson(j.out, &error, &why)) << why << "\n" << j.out;
        EXPECT_FALSE(error["error"]["message"].text.empty()) << j.out;
        EXPECT_TRUE(before == ReadBytes(scratch.Machine())) << "the machine file changed (--json)";
    }

    std::string before;
};

TEST_F(BadInput, CommandLineMistakesAreCaughtBeforeAnythingChanges)
{
    const BadCase cases[] = {
        {{"create", "1", "12XB"}, 2, "bad size '12XB': unknown unit 'XB'"},
        {{"create", "1", "1.5GB"}, 2, "'GB' is ambiguous; use binary units"},
        {{"create", "1", "-4GiB"}, 2, "bad size '-4GiB': it cannot be negative"},
        {{"create", "1", "0.1KiB"}, 2, "not a whole number of bytes"},
        {{"create", "1", "20000000TiB"}, 2, "too large"},
        {{"create", "1", "0"}, 2, "a partition needs at least one byte"},
        {{"create", "1", "1GiB", "--offset", "GiB"}, 2, "bad offset 'GiB'"},
        {{"create", "1", "1GiB", "--type", "0x100"}, 2, "bad partition type '0x100'"},
        {{"create", "1"}, 2, "'create' needs SIZE"},
        {{"table"}, 2, "'table' needs DISK"},
        {{"add-path", "1", "1"}, 2, "'add-path' needs PATH"},
        {{"shrink", "1", "1"}, 2, "'shrink' needs SIZE"},
        {{"partition", "0"}, 2, "needs a partition"},
        {{"partition", "0", "1", "--index", "0"}, 2, "give the partition once"},
        {{"format", "1", "1", "--fs", "ext4"}, 2, "unknown file system 'ext4'"},
        {{"format", "1", "1", "--quick", "--full"}, 2, "--quick or --full, not both"},
        {{"format", "1", "1", "--label"}, 2, "option --label needs a value"},
        {{"add-path", "1", "1", "Backup"}, 2, "bad path 'Backup'"},
        {{"disk", "x"}, 2, "bad disk number 'x'"},
        {{"disk", "-1"}, 2, "bad disk number '-1'"},
        {{"disk", "0", "1"}, 2, "unexpected argument '1'"},
        {{"frobnicate", "0"}, 2, "unknown command 'frobnicate'"},
        {{"table", "0", "--fast"}, 2, "unknown option '--fast' for 'table'"},
        {{"table", "0", "--json=yes"}, 2, "option --json takes no value"},
    };
    for (const BadCase& c : cases) Check(c);
}

TEST_F(BadInput, RefusalsShowTheResultCodeAndItsMeaning)
{
    const BadCase cases[] = {
        {{"table", "7"}, 1, "cannot select disk 7: no such disk, or no volume on the partition (HRESULT 0x80004002, "
                            "E_NOINTERFACE)"},
        {{"partition", "0", "9"}, 1, "cannot find partition 9 on disk 0: not found"},
        {{"partition", "0", "--index", "5"}, 1, "HRESULT 0x80070057"},
        {{"format", "1", "1", "--fs", "exfat"}, 1, "HRESULT 0x80004001, E_NOTIMPL"},
        {{"shrink", "1", "1", "1GiB"}, 1, "this volume cannot be shrunk (only NTFS volumes"},
        {{"add-path", "0", "1", "D:"}, 1, "the drive letter is in use (HRESULT 0x8004255C"},
        {{"remove-path", "1", "1", "Q:"}, 1, "VDS_E_OBJECT_NOT_FOUND"},
        {{"format", "1", "1", "--fs", "FAT", "--label", "MUCH TOO LONG A LABEL"}, 1, "VDS_E_BAD_LABEL"},
    };
    for (const BadCase& c : cases) Check(c);
}

TEST_F(BadInput, ErrorJsonCarriesTheResultCode)
{
    const ClientResult r = scratch.Run({"--json", "table", "7"});
    Json error;
    std::string why;
    ASSERT_TRUE(ParseJson(r.out, &error, &why)) << why;
    EXPECT_EQ("0x80004002", error["error"]["hresult"].text);
    EXPECT_EQ("E_NOINTERFACE", error["error"]["name"].text);
    EXPECT_EQ("select disk 7", error["error"]["action"].text);
}

TEST_F(BadInput, UnusableMachineFileIsReportedAndKept)
{
    const std::string broken = "{\"not\": \"a machine\"";
    {
        std::ofstream out(scratch.Machine(), std::ios::binary | std::ios::trunc);
        out << broken;
    }
    const ClientResult r = scratch.Run({"create", "1", "1GiB"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("cannot be used")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("--reset")) << r.err;
    EXPECT_EQ(broken, ReadBytes(scratch.Machine()));
}

} // namespace
