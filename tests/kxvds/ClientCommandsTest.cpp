// The client's commands on the default machine, one process per command, as
// a user runs them.
#include "ClientTest.h"

namespace {

const uint64_t MiB = 1ULL << 20;
const uint64_t GiB = 1ULL << 30;

using Commands = ClientTest;

TEST_F(Commands, DefaultMachineHasTheDescribedLayout)
{
    Json disk0 = RunJson({"table", "0"});
    EXPECT_EQ(64 * GiB, disk0["size"].get<uint64_t>());
    Json& parts = disk0["partitions"];
    ASSERT_EQ(5u, parts.size());

    struct Row {
        unsigned number;
        int type;
        bool active, primary, recovery;
        const char* path;  // "" for none
    };
    const Row rows[] = {
        {1, 0x07, true, true, false, ""},   {2, 0x07, false, true, false, "C:\\"},
        {3, 0x27, false, true, true, ""},   {0, 0x0F, false, true, false, ""},
        {4, 0x07, false, false, false, "E:\\"},
    };
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        Json& p = parts[i];
        EXPECT_EQ(i, p["index"].get<uint64_t>());
        EXPECT_EQ(rows[i].number, p["number"].get<uint64_t>());
        EXPECT_EQ(static_cast<uint64_t>(rows[i].type), p["type"].get<uint64_t>());
        EXPECT_EQ(rows[i].active, p["active"].get<bool>());
        EXPECT_EQ(rows[i].primary, p["primary"].get<bool>());
        EXPECT_EQ(rows[i].recovery, p["recovery"].get<bool>());
        EXPECT_EQ(p["offset"].get<uint64_t>() + p["size"].get<uint64_t>(), p["end"].get<uint64_t>());
        if (*rows[i].path) {
            ASSERT_EQ(1u, p["accessPaths"].size());
            EXPECT_EQ(rows[i].path, p["accessPaths"][0].get<std::string>());
        } else {
            EXPECT_TRUE(p["accessPaths"].empty());
        }
    }
    EXPECT_TRUE(parts[3]["volume"].is_null()) << "the extended partition holds no volume";
    EXPECT_GT(parts[1]["usedBytes"].get<uint64_t>(), 0u);
    EXPECT_EQ(100 * MiB, parts[0]["size"].get<uint64_t>());
    EXPECT_EQ(500 * MiB, parts[2]["size"].get<uint64_t>());

    Json disk1 = RunJson({"table", "1"});
    EXPECT_EQ(8 * GiB, disk1["size"].get<uint64_t>());
    EXPECT_TRUE(disk1["partitions"].empty());
}

TEST_F(Commands, DiskShowsSizeAndGeometry)
{
    Json d = RunJson({"disk", "1"});
    EXPECT_EQ(1u, d["disk"].get<uint64_t>());
    EXPECT_EQ(8 * GiB, d["size"].get<uint64_t>());
    EXPECT_EQ(512u, d["bytesPerSector"].get<uint64_t>());
    EXPECT_EQ(63u, d["sectorsPerTrack"].get<uint64_t>());
    EXPECT_EQ(255u, d["tracksPerCylinder"].get<uint64_t>());

    const ClientResult text = scratch.Run({"disk", "0"});
    EXPECT_EQ(0, text.status);
    EXPECT_NE(std::string::npos, text.out.find("68719476736 bytes (64 GiB)")) << text.out;
}

TEST_F(Commands, CreateReportsWhereThePartitionStartsAndItsDriveLetter)
{
    Json first = RunJson({"create", "1", "2GiB"});
    EXPECT_EQ(MiB, first["offset"].get<uint64_t>());
    EXPECT_EQ("F:\\", first["driveLetter"].get<std::string>()) << "C: Windows, D: CD-ROM, E: data";
    EXPECT_EQ(1u, first["partition"]["number"].get<uint64_t>());
    EXPECT_EQ(2 * GiB, first["partition"]["size"].get<uint64_t>());

    // The second asks for the same start and lands after the first.
    Json second = RunJson({"create", "1", "1GiB", "--type", "0x0C", "--active"});
    EXPECT_EQ(MiB + 2 * GiB, second["offset"].get<uint64_t>());
    EXPECT_EQ("G:\\", second["driveLetter"].get<std::string>());
    EXPECT_EQ(0x0Cu, second["partition"]["type"].get<uint64_t>());
    EXPECT_TRUE(second["partition"]["active"].get<bool>());

    const ClientResult text = scratch.Run({"create", "1", "512MiB"});
    EXPECT_EQ(0, text.status) << text.err;
    EXPECT_NE(std::string::npos, text.out.find("Its volume received the drive letter H:\\")) << text.out;
}

TEST_F(Commands, LaterCommandsSeeEarlierChanges)
{
    RunJson({"create", "1", "4GiB"});
    Json formatted = RunJson({"format", "1", "1", "--fs", "ntfs", "--label", "Backup"});
    EXPECT_EQ("NTFS", formatted["fileSystem"].get<std::string>());
    EXPECT_TRUE(formatted["quick"].get<bool>());

    RunJson({"add-path", "1", "1", "C:/Backup"});
    RunJson({"remove-path", "1", "1", "F"});
    RunJson({"add-path", "1", "1", "g:"});
    Json shrunk = RunJson({"shrink", "1", "1", "1GiB"});
    EXPECT_EQ(4 * GiB, shrunk["sizeBefore"].get<uint64_t>());
    EXPECT_EQ(3 * GiB, shrunk["size"].get<uint64_t>());

    Json p = RunJson({"partition", "1", "1"})["partition"];
    EXPECT_EQ(3 * GiB, p["size"].get<uint64_t>());
    EXPECT_GT(p["usedBytes"].get<uint64_t>(), 0u) << "a formatted volume has its file system's overhead in use";
    ASSERT_EQ(2u, p["accessPaths"].size());
    EXPECT_EQ("G:\\", p["accessPaths"][0].get<std::string>());
    EXPECT_EQ("C:\\Backup\\", p["accessPaths"][1].get<std::string>());
}

TEST_F(Commands, PartitionIsFoundByNumberIndexAndOffset)
{
    Json byNumber = RunJson({"partition", "0", "4"})["partition"];
    Json byIndex = RunJson({"partition", "0", "--index", "4"})["partition"];
    Json byOffset =
        RunJson({"partition", "0", "--offset", std::to_string(byNumber["offset"].get<uint64_t>())})["partition"];
    for (Json* p : {&byIndex, &byOffset}) {
        EXPECT_EQ(4u, (*p)["number"].get<uint64_t>());
        EXPECT_EQ(byNumber["offset"].get<uint64_t>(), (*p)["offset"].get<uint64_t>());
        EXPECT_EQ("E:\\", (*p)["accessPaths"][0].get<std::string>());
    }
    EXPECT_EQ(4u, byIndex["index"].get<uint64_t>());
    EXPECT_FALSE(byNumber.contains("index")) << "the index is shown only when it is known";
}

TEST_F(Commands, PathsListsTheVolumesAccessPaths)
{
    EXPECT_EQ("C:\\", RunJson({"paths", "0", "2"})["accessPaths"][0].get<std::string>());
    EXPECT_TRUE(RunJson({"paths", "0", "1"})["accessPaths"].empty());
    const ClientResult none = scratch.Run({"paths", "0", "1"});
    EXPECT_EQ(0, none.status);
    EXPECT_EQ("(no access paths)\n", none.out);
}

TEST_F(Commands, TextTableShowsHumanSizesAndFlags)
{
    const ClientResult r = scratch.Run({"table", "0"});
    ASSERT_EQ(0, r.status) << r.err;
    for (const char* expected : {"Disk 0: 64 GiB, 5 partitions", "primary, active", "primary, recovery",
                                 "primary, extended", "logical", "100 MiB", "C:\\", "E:\\",
                                 "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume2"}) {
        SCOPED_TRACE(expected);
        EXPECT_NE(std::string::npos, r.out.find(expected)) << r.out;
    }
}

TEST_F(Commands, LongJobsTellThatTheyAreWorking)
{
    const ClientResult created = scratch.Run({"create", "1", "1GiB"});
    EXPECT_NE(std::string::npos, created.err.find("Creating a partition of 1 GiB on disk 1... done")) << created.err;
    const ClientResult formatted = scratch.Run({"--json", "format", "1", "1", "--full"});
    EXPECT_NE(std::string::npos, formatted.err.find("Formatting partition 1 on disk 1 as NTFS (full)... done"))
        << formatted.err;
    EXPECT_EQ('{', formatted.out[0]) << "stdout stays JSON";
    const ClientResult refused = scratch.Run({"shrink", "1", "1", "2GiB"});
    EXPECT_NE(std::string::npos, refused.err.find("Shrinking partition 1 on disk 1 by 2 GiB... failed")) << refused.err;
}

TEST_F(Commands, EveryCommandHasHelp)
{
    const ClientResult general = scratch.RunPlain({"--help"});
    EXPECT_EQ(0, general.status);
    for (const char* command :
         {"disks", "disk", "table", "partition", "paths", "create", "add-path", "remove-path", "shrink", "format",
          "tour"}) {
        SCOPED_TRACE(command);
        EXPECT_NE(std::string::npos, general.out.find(std::string("  ") + command + " ")) << general.out;
        const ClientResult help = scratch.RunPlain({command, "--help"});
        EXPECT_EQ(0, help.status);
        EXPECT_EQ(0u, help.out.find(std::string("usage: kxvds ") + command)) << help.out;
        EXPECT_EQ("", help.err);
    }
    EXPECT_FALSE(std::filesystem::exists(scratch.Dir() / "state")) << "help loads no machine";
}

TEST_F(Commands, MachineFileDefaultsToTheStateDirectory)
{
    const ClientResult xdg = scratch.RunPlain({"create", "1", "1GiB"});
    ASSERT_EQ(0, xdg.status) << xdg.err;
    EXPECT_TRUE(std::filesystem::exists(scratch.Dir() / "state" / "kxvds" / "machine.json"));

    const ClientResult home = scratch.RunPlain({"table", "1"}, {{"XDG_STATE_HOME", ""}});
    ASSERT_EQ(0, home.status) << home.err;
    EXPECT_TRUE(std::filesystem::exists(scratch.Dir() / "home" / ".local" / "state" / "kxvds" / "machine.json"));
    EXPECT_NE(std::string::npos, home.out.find("0 partitions")) << "a separate machine from the first";
}

TEST_F(Commands, ResetGoesBackToTheDefaultMachine)
{
    RunJson({"create", "1", "1GiB"});
    ASSERT_EQ(1u, RunJson({"table", "1"})["partitions"].size());
    const ClientResult reset = scratch.Run({"--reset"});
    EXPECT_EQ(0, reset.status) << reset.err;
    EXPECT_TRUE(RunJson({"table", "1"})["partitions"].empty());
}

TEST_F(Commands, ReadingCommandsLeaveAnExistingMachineFileAlone)
{
    RunJson({"create", "1", "1GiB"});
    const std::string before = ReadBytes(scratch.Machine());
    const auto stamp = std::filesystem::last_write_time(scratch.Machine());
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"disk", "0"}, {"table", "1"}, {"partition", "1", "1"}, {"paths", "1", "1"}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(0, scratch.Run(args).status);
    }
    EXPECT_TRUE(before == ReadBytes(scratch.Machine())) << "a reading command rewrote the machine file";
    EXPECT_EQ(stamp, std::filesystem::last_write_time(scratch.Machine()));
}

TEST_F(Commands, TourWalksThroughOnAFreshMachineAndCleansUp)
{
    RunJson({"create", "1", "1GiB"});
    const std::string mine = ReadBytes(scratch.Machine());
    const ClientResult tour = scratch.RunPlain({"tour"}, {{"TMPDIR", scratch.Dir().string()}});
    EXPECT_EQ(0, tour.status) << tour.out << tour.err;
    for (const char* expected : {"$ kxvds table 0", "Disk 2: 32 GiB, GPT, 4 partitions",
                                 "Would create partition 5 on disk 0", "$ kxvds create 1 4GiB",
                                 "drive letter F:\\",
                                 "$ kxvds shrink 1 1 1GiB", "4 GiB -> 3 GiB", "(exit status 1)", "(exit status 2)"}) {
        SCOPED_TRACE(expected);
        EXPECT_NE(std::string::npos, tour.out.find(expected));
    }
    EXPECT_TRUE(mine == ReadBytes(scratch.Machine())) << "the tour works on a machine of its own";
    for (const auto& entry : std::filesystem::directory_iterator(scratch.Dir()))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("kxvds-tour")) << entry.path();
}

} // namespace
