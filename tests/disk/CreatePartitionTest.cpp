// Creating a partition: placement clear of existing partitions and the disk's
// end, the three attempts, and what the caller is told.
#include "disk/NewPartitionTest.h"

#include <cstdint>
#include <functional>

namespace {

using kxemu::GiB;
using kxemu::MiB;

const HRESULT kNotWritable = static_cast<HRESULT>(0x10000006);
const HRESULT kNotFound = static_cast<HRESULT>(0x80070002);
const char kCreate[] = "IVdsCreatePartitionEx::CreatePartitionEx";
const ULONGLONG kSignedTop = static_cast<ULONGLONG>(INT64_MAX);

std::string StartAt(ULONGLONG offset)
{
    return "Adjust start offset to " + std::to_string(offset);
}

std::string SizeOf(ULONGLONG size)
{
    return "Adjust size to " + std::to_string(size);
}

// The placement's records in the order written.
std::vector<std::string> Adjustments(const std::string& log)
{
    std::vector<std::string> lines;
    for (size_t at = log.find("Adjust "); at != std::string::npos; at = log.find("Adjust ", at + 1))
        lines.push_back(log.substr(at, log.find("\r\n", at) - at));
    return lines;
}

struct Placement {
    const char* what;
    ULONGLONG offset;
    ULONGLONG size;
    ULONGLONG placedOffset;
    ULONGLONG placedSize;
    std::vector<std::string> adjustments;
    HRESULT result = VDS_E_INVALID_SPACE;
};

class CreatePartition : public NewPartitionTest {
protected:
    // 64 GiB: two adjacent primaries, an extended partition with one logical
    // drive at its start, and a primary at 10 GiB.
    void NewCrowdedDisk()
    {
        kxemu::Disk& d = NewDisk(64 * GiB);
        d.AddPartition(1, 1 * MiB, 100 * MiB, 0x07, true);
        d.AddPartition(2, 101 * MiB, 100 * MiB, 0x07);
        d.AddPartition(0, 1 * GiB, 4 * GiB, 0x0F);
        d.AddPartition(5, 1 * GiB + 1 * MiB, 1023 * MiB, 0x07);
        d.AddPartition(3, 10 * GiB, 1 * GiB, 0x07);
    }

    // Creates with a fresh log and checks where the first attempt went, the
    // placement's records, and that placing asked the service nothing new.
    void ExpectPlaced(const Placement& c)
    {
        SCOPED_TRACE(c.what);
        ScratchLog& log = StartLog();
        ConnectDisk();
        EXPECT_EQ(c.result, Create(c.offset, c.size));
        EXPECT_EQ(c.result == S_OK ? c.placedOffset : kUnwritten, newOffset);
        const std::vector<std::string> calls = emu.CallLog();
        const std::vector<std::string> placing = {"IVdsAdvancedDisk::QueryPartitions", "IVdsDisk::GetProperties",
                                                  "IVdsAdvancedDisk::QueryPartitions", kCreate};
        ASSERT_LE(placing.size(), calls.size());
        EXPECT_EQ(placing, std::vector<std::string>(calls.begin(), calls.begin() + placing.size()));
        const std::vector<kxemu::CreatePartitionCall> attempts = emu.CreatePartitionCalls();
        ASSERT_FALSE(attempts.empty());
        EXPECT_EQ(c.placedOffset, attempts[0].offset);
        EXPECT_EQ(c.placedSize, attempts[0].size);
        EXPECT_EQ(c.adjustments, Adjustments(log.Text())) << log.Text();
    }

    std::string Attempt(ULONGLONG offset, ULONGLONG size, int phase) const
    {
        return "IVdsCreatePartitionEx::CreatePartitionEx(" + std::to_string(offset) + "," + std::to_string(size) +
               ") - phase " + std::to_string(phase);
    }
};

TEST_F(CreatePartition, RequestIsPlacedClearOfPartitionsAndTheDiskEnd)
{
    const Placement cases[] = {
        {"start inside a primary", 150 * MiB, 100 * MiB, 201 * MiB, 100 * MiB, {StartAt(201 * MiB)}},
        {"start inside the first of two adjacent primaries", 50 * MiB, 100 * MiB, 201 * MiB, 100 * MiB,
         {StartAt(101 * MiB), StartAt(201 * MiB)}},
        {"start on a primary's first byte", 101 * MiB, 50 * MiB, 201 * MiB, 50 * MiB, {StartAt(201 * MiB)}},
        {"start on a primary's end", 201 * MiB, 100 * MiB, 201 * MiB, 100 * MiB, {}},
        {"start inside a logical drive", 1 * GiB + 100 * MiB, 100 * MiB, 2 * GiB, 100 * MiB, {StartAt(2 * GiB)}},
        {"start inside the extended partition only", 3 * GiB, 1 * GiB, 3 * GiB, 1 * GiB, {}},
        {"end inside a primary", 9 * GiB, 1536 * MiB, 9 * GiB, 1 * GiB, {SizeOf(1 * GiB)}},
        {"end on a primary's last byte", 9 * GiB, 2 * GiB - 1, 9 * GiB, 1 * GiB, {SizeOf(1 * GiB)}},
        {"end inside a logical drive", 500 * MiB, 1 * GiB, 500 * MiB, 525 * MiB, {SizeOf(525 * MiB)}},
        {"end inside the extended partition only", 2 * GiB, 1 * GiB, 2 * GiB, 1 * GiB, {}},
        {"start moved, then end inside a logical drive", 50 * MiB, 1 * GiB, 201 * MiB, 824 * MiB,
         {StartAt(101 * MiB), StartAt(201 * MiB), SizeOf(824 * MiB)}},
        {"end at the disk's end", 20 * GiB, 44 * GiB, 20 * GiB, 44 * GiB - 4 * MiB, {SizeOf(44 * GiB - 4 * MiB)}},
        {"end past the disk's end", 20 * GiB, 100 * GiB, 20 * GiB, 44 * GiB - 4 * MiB,
         {SizeOf(44 * GiB - 4 * MiB)}},
        {"end one byte before the disk's end", 20 * GiB, 44 * GiB - 1, 20 * GiB, 44 * GiB - 1, {}},
        {"start moved, then past the disk's end", 10 * GiB + 5 * MiB, 60 * GiB, 11 * GiB, 53 * GiB - 4 * MiB,
         {StartAt(11 * GiB), SizeOf(53 * GiB - 4 * MiB)}},
        {"a primary inside the range ends it", 5 * GiB, 10 * GiB, 5 * GiB, 5 * GiB, {SizeOf(5 * GiB)}},
        {"a logical drive inside the range ends it", 500 * MiB, 2 * GiB, 500 * MiB, 525 * MiB,
         {SizeOf(525 * MiB)}},
    };
    NewCrowdedDisk();
    // Refused attempts leave the layout as it is for the next row.
    emu.FailAlways(kCreate, VDS_E_INVALID_SPACE);
    for (const Placement& c : cases) ExpectPlaced(c);
}

TEST_F(CreatePartition, StartMovedNearTheSignedLimitStillEndsBeforeTheDiskEnd)
{
    // The request ends exactly at the largest signed position; moving its
    // start on must not carry the end beyond it.
    NewDisk(64 * GiB).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ScratchLog& log = StartLog();
    ConnectDisk();
    emu.FailAlways(kCreate, VDS_E_INVALID_SPACE);
    EXPECT_EQ(VDS_E_INVALID_SPACE, Create(50 * MiB, kSignedTop - 50 * MiB));
    ASSERT_FALSE(emu.CreatePartitionCalls().empty());
    EXPECT_EQ(101 * MiB, emu.CreatePartitionCalls()[0].offset);
    EXPECT_EQ(64 * GiB - 105 * MiB, emu.CreatePartitionCalls()[0].size);
    EXPECT_TRUE(log.Contains("Adjust size to " + std::to_string(kSignedTop - 101 * MiB) + "\r\n")) << log.Text();
}

TEST_F(CreatePartition, PartitionOfAbsurdLengthLeavesNoRoomBehindIt)
{
    // Its end does not fit a signed position: the start moves to the largest
    // one instead of staying where the wrapped end would leave it.
    NewDisk(64 * GiB).AddPartition(1, 1 * MiB, kSignedTop, 0x07);
    ConnectDisk();
    EXPECT_EQ(E_INVALIDARG, Create(50 * MiB, 100 * MiB));
    EXPECT_TRUE(emu.CreatePartitionCalls().empty());
}

TEST_F(CreatePartition, PlacementTakesAnUnsortedListInOffsetOrder)
{
    const Placement cases[] = {
        {"start moved past a partition listed before it", 50 * MiB, 100 * MiB, 201 * MiB, 100 * MiB,
         {StartAt(101 * MiB), StartAt(201 * MiB)}, S_OK},
        {"start moved, then end inside a partition listed first", 150 * MiB, 3 * GiB, 201 * MiB, 2871 * MiB,
         {StartAt(201 * MiB), SizeOf(2871 * MiB)}, S_OK},
        {"a partition listed first inside the range", 300 * MiB, 4 * GiB, 300 * MiB, 2772 * MiB,
         {SizeOf(2772 * MiB)}, S_OK},
        // What is left before the first partition holds the partition table.
        {"two partitions inside the range", 0, 300 * MiB, 0, 1 * MiB, {SizeOf(101 * MiB), SizeOf(1 * MiB)}},
    };
    for (const Placement& c : cases) {
        // Listed as the table's entries are: 3 GiB, 101 MiB, then 1 MiB.
        kxemu::Disk& d = NewDisk(8 * GiB);
        d.AddPartition(1, 3 * GiB, 1 * GiB, 0x07);
        d.AddPartition(2, 101 * MiB, 100 * MiB, 0x07);
        d.AddPartition(3, 1 * MiB, 100 * MiB, 0x07);
        ExpectPlaced(c);
    }
}

TEST_F(CreatePartition, PlacementUsesWhatTheServiceCouldAnswer)
{
    // Inside the primary at 10 GiB, with nothing but the disk's end behind it.
    const ULONGLONG kStart = 10 * GiB + 5 * MiB;
    struct Case {
        const char* what;
        const char* failing;
        int nth;
        HRESULT code;
        ULONGLONG placedOffset;
        ULONGLONG placedSize;
    };
    const Case cases[] = {
        // Without the disk's size nothing is adjusted, not even the start.
        {"disk properties", "IVdsDisk::GetProperties", 1, E_FAIL, kStart, 100 * GiB},
        // An incomplete record still tells the size.
        {"incomplete disk properties", "IVdsDisk::GetProperties", 1, VDS_S_PROPERTIES_INCOMPLETE, 11 * GiB,
         53 * GiB - 4 * MiB},
        // Without the list only the end-of-disk rule applies.
        {"partition list", "IVdsAdvancedDisk::QueryPartitions", 2, E_FAIL, kStart, 54 * GiB - 9 * MiB},
    };
    NewCrowdedDisk();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        emu.ClearFaults();
        ConnectDisk();
        emu.FailAlways(kCreate, VDS_E_INVALID_SPACE);
        emu.FailNth(c.failing, c.nth, c.code);
        EXPECT_EQ(VDS_E_INVALID_SPACE, Create(kStart, 100 * GiB));
        ASSERT_FALSE(emu.CreatePartitionCalls().empty());
        EXPECT_EQ(c.placedOffset, emu.CreatePartitionCalls()[0].offset);
        EXPECT_EQ(c.placedSize, emu.CreatePartitionCalls()[0].size);
    }
}

TEST_F(CreatePartition, DiskSizeZeroDisablesTheEndOfDiskRule)
{
    NewDisk(64 * GiB).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    physical->size = 0;
    ConnectDisk();
    // The emulated service refuses anything on a disk of no size.
    EXPECT_EQ(VDS_E_INVALID_SPACE, Create(20 * GiB, 100 * GiB));
    ASSERT_EQ(3u, emu.CreatePartitionCalls().size());
    EXPECT_EQ(20 * GiB, emu.CreatePartitionCalls()[0].offset);
    EXPECT_EQ(100 * GiB, emu.CreatePartitionCalls()[0].size);
}

TEST_F(CreatePartition, RefusedAttemptsMoveTheStartOnAndKeepTheEnd)
{
    NewDisk(64 * GiB).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ScratchLog& log = StartLog();
    ConnectDisk();
    emu.FailNth(kCreate, 1, VDS_E_INVALID_SPACE);
    emu.FailNth(kCreate, 2, E_FAIL);
    emu.FailNth(kCreate, 3, E_ACCESSDENIED);

    // The start lies in partition 1, so the attempts begin at its end.
    EXPECT_EQ(E_ACCESSDENIED, disk->CreatePartition(50 * MiB, 100 * MiB, 0x06, 1, &newOffset));
    EXPECT_EQ(static_cast<unsigned>(E_ACCESSDENIED), Recorded());
    EXPECT_EQ(kUnwritten, newOffset);
    const std::vector<kxemu::CreatePartitionCall> calls = emu.CreatePartitionCalls();
    ASSERT_EQ(3u, calls.size());
    const ULONGLONG offsets[] = {101 * MiB, 103 * MiB, 105 * MiB};
    const ULONGLONG sizes[] = {100 * MiB, 98 * MiB, 96 * MiB};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "phase " << i + 1);
        EXPECT_EQ(offsets[i], calls[i].offset);
        EXPECT_EQ(sizes[i], calls[i].size);
        EXPECT_EQ(0u, calls[i].align);
        ASSERT_TRUE(calls[i].hasParameters);
        EXPECT_EQ(VDS_PST_MBR, calls[i].parameters.style);
        EXPECT_EQ(0x06, calls[i].parameters.MbrPartInfo.partitionType);
        EXPECT_EQ(1, calls[i].parameters.MbrPartInfo.bootIndicator);
        EXPECT_TRUE(log.Contains(Attempt(offsets[i], sizes[i], i + 1) + "\r\n")) << log.Text();
    }
    EXPECT_TRUE(log.Contains("No IVdsAsync interface " + Codes(VDS_E_INVALID_SPACE) + "\r\n")) << log.Text();
    EXPECT_TRUE(log.Contains("No IVdsAsync interface " + Codes(E_FAIL) + "\r\n")) << log.Text();
    EXPECT_TRUE(log.Contains("No IVdsAsync interface " + Codes(E_ACCESSDENIED) + "\r\n")) << log.Text();
}

TEST_F(CreatePartition, AttemptsStopBeforeNothingIsLeft)
{
    struct Case {
        ULONGLONG size;
        size_t attempts;
    };
    const Case cases[] = {{1, 1}, {2 * MiB, 1}, {2 * MiB + 1, 2}, {4 * MiB, 2}, {4 * MiB + 1, 3}};
    NewDisk(64 * GiB);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size);
        emu.ClearFaults();
        ConnectDisk();
        emu.FailAlways(kCreate, VDS_E_INVALID_SPACE);
        EXPECT_EQ(VDS_E_INVALID_SPACE, Create(1 * GiB, c.size));
        const std::vector<kxemu::CreatePartitionCall> calls = emu.CreatePartitionCalls();
        ASSERT_EQ(c.attempts, calls.size());
        for (const kxemu::CreatePartitionCall& call : calls) EXPECT_GT(call.size, 0u);
    }
}

TEST_F(CreatePartition, AttemptAfterAFailedJobSucceedsTwoMiBLater)
{
    NewDisk(64 * GiB);
    ScratchLog& log = StartLog();
    ConnectDisk();
    emu.OperationFailsNth(kCreate, 1, VDS_E_INVALID_SPACE);

    ASSERT_EQ(S_OK, Create(1 * GiB, 1 * GiB));
    EXPECT_EQ(0u, Recorded());
    EXPECT_EQ(1 * GiB + 2 * MiB, newOffset);
    ASSERT_EQ(2u, emu.CreatePartitionCalls().size());
    EXPECT_EQ(1 * GiB - 2 * MiB, emu.CreatePartitionCalls()[1].size);
    // The job's own code is not what the record shows.
    EXPECT_TRUE(log.Contains("IVdsCreatePartitionEx::CreatePartitionEx failed " + Codes(E_UNEXPECTED) + "\r\n"))
        << log.Text();
    EXPECT_FALSE(log.Contains(Codes(VDS_E_INVALID_SPACE))) << log.Text();
}

TEST_F(CreatePartition, LastAttemptsWaitDecidesTheResult)
{
    struct Case {
        const char* what;
        std::function<void(kxemu::KXEmulator&)> arm;
        HRESULT returned;
        HRESULT recorded;
        bool logsFailure;
    };
    const Case cases[] = {
        {"job failed", [](kxemu::KXEmulator& e) { e.OperationFailsNth(kCreate, 3, E_FAIL); }, E_UNEXPECTED,
         E_UNEXPECTED, true},
        {"Wait failed", [](kxemu::KXEmulator& e) { e.FailNth("IVdsAsync::Wait", 1, E_FAIL); }, E_UNEXPECTED,
         E_UNEXPECTED, true},
        {"Wait answered S_FALSE", [](kxemu::KXEmulator& e) { e.FailNth("IVdsAsync::Wait", 1, S_FALSE); },
         E_UNEXPECTED, E_UNEXPECTED, true},
        {"status reported", [](kxemu::KXEmulator& e) { e.ReportStatusNth(1, E_FAIL); }, E_UNEXPECTED, E_UNEXPECTED,
         true},
        // Not a failure of the job: its code comes back, and the holder keeps
        // the second attempt's.
        {"QueryStatus failed", [](kxemu::KXEmulator& e) { e.FailNth("IVdsAsync::QueryStatus", 1, E_POINTER); },
         E_POINTER, E_OUTOFMEMORY, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewDisk(64 * GiB);
        ScratchLog& log = StartLog();
        emu.ClearFaults();
        ConnectDisk();
        emu.FailNth(kCreate, 1, VDS_E_INVALID_SPACE);
        emu.FailNth(kCreate, 2, E_OUTOFMEMORY);
        c.arm(emu);

        EXPECT_EQ(c.returned, Create(1 * GiB, 1 * GiB));
        EXPECT_EQ(static_cast<unsigned>(c.recorded), Recorded());
        EXPECT_EQ(kUnwritten, newOffset);
        EXPECT_EQ(3u, emu.CreatePartitionCalls().size());
        EXPECT_EQ(1, emu.Calls("IVdsAsync::Wait"));
        EXPECT_EQ(c.logsFailure,
                  log.Contains("IVdsCreatePartitionEx::CreatePartitionEx failed " + Codes(E_UNEXPECTED) + "\r\n"))
            << log.Text();
    }
}

TEST_F(CreatePartition, StartWithoutJobObjectCountsAsDone)
{
    NewDisk(64 * GiB);
    ScratchLog& log = StartLog();
    ConnectDisk();
    emu.NullObjectNth(kCreate, 1);

    ASSERT_EQ(S_OK, Create(1 * GiB, 1 * GiB));
    EXPECT_EQ(1 * GiB, newOffset);
    EXPECT_EQ(1u, emu.CreatePartitionCalls().size());
    EXPECT_EQ(0, emu.Calls("IVdsAsync::Wait"));
    EXPECT_TRUE(log.Contains("No IVdsAsync interface " + Codes(S_OK) + "\r\n")) << log.Text();
}

TEST_F(CreatePartition, NewOffsetIsWhereTheServiceListsThePartition)
{
    struct Case {
        const char* what;
        ULONGLONG diskSize;
        ULONGLONG offset;
        ULONGLONG listed;
    };
    const Case cases[] = {
        {"aligned to 1 MiB on a large disk", 64 * GiB, 200 * MiB + 512, 201 * MiB},
        {"aligned to 64 KiB on a small disk", 2 * GiB, 200 * MiB + 512, 200 * MiB + 64 * kxemu::KiB},
        {"moved out of a partition", 64 * GiB, 50 * MiB, 101 * MiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewDisk(c.diskSize).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
        ConnectDisk();
        ASSERT_EQ(S_OK, Create(c.offset, 100 * MiB));
        EXPECT_EQ(c.listed, newOffset);
        EXPECT_EQ(0u, Recorded());
    }
}

TEST_F(CreatePartition, ExtendedPartitionIsCreatedButNotMounted)
{
    for (unsigned char type : {0x05, 0x0F}) {
        SCOPED_TRACE(testing::Message() << "type " << int(type));
        NewDisk(64 * GiB).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
        ConnectDisk();
        ASSERT_EQ(S_OK, Create(1 * GiB, 4 * GiB, type));
        EXPECT_EQ(1 * GiB, newOffset);
        EXPECT_EQ(0u, Recorded());
        // No partition object looked for a volume.
        EXPECT_EQ(0, emu.Calls("IVdsService::QueryProviders"));
        EXPECT_TRUE(emu.AddAccessPathCalls().empty());
    }
}

TEST_F(CreatePartition, JobThatCreatedNothingIsReportedAsNotFound)
{
    NewDisk(64 * GiB).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ScratchLog& log = StartLog();
    ConnectDisk();
    // The job reports success without a new partition.
    emu.OperationFailsNth(kCreate, 1, S_OK);

    EXPECT_EQ(kNotFound, Create(1 * GiB, 1 * GiB));
    EXPECT_EQ(static_cast<unsigned>(kNotFound), Recorded());
    EXPECT_EQ(kUnwritten, newOffset);
    EXPECT_EQ(0, emu.Calls("IVdsService::QueryProviders"));
    EXPECT_TRUE(log.Contains("FindPartition failed " + Codes(kNotFound) + "\r\n")) << log.Text();
}

TEST_F(CreatePartition, FailedListAfterCreationIsReturned)
{
    NewDisk(64 * GiB).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
    ScratchLog& log = StartLog();
    ConnectDisk();
    // Snapshot, placement, then the search for the new partition.
    emu.FailNth("IVdsAdvancedDisk::QueryPartitions", 3, E_ACCESSDENIED);

    EXPECT_EQ(E_ACCESSDENIED, Create(1 * GiB, 1 * GiB));
    EXPECT_EQ(static_cast<unsigned>(E_ACCESSDENIED), Recorded());
    EXPECT_EQ(kUnwritten, newOffset);
    EXPECT_TRUE(emu.AddAccessPathCalls().empty());
    EXPECT_TRUE(log.Contains("FindPartition failed " + Codes(E_ACCESSDENIED) + "\r\n")) << log.Text();
    // The partition was made all the same and stays.
    EXPECT_EQ(2u, physical->partitions.size());
}

TEST_F(CreatePartition, SucceedsOnlyWithTheNewPartitionsOffset)
{
    struct Case {
        const char* what;
        std::function<void(kxemu::KXEmulator&)> arm;
        HRESULT returned;
        size_t partitionsAfter;
        ULONGLONG newOffset;
    };
    const char kList[] = "IVdsAdvancedDisk::QueryPartitions";
    const Case cases[] = {
        // Without the list as it was, the new partition could not be told apart.
        {"snapshot fails", [&](kxemu::KXEmulator& e) { e.FailNth(kList, 1, E_ACCESSDENIED); }, E_ACCESSDENIED, 1,
         kUnwritten},
        {"snapshot answers S_FALSE", [&](kxemu::KXEmulator& e) { e.FailNth(kList, 1, S_FALSE); }, kNotFound, 1,
         kUnwritten},
        {"search answers S_FALSE", [&](kxemu::KXEmulator& e) { e.FailNth(kList, 3, S_FALSE); }, kNotFound, 2,
         kUnwritten},
        // A success code still starts the job.
        {"creation answers S_FALSE", [](kxemu::KXEmulator& e) { e.FailNth(kCreate, 1, S_FALSE); }, S_OK, 2,
         1 * GiB},
        {"last status query answers S_FALSE",
         [](kxemu::KXEmulator& e) {
             e.FailNth(kCreate, 1, VDS_E_INVALID_SPACE);
             e.FailNth(kCreate, 2, VDS_E_INVALID_SPACE);
             e.FailNth("IVdsAsync::QueryStatus", 1, S_FALSE);
         },
         S_OK, 2, 1 * GiB + 4 * MiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewDisk(64 * GiB).AddPartition(1, 1 * MiB, 100 * MiB, 0x07);
        emu.ClearFaults();
        ConnectDisk();
        c.arm(emu);
        EXPECT_EQ(c.returned, Create(1 * GiB, 1 * GiB));
        EXPECT_EQ(static_cast<unsigned>(c.returned), Recorded());
        EXPECT_EQ(c.partitionsAfter, physical->partitions.size());
        EXPECT_EQ(c.newOffset, newOffset);
    }
}

TEST_F(CreatePartition, UnwritableNewOffsetIsRefusedBeforeAnythingElse)
{
    NewDisk(64 * GiB);
    ScratchLog& log = StartLog();
    ConnectDisk();
    const std::string before = log.Text();

    EXPECT_EQ(kNotWritable, disk->CreatePartition(1 * GiB, 1 * GiB, 0x07, 0, nullptr));
    EXPECT_EQ(static_cast<unsigned>(kNotWritable), Recorded());
    EXPECT_EQ(0, emu.TotalCalls()) << testing::PrintToString(emu.CallLog());
    disk.reset();
    // Only the closing summary follows what Connect wrote.
    const std::string after = log.Text();
    ASSERT_EQ(before, after.substr(0, before.size()));
    size_t line = before.size();
    while (line < after.size()) {
        size_t end = after.find("\r\n", line);
        if (end == std::string::npos) end = after.size();
        const std::string text = after.substr(line, end - line);
        if (!text.empty()) {
            EXPECT_NE(std::string::npos, text.find("-> ")) << text;
        }
        line = end + 2;
    }
}

TEST_F(CreatePartition, MissingInterfaceIsLoggedAndNothingIsCalled)
{
    struct Case {
        const char* what;
        bool withCreateInterface;
        bool connect;
        const char* record;
    };
    // A disk without IVdsAdvancedDisk is never selected, so its message
    // cannot be reached from outside.
    const Case cases[] = {
        {"not connected", true, false, "No IVdsDisk interface"},
        {"no IVdsCreatePartitionEx", false, true, "No IVdsCreatePartitionEx interface"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewDisk(64 * GiB).createPartitionExInterface = c.withCreateInterface;
        ScratchLog& log = StartLog();
        if (c.connect) {
            ASSERT_EQ(S_OK, disk->Connect(1));
        }
        emu.ResetCalls();

        EXPECT_EQ(E_NOINTERFACE, Create(1 * GiB, 1 * GiB));
        EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), Recorded());
        EXPECT_EQ(kUnwritten, newOffset);
        EXPECT_EQ(0, emu.TotalCalls());
        EXPECT_TRUE(log.Contains(std::string("KXVdsDisks::ERROR : ") + c.record)) << log.Text();
    }
}

TEST_F(CreatePartition, RangeBeyondSigned64BitsIsRefusedUntouched)
{
    struct Case {
        ULONGLONG offset;
        ULONGLONG size;
    };
    const ULONGLONG top = kSignedTop;
    const Case cases[] = {
        {top + 1, 1 * MiB},
        {1 * MiB, top + 1},
        {top - 1 * MiB + 1, 1 * MiB},
        {~0ULL - 10, 100},
    };
    NewDisk(64 * GiB);
    ConnectDisk();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << " + " << c.size);
        emu.ResetCalls();
        EXPECT_EQ(E_INVALIDARG, Create(c.offset, c.size));
        EXPECT_EQ(static_cast<unsigned>(E_INVALIDARG), Recorded());
        EXPECT_EQ(0, emu.TotalCalls()) << testing::PrintToString(emu.CallLog());
        EXPECT_EQ(kUnwritten, newOffset);
    }
    // The largest end that still fits goes on to the placement, which finds
    // no room before the disk's end.
    emu.ResetCalls();
    EXPECT_EQ(E_INVALIDARG, Create(top - 1 * MiB, 1 * MiB));
    EXPECT_EQ(1, emu.Calls("IVdsDisk::GetProperties"));
    EXPECT_TRUE(emu.CreatePartitionCalls().empty());
}

TEST_F(CreatePartition, NoRoomLeftIsRefusedWithoutAnAttempt)
{
    struct Case {
        const char* what;
        ULONGLONG offset;
        ULONGLONG size;
    };
    const Case cases[] = {
        {"start 2 MiB before the end", 64 * GiB - 2 * MiB, 2 * MiB},
        {"start 4 MiB before the end", 64 * GiB - 4 * MiB, 4 * MiB},
        {"start 4 MiB before the end, long size", 64 * GiB - 4 * MiB, 100 * GiB},
        {"start moved to a partition ending at the disk's end", 63 * GiB + 512 * MiB, 1 * MiB},
    };
    NewDisk(64 * GiB).AddPartition(1, 63 * GiB, 1 * GiB, 0x07);
    ConnectDisk();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        emu.ResetCalls();
        EXPECT_EQ(E_INVALIDARG, Create(c.offset, c.size));
        EXPECT_EQ(static_cast<unsigned>(E_INVALIDARG), Recorded());
        EXPECT_TRUE(emu.CreatePartitionCalls().empty());
        EXPECT_EQ(kUnwritten, newOffset);
    }
    // 1 MiB left before the reserve: still worth an attempt.
    NewDisk(64 * GiB);
    ConnectDisk();
    EXPECT_EQ(S_OK, Create(64 * GiB - 5 * MiB, 5 * MiB));
    ASSERT_EQ(1u, emu.CreatePartitionCalls().size());
    EXPECT_EQ(1 * MiB, emu.CreatePartitionCalls()[0].size);
}

TEST_F(CreatePartition, GptDiskRefusesTheMbrRequestAndNothingChanges)
{
    kxemu::Disk& gpt = NewDisk(64 * GiB);
    gpt.style = VDS_PST_GPT;
    ConnectDisk();
    EXPECT_EQ(VDS_E_PARTITION_STYLE_MISMATCH, Create(1 * GiB, 100 * MiB));
    EXPECT_EQ(static_cast<unsigned>(VDS_E_PARTITION_STYLE_MISMATCH), Recorded());
    EXPECT_EQ(kUnwritten, newOffset);
    EXPECT_TRUE(gpt.partitions.empty());
    for (const kxemu::CreatePartitionCall& call : emu.CreatePartitionCalls())
        EXPECT_EQ(VDS_PST_MBR, call.parameters.style);
}

} // namespace
