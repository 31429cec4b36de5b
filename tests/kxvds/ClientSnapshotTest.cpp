// kxvds snapshot on the emulated machine: the file it writes is a machine
// that every table shows exactly as the machine it was taken from.
#include "ClientTest.h"

using Snapshot = ClientTest;

TEST_F(Snapshot, ItsFileShowsEveryTableByteForByteAndStdoutHoldsTheSameFile)
{
    const std::string file = (scratch.Dir() / "snapshot.json").string();
    const ClientResult written = scratch.Run({"snapshot", file});
    ASSERT_EQ(0, written.status) << written.err;
    EXPECT_TRUE(Has(written.out, "3 disks, 7 volumes")) << written.out;
    EXPECT_EQ(ReadBytes(file), scratch.Run({"snapshot"}).out);

    for (const char* disk : {"0", "1", "2"}) {
        const ClientResult original = scratch.Run({"--json", "table", disk});
        const ClientResult replayed = scratch.RunPlain({"--machine", file, "--json", "table", disk});
        ASSERT_EQ(0, original.status) << original.err;
        EXPECT_EQ(original.out, replayed.out) << "disk " << disk;
    }
}

TEST_F(Snapshot, RedactSaysSoAndAnUnwritableFileIsAFailure)
{
    const Json report = RunJson({"snapshot", (scratch.Dir() / "redacted.json").string(), "--redact"});
    EXPECT_EQ(3, report["disks"]);
    EXPECT_EQ(Json::array(), report["notes"]);
    const ClientResult r = scratch.Run({"snapshot", (scratch.Dir() / "no" / "such" / "folder.json").string()});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "cannot write the snapshot")) << r.err;
}
