// On a GPT disk the volume is found through the style-aware partition query,
// and every volume operation then works; an MBR volume is found exactly as
// before, with the MBR-only query alone.
#include "partition/PartitionTest.h"

#include "kxgptguids.h"

#include <cstdio>
#include <functional>

namespace {

using kxemu::MiB;

class GptVolume : public PartitionTest {
protected:
    void MakeGpt()
    {
        physical->style = VDS_PST_GPT;
        physical->partitions.clear();
        physical->AddGptPartition(1, kOffset, kSize, kxgpt::kBasicData);
    }

    // What the search asked of the storage stack, as "CreateFileW access" and
    // "DeviceIoControl code/size" lines.
    std::vector<std::string> DeviceRequests() const
    {
        std::vector<std::string> lines;
        for (const kxemu::DeviceCall& call : emu.DeviceCalls()) {
            char line[64];
            if (call.code)
                std::snprintf(line, sizeof line, "DeviceIoControl %08X/%u", static_cast<unsigned>(call.code),
                              static_cast<unsigned>(call.outSize));
            else
                std::snprintf(line, sizeof line, "CreateFileW %08X", static_cast<unsigned>(call.access));
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(GptVolume, EveryVolumeOperationWorksOnAGptPartition)
{
    MakeGpt();
    AddVolume().Used(40 * MiB).AccessPath("E:\\").NtfsTag("RECOVERY");
    struct Row {
        const char* slot;
        std::function<bool(IKXVdsPartition&)> works;
    } rows[] = {
        {"GetVolumeName", [](IKXVdsPartition& p) { WCHAR n[64]; return p.GetVolumeName(n, 64) == S_OK; }},
        {"GetUsedSpace", [](IKXVdsPartition& p) { return p.GetUsedSpace() == 40 * MiB; }},
        {"IsRecovery", [](IKXVdsPartition& p) { return p.IsRecovery() == 1; }},
        {"GetFirstAccessPath",
         [](IKXVdsPartition& p) {
             WCHAR path[8] = {};
             return p.GetFirstAccessPath(path, 8) == S_OK && lstrcmpW(path, KXW("E:\\")) == 0;
         }},
        {"AddMountPoint", [](IKXVdsPartition& p) { return p.AddMountPoint(KXW("C:\\mnt\\gpt\\")) == S_OK; }},
        {"DeleteMountPoint", [](IKXVdsPartition& p) { return p.DeleteMountPoint(KXW("E:\\")) == S_OK; }},
        {"Shrink", [](IKXVdsPartition& p) { return p.Shrink(10 * MiB) == S_OK; }},
        {"Format", [](IKXVdsPartition& p) { return p.Format(KXW("NTFS"), KXW("GPT"), 1) == S_OK; }},
    };
    emu.TakeLetter('C', DRIVE_FIXED);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slot);
        ASSERT_NE(nullptr, Open());
        EXPECT_EQ(0u, Recorded());
        EXPECT_TRUE(row.works(*partition));
    }
}

TEST_F(GptVolume, TheSearchAsksTheStyleAwareQueryOnlyWhenTheMbrOneFails)
{
    const std::vector<std::string> mbr = {
        "CreateFileW C0000000", "DeviceIoControl 00560000/32", "CreateFileW 80000000", "DeviceIoControl 00074004/32"};
    std::vector<std::string> gpt = mbr;
    gpt.push_back("DeviceIoControl 00070048/144");

    AddVolume();
    ASSERT_EQ(S_OK, disk->Connect(1));
    emu.ResetCalls();
    IKXVdsPartition* p = nullptr;
    ASSERT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
    partition.reset(p);
    EXPECT_EQ(0u, Recorded());
    EXPECT_EQ(mbr, DeviceRequests());

    partition.reset();
    MakeGpt();
    emu.ResetCalls();
    ASSERT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
    partition.reset(p);
    EXPECT_EQ(0u, Recorded());
    EXPECT_EQ(gpt, DeviceRequests());
    // The slots that read the record still hand out its first bytes.
    EXPECT_EQ(static_cast<int>(kxgpt::kBasicData.Data1 & 0xFF), partition->GetPartitionType());
    EXPECT_EQ(static_cast<int>((kxgpt::kBasicData.Data1 >> 8) & 0xFF), partition->IsActive());
}

TEST_F(GptVolume, BothQueriesFailingLeaveTheVolumeUnmatched)
{
    MakeGpt();
    AddVolume();
    ASSERT_EQ(S_OK, disk->Connect(1));
    emu.ResetCalls();
    // The second control call of the search is the MBR query, the third its successor.
    emu.FailNth("DeviceIoControl", 3, ERROR_INVALID_FUNCTION);
    IKXVdsPartition* p = nullptr;
    ASSERT_EQ(S_OK, disk->GetPartitionByNumber(1, &p));
    partition.reset(p);
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), Recorded());
}

} // namespace
