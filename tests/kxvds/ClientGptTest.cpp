// GPT disks: what disks, table and partition show of them, and create's refusal.
#include "ClientTest.h"

#include <fstream>

namespace {

const uint64_t KiB = 1ULL << 10;
const uint64_t MiB = 1ULL << 20;
const uint64_t GiB = 1ULL << 30;
const uint64_t kRequired = 1;
const uint64_t kNoDriveLetter = 1ULL << 63;

using Gpt = ClientTest;

TEST_F(Gpt, TextNamesTypesAndAttributesAndLeavesMbrAsItWas)
{
    const std::string id = RunJson({"partition", "2", "4"})["partition"]["gptId"].get<std::string>();
    struct Row {
        std::vector<std::string> args;
        std::string text;
    } rows[] = {
        {{"table", "0"},
         R"(Disk 0: 64 GiB, 5 partitions
Num     Offset        End       Size  Type  Flags                   Used  Paths  Volume
  1      1 MiB    101 MiB    100 MiB  0x07  primary, active       32 MiB  -      \\?\GLOBALROOT\Device\HarddiskVolume1
  2    101 MiB  40.10 GiB     40 GiB  0x07  primary            18.59 GiB  C:\    \\?\GLOBALROOT\Device\HarddiskVolume2
  3  40.10 GiB  40.59 GiB    500 MiB  0x27  primary, recovery    410 MiB  -      \\?\GLOBALROOT\Device\HarddiskVolume3
  0  40.59 GiB     64 GiB  23.41 GiB  0x0F  primary, extended          -  -      (no volume)
  4  40.59 GiB  56.59 GiB     16 GiB  0x07  logical             5.29 GiB  E:\    \\?\GLOBALROOT\Device\HarddiskVolume4
)"},
        {{"table", "2"},
         R"(Disk 2: 32 GiB, GPT, 4 partitions
Num     Offset                End       Size  Type                Flags                                     Used  Paths  Volume
  1      1 MiB            101 MiB    100 MiB  EFI system          no drive letter                         31 MiB  -      \\?\GLOBALROOT\Device\HarddiskVolume5
  2    101 MiB            117 MiB     16 MiB  Microsoft reserved  no drive letter                              -  -      (no volume)
  3    117 MiB          31.51 GiB  31.40 GiB  basic data          -                                    14.20 GiB  W:\    \\?\GLOBALROOT\Device\HarddiskVolume6
  4  31.51 GiB  31 GiB + 1023 MiB    500 MiB  recovery            required, no drive letter, recovery    420 MiB  -      \\?\GLOBALROOT\Device\HarddiskVolume7
)"},
        {{"partition", "2", "4"},
         R"(Partition 4 on disk 2
  Offset:         33834401792 bytes (31.51 GiB)
  End:            34358689792 bytes (31 GiB + 1023 MiB)
  Size:           524288000 bytes (500 MiB)
  Type:           recovery (de94bba4-06d1-4d40-a16a-bfd50179d6ac)
  Partition ID:   )" + id + R"(
  Attributes:     0x8000000000000001
  Flags:          required, no drive letter, recovery
  Volume:         \\?\GLOBALROOT\Device\HarddiskVolume7
  Used:           440401920 bytes (420 MiB)
  Access paths:   (none)
)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1]);
        const ClientResult r = scratch.Run(row.args);
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(row.text, r.out);
        EXPECT_EQ("", r.err) << "the style was read";
    }
}

TEST_F(Gpt, JsonCarriesTheStyleGuidsAndAttributes)
{
    const Json table = RunJson({"table", "2"});
    EXPECT_EQ("GPT", table["style"]);
    EXPECT_EQ("MBR", RunJson({"table", "0"})["style"]);
    struct Row {
        const char* type;
        Json name;
        uint64_t attributes;
        std::vector<std::string> names;
        bool recovery;
    } rows[] = {
        {"c12a7328-f81f-11d2-ba4b-00a0c93ec93b", "EFI system", kNoDriveLetter, {"no drive letter"}, false},
        {"e3c9e316-0b5c-4db8-817d-f92df00215ae", "Microsoft reserved", kNoDriveLetter, {"no drive letter"}, false},
        {"ebd0a0a2-b9e5-4433-87c0-68b6b72699c7", "basic data", 0, {}, false},
        {"de94bba4-06d1-4d40-a16a-bfd50179d6ac", "recovery", kRequired | kNoDriveLetter,
         {"required", "no drive letter"}, true},
    };
    const Json& parts = table["partitions"];
    ASSERT_EQ(4u, parts.size());
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Json& p = parts[i];
        EXPECT_EQ(i + 1, p["number"].get<uint64_t>());
        EXPECT_EQ(rows[i].type, p["gptType"]);
        EXPECT_EQ(rows[i].name, p["gptTypeName"]);
        EXPECT_EQ(rows[i].attributes, p["gptAttributes"].get<uint64_t>());
        EXPECT_EQ(rows[i].names, p["gptAttributeNames"].get<std::vector<std::string>>());
        EXPECT_EQ(rows[i].recovery, p["recovery"].get<bool>());
        EXPECT_NE(parts[(i + 1) % 4]["gptId"], p["gptId"]);
        for (const char* mbrOnly : {"type", "active", "primary"}) EXPECT_FALSE(p.contains(mbrOnly)) << mbrOnly;
    }
    Json alone = RunJson({"partition", "2", "--index", "2"});
    EXPECT_EQ("GPT", alone["style"]);
    EXPECT_EQ(parts[2], alone["partition"]);
}

TEST_F(Gpt, DisksListsEveryDiskWithItsStyle)
{
    const ClientResult text = scratch.Run({"disks"});
    EXPECT_EQ(0, text.status) << text.err;
    EXPECT_EQ("Disk    Size  Style  Partitions\n"
              "   0  64 GiB  MBR             5\n"
              "   1   8 GiB  MBR             0\n"
              "   2  32 GiB  GPT             4\n",
              text.out);

    const Json disks = RunJson({"disks"})["disks"];
    EXPECT_EQ(Json::parse(R"([{"disk": 0, "size": 68719476736, "style": "MBR", "partitionCount": 5},
                              {"disk": 1, "size": 8589934592, "style": "MBR", "partitionCount": 0},
                              {"disk": 2, "size": 34359738368, "style": "GPT", "partitionCount": 4}])"),
              disks);
}

TEST_F(Gpt, CreateIsRefusedBeforeAnythingChanges)
{
    RunJson({"disks"});
    const std::string before = ReadBytes(scratch.Machine());
    const std::vector<std::vector<std::string>> lines = {
        {"create", "2", "1GiB"},
        {"create", "2", "1GiB", "--dry-run"},
        {"create", "2", "1GiB", "--logical"},
        {"create", "2", "1GiB", "--offset", "1MiB", "--dry-run"},
    };
    for (const std::vector<std::string>& args : lines) {
        SCOPED_TRACE(args.back());
        const ClientResult r = scratch.Run(args);
        EXPECT_EQ(1, r.status);
        EXPECT_EQ("", r.out);
        EXPECT_TRUE(Has(r.err, "cannot create a partition of 1 GiB on disk 2: disk 2 uses GPT; this library creates "
                               "MBR partitions only"))
            << r.err;
        EXPECT_FALSE(Has(r.err, "primary entries") || Has(r.err, "extended partition")) << r.err;
        EXPECT_TRUE(before == ReadBytes(scratch.Machine()));
    }
    const ClientResult json = scratch.Run({"--json", "create", "2", "1GiB", "--dry-run"});
    EXPECT_EQ(1, json.status);
    EXPECT_EQ("disk 2 uses GPT; this library creates MBR partitions only",
              Json::parse(json.out)["error"]["message"].get<std::string>());
}

// Disk 2's pack moved to disk 7 beside disk 0, with an unknown type, unnamed
// attribute bits and a fifth partition (a layout past the first read's room).
TEST_F(Gpt, AGptDiskFromAMachineFile)
{
    RunJson({"disks"});
    Json machine = Json::parse(ReadBytes(scratch.Machine()));
    Json& packs = machine["providers"][0]["packs"];
    Json pack = packs[2];
    Json& disk = pack["disks"][0];
    disk["number"] = 7;
    disk["name"] = disk["devicePath"] = "\\\\?\\PhysicalDrive7";
    Json& parts = disk["partitions"];
    parts[0]["gptType"] = "0fc63daf-8483-4772-8e79-3d69d8477de4";
    parts[0]["gptAttributes"] = (7ULL << 60) | 4;  // hidden, shadow copy, read-only and bit 2
    Json fifth = parts[1];
    fifth.update({{"number", 5},
                  {"offset", 32 * GiB - MiB},
                  {"size", 512 * KiB},
                  {"gptAttributes", 0},
                  {"gptType", "5808c8aa-7e8f-42e0-85d2-e1e90434cfb3"},
                  {"gptId", "01234567-89ab-cdef-0123-456789abcdef"}});
    parts.push_back(fifth);
    for (Json& volume : pack["volumes"]) volume["extents"][0]["disk"] = 7;
    pack["volumes"][1]["accessPaths"] = {"V:\\"};
    pack["volumes"][1]["usedBytes"] = 3 * GiB;
    packs = Json::array({packs[0], pack});
    {
        std::ofstream out(scratch.Machine(), std::ios::binary | std::ios::trunc);
        out << machine.dump(1);
    }

    const Json disks = RunJson({"disks"})["disks"];
    ASSERT_EQ(2u, disks.size());
    EXPECT_EQ(Json::parse(R"({"disk": 7, "size": 34359738368, "style": "GPT", "partitionCount": 5})"), disks[1]);

    const Json table = RunJson({"table", "7"});
    std::map<unsigned, Json> byNumber;
    for (const Json& p : table["partitions"]) byNumber[p["number"].get<unsigned>()] = p;
    ASSERT_EQ(5u, byNumber.size());
    EXPECT_TRUE(byNumber[1]["gptTypeName"].is_null());
    EXPECT_EQ(std::vector<std::string>({"hidden", "shadow copy", "read-only"}),
              byNumber[1]["gptAttributeNames"].get<std::vector<std::string>>());
    EXPECT_EQ("\\\\?\\GLOBALROOT\\Device\\HarddiskVolume6", byNumber[3]["volume"]);
    EXPECT_EQ(3 * GiB, byNumber[3]["usedBytes"].get<uint64_t>());
    EXPECT_EQ(Json({"V:\\"}), byNumber[3]["accessPaths"]);
    EXPECT_TRUE(byNumber[4]["recovery"].get<bool>());

    const ClientResult text = scratch.Run({"table", "7"});
    EXPECT_EQ(0, text.status) << text.err;
    for (const char* expected : {"Disk 7: 32 GiB, GPT, 5 partitions", "0fc63daf-8483-4772-8e79-3d69d8477de4",
                                 "hidden, shadow copy, read-only, 0x0000000000000004", "LDM metadata"}) {
        SCOPED_TRACE(expected);
        EXPECT_TRUE(Has(text.out, expected)) << text.out;
    }
}

} // namespace
