// Commands that change disks: where create puts a partition, what a dry run
// shows, and how runs on one machine file take turns and save.
#include "ClientTest.h"

namespace {

const uint64_t MiB = 1ULL << 20;
const uint64_t GiB = 1ULL << 30;
// Disk 0 of the default machine: its free space lies in the extended
// partition (from 40 GiB + 601 MiB), after logical drive 4 (16 GiB from 1 MiB
// into it) and one MiB for the next logical drive's boot record.
const uint64_t kDisk0Free = 40 * GiB + 601 * MiB + 16 * GiB + 2 * MiB;

TEST(Placement, CreateWithoutOffsetTakesTheFirstFreeSpaceLargeEnough)
{
    struct Row {
        const char* name;
        std::vector<std::vector<std::string>> before;  // commands that shape the disk first
        std::vector<std::string> create;
        uint64_t offset;
        bool primary;
        const char* why;
    } rows[] = {
        {"default machine: all primary entries in use", {}, {"create", "0", "1GiB"}, kDisk0Free, false,
         "inside the extended partition, since all four primary entries are in use"},
        {"blank disk", {}, {"create", "1", "1GiB"}, 1 * MiB, true, "the first free space of 1 GiB on the disk"},
        {"after an extended partition at 1 MiB",
         {{"create", "1", "2GiB", "--type", "extended"}}, {"create", "1", "1GiB"}, 2 * GiB + 1 * MiB, true,
         "outside the extended partition"},
        {"a logical drive when asked", {{"create", "1", "2GiB", "--type", "extended"}},
         {"create", "1", "1GiB", "--logical"}, 2 * MiB, false, "inside the extended partition, as asked"},
        {"inside when nothing outside is large enough", {{"create", "1", "7GiB", "--type", "extended"}},
         {"create", "1", "2GiB"}, 2 * MiB, false, "since no space outside it is large enough"},
        {"offset 0: the service starts after the partition table", {}, {"create", "1", "1GiB", "--offset", "0"},
         1 * MiB, true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClientScratch scratch;
        for (const auto& command : row.before) ASSERT_EQ(0, scratch.Run(command).status);
        std::vector<std::string> json = row.create;
        json.push_back("--json");
        const ClientResult r = scratch.Run(json);
        ASSERT_EQ(0, r.status) << r.err;
        Json created = Json::parse(r.out);
        EXPECT_EQ(row.offset, created["offset"].get<uint64_t>());
        EXPECT_EQ(row.primary, created["partition"]["primary"].get<bool>());
        EXPECT_EQ(created["requestedSize"], created["partition"]["size"]);
        EXPECT_TRUE(Has(created["placement"].get<std::string>(), row.why)) << created["placement"];
        EXPECT_EQ(!*row.why, created["requestedOffset"].is_number()) << "the offset asked for, when one was";
    }
}

TEST(Placement, TextSaysWhereThePartitionWentAndWhy)
{
    ClientScratch scratch;
    const ClientResult r = scratch.Run({"create", "0", "1GiB"});
    ASSERT_EQ(0, r.status) << r.err;
    for (const char* expected :
         {"Created partition 5 on disk 0 at offset 60761833472 (56.59 GiB), size 1 GiB, type 0x07, a logical drive.",
          "Placed there: the first free space of 1 GiB inside the extended partition",
          "Its volume received the drive letter F:\\"}) {
        SCOPED_TRACE(expected);
        EXPECT_TRUE(Has(r.out, expected)) << r.out;
    }
    const ClientResult full = scratch.Run({"create", "1", "9GiB"});
    EXPECT_EQ(1, full.status);
    EXPECT_TRUE(Has(full.err, "no free space of that size; the largest free space is 7 GiB + 1023 MiB at 1 MiB"))
        << full.err;
    const ClientResult none = scratch.Run({"create", "1", "1GiB", "--logical"});
    EXPECT_EQ(1, none.status);
    EXPECT_TRUE(Has(none.err, "the disk has no extended partition for a logical drive")) << none.err;
}

TEST(DryRun, ShowsWhatWouldChangeAndSavesNothing)
{
    ClientScratch scratch;
    ASSERT_EQ(0, scratch.Run({"table", "0"}).status);
    const std::string before = ReadBytes(scratch.Machine());
    struct Row {
        std::vector<std::string> args;
        const char* expected;
    } rows[] = {
        {{"create", "0", "1GiB"},
         "Would create partition 5 on disk 0 at offset 60761833472 (56.59 GiB), size 1 GiB"},
        {{"create", "0", "1GiB"}, "Its volume would receive the drive letter F:\\"},
        {{"shrink", "0", "4", "1GiB"}, "Would shrink partition 4 on disk 0 by 1 GiB: 16 GiB -> 15 GiB."},
        {{"format", "0", "4", "--label", "X"}, "Would format partition 4 on disk 0 as NTFS with the label \"X\""},
        {{"add-path", "0", "4", "C:\\Data"},
         "Would add C:\\Data\\ to partition 4 on disk 0. Access paths would be: E:\\ C:\\Data\\"},
        {{"remove-path", "0", "4", "E:"}, "Would remove E:\\ from partition 4 on disk 0. Access paths would be: (none)"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = row.args;
        args.push_back("--dry-run");
        SCOPED_TRACE(args[0]);
        const ClientResult r = scratch.Run(args);
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_TRUE(Has(r.out, row.expected)) << r.out;
        EXPECT_TRUE(before == ReadBytes(scratch.Machine())) << "a dry run saved the machine";
    }
    const ClientResult json = scratch.Run({"--json", "create", "0", "1GiB", "--dry-run"});
    Json created = Json::parse(json.out);
    EXPECT_TRUE(created["dryRun"].get<bool>());
    EXPECT_EQ(kDisk0Free, created["offset"].get<uint64_t>());
    EXPECT_TRUE(before == ReadBytes(scratch.Machine()));
}

TEST(MachineFile, CommandsStartedTogetherTakeTurns)
{
    ClientScratch scratch;
    ASSERT_EQ(0, scratch.Run({"table", "0"}).status);
    std::vector<std::vector<std::string>> lines;
    for (int i = 0; i < 6; ++i) lines.push_back({"add-path", "0", "4", "C:\\Mnt" + std::to_string(i)});
    const std::vector<ClientResult> results = scratch.RunTogether(lines);
    for (size_t i = 0; i < results.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(0, results[i].status) << results[i].err;
        EXPECT_TRUE(Has(results[i].out, "Added C:\\Mnt" + std::to_string(i) + "\\")) << results[i].out;
    }
    const ClientResult paths = scratch.Run({"--json", "paths", "0", "4"});
    EXPECT_EQ(7u, Json::parse(paths.out)["accessPaths"].size()) << paths.out;
}

TEST(MachineFile, AFailedSaveIsTheOnlyReport)
{
    ClientScratch scratch;
    // A name the lock file still fits, but not the temporary file of the save.
    const std::string machine = (scratch.Dir() / std::string(250, 'm')).string();
    const ClientResult text = scratch.RunPlain({"create", "1", "1GiB", "--machine", machine});
    EXPECT_EQ(1, text.status);
    EXPECT_EQ("", text.out);
    EXPECT_TRUE(Has(text.err, "cannot write the machine file")) << text.err;

    const ClientResult json = scratch.RunPlain({"--json", "create", "1", "1GiB", "--machine", machine});
    EXPECT_EQ(1, json.status);
    Json error;
    std::string why;
    ASSERT_TRUE(ParseJson(json.out, &error, &why)) << why << "\n" << json.out;
    EXPECT_TRUE(Has(error["error"]["message"].get<std::string>(), "cannot write the machine file"));
    EXPECT_FALSE(std::filesystem::exists(machine));
}

} // namespace
