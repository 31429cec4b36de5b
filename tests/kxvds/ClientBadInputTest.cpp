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
        // A machine file that differs from the default one: partition 1 on
        // disk 1 (F:, RAW) and a mount folder C:\Backup of the data drive.
        const ClientResult made = scratch.Run({"create", "1", "2GiB"});
        ASSERT_EQ(0, made.status) << made.err;
        const ClientResult mounted = scratch.Run({"add-path", "0", "4", "C:\\Backup"});
        ASSERT_EQ(0, mounted.status) << mounted.err;
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
        EXPECT_FALSE(error["error"]["message"].get<std::string>().empty()) << j.out;
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
        {{"add-path", "1", "1", "C:\\a*b"}, 2, "folder names cannot hold < > : \" | ? * or control characters"},
        {{"create", "1", "1GiB", "--offset", "1MiB", "--logical"}, 2, "give --offset or --logical, not both"},
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
        {{"table", "7"}, 1, "cannot select disk 7: there is no disk 7; the disks are 0, 1 and 2 (HRESULT 0x80004002, "
                            "E_NOINTERFACE)"},
        {{"partition", "0", "9"}, 1, "cannot find partition 9 on disk 0: disk 0 has no partition 9; its partitions are "
                                     "1, 2, 3, 0 and 4"},
        {{"partition", "0", "--index", "5"}, 1, "disk 0 has 5 partitions (indexes 0 to 4) (HRESULT 0x80070057"},
        {{"partition", "0", "--offset", "1GiB"}, 1, "no partition starts at byte 1073741824 of disk 0"},
        {{"format", "1", "1", "--fs", "exfat"}, 1, "HRESULT 0x80004001, E_NOTIMPL"},
        {{"shrink", "1", "1", "1"}, 1, "VDS_E_SHRINK_SIZE_LESS_THAN_MIN"},
        {{"shrink", "0", "0", "1GiB"}, 1, "it is the extended partition: it holds logical drives, not a volume"},
        {{"add-path", "0", "1", "D:"}, 1, "the drive letter is in use (HRESULT 0x8004255C"},
        {{"add-path", "1", "1", "Z:"}, 1, "the volume has the drive letter F:\\ already, and a volume has one; remove "
                                          "it first (kxvds remove-path 1 1 F:)"},
        {{"add-path", "1", "1", "C:\\Backup"}, 1, "the folder C:\\Backup\\ is a mount folder already"},
        {{"add-path", "0", "4", "F:\\Data"}, 1, "a mount folder must lie on a mounted NTFS volume, and no NTFS volume "
                                                  "holds F:\\"},
        {{"remove-path", "1", "1", "Q:"}, 1, "VDS_E_OBJECT_NOT_FOUND"},
        {{"create", "0", "1GiB", "--offset", "100GiB"}, 1, "offset 100 GiB lies past the end of the disk (64 GiB)"},
        {{"create", "1", "1000"}, 1, "a partition is a whole number of sectors of 512 bytes; 1000 bytes is not"},
        {{"create", "1", "7GiB"}, 1, "no free space of that size; the largest free space is 5 GiB + 1023 MiB at 2 GiB "
                                     "+ 1 MiB"},
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
    EXPECT_EQ("0x80004002", error["error"]["hresult"].get<std::string>());
    EXPECT_EQ("E_NOINTERFACE", error["error"]["name"].get<std::string>());
    EXPECT_EQ("select disk 7", error["error"]["action"].get<std::string>());
}

TEST_F(BadInput, UnusableMachineFilesAreNamedAndKept)
{
    const std::string disk0 = "/providers/0/packs/0/disks/0";
    const std::string at = "providers[0].packs[0].disks[0]";
    struct Row {
        std::string pointer;  // "": the text below as it is
        Json value;
        std::string text;
        std::string message;
    } rows[] = {
        {disk0 + "/size", -5, "", at + ".size must be a whole number from 0 to 18446744073709551615, not -5"},
        {disk0 + "/bytesPerSector", 0, "", at + ".bytesPerSector: must be 512, 1024, 2048 or 4096, not 0"},
        {"/providers/0/packs/1/disks/0/number", 0, "", "providers[0].packs[1].disks[0].number: disk 0 appears twice"},
        {disk0 + "/partitions/1/offset", 50 * (1ULL << 20), "", at + ".partitions[1].offset: overlaps partition 1"},
        {disk0 + "/partitions/1/size", 100ULL << 40, "", at + ".partitions[1].size: runs past the disk's end"},
        {"", nullptr, "{\"not\": \"a machine\"", "not JSON: parse error"},
        {"", nullptr, "{\"not\": \"a machine\"}", "not a machine file: it lacks \"format\": \"kxvds-machine\""},
        {"", nullptr, "", "the file is empty"},
    };
    Json good = Json::parse(before);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pointer + row.text);
        std::string text = row.text;
        if (!row.pointer.empty()) {
            Json changed = good;
            changed[Json::json_pointer(row.pointer)] = row.value;
            text = changed.dump(2);
        }
        {
            std::ofstream out(scratch.Machine(), std::ios::binary | std::ios::trunc);
            out << text;
        }
        const ClientResult r = scratch.Run({"create", "1", "1GiB"});
        EXPECT_EQ(1, r.status);
        EXPECT_TRUE(r.err.find("the machine file " + scratch.Machine() + " cannot be used: " + row.message) !=
                    std::string::npos)
            << r.err;
        EXPECT_NE(std::string::npos, r.err.find("--reset")) << r.err;
        EXPECT_EQ(text, ReadBytes(scratch.Machine()));
    }

    const std::string folder = (scratch.Dir() / "folder").string();
    std::filesystem::create_directory(folder);
    const ClientResult r = scratch.RunPlain({"table", "0", "--machine", folder});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("cannot read the machine file " + folder + ": it is a folder, not a file"))
        << r.err;
}

} // namespace
