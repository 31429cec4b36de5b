// A snapshot of an emulated machine, loaded as a machine, must give the
// library the same answer in every slot for every disk and partition, with
// the same calls; what it cannot describe it names in the file's notes.
#include "emulated/DefaultMachine.h"
#include "faults/SweepMachine.h"
#include "kxemu/MachineFile.h"
#include "snapshot/MachineSnapshot.h"
#include "snapshot/SlotTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

void ExpectNothingLeft(const kxemu::KXEmulator& emu)
{
    EXPECT_EQ(0, emu.LiveObjects());
    EXPECT_EQ(0, emu.OpenDeviceHandles());
    EXPECT_LE(emu.LiveTaskMemBlocks(), 0);  // -1 where blocks cannot be counted
}


void ExpectSameSlots(kxemu::KXEmulator& emu, const std::string& original, const std::string& snapshot,
                     const char* name)
{
    const std::vector<SlotRow> expected = SlotTable(emu, original, original);
    const std::vector<SlotRow> replayed = SlotTable(emu, snapshot, original);
    ASSERT_EQ(expected.size(), replayed.size());
    size_t calls = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].what, replayed[i].what);
        EXPECT_EQ(expected[i].answer, replayed[i].answer) << expected[i].what;
        EXPECT_EQ(expected[i].calls, replayed[i].calls) << expected[i].what;
        calls += expected[i].calls.size();
    }
    ExpectNothingLeft(emu);
    std::printf("%s: %zu slot rows, %zu calls compared\n", name, expected.size(), calls);
}

struct MachineCase {
    const char* name;
    std::function<void(kxemu::Machine&)> build;
    const char* note;  // a note the snapshot must write; null: none at all
};

void PrintTo(const MachineCase& c, std::ostream* os)
{
    *os << c.name;
}

kxemu::Volume& FirstVolume(kxemu::Machine& m)
{
    return *m.providers[0]->packs[0]->volumes[0];
}

const MachineCase kMachines[] = {
    {"DefaultMachine", kxvds::BuildDefaultMachine, nullptr},
    {"SweepMachine", BuildSweepMachine, nullptr},
    {"DynamicDisk",
     [](kxemu::Machine& m) {
         BuildSweepMachine(m);
         kxemu::Disk& dynamic = *m.FindDisk(2);
         dynamic.AddPartition(1, 1 * kxemu::MiB, 1 * kxemu::GiB, 0x42);
         dynamic.AddVolume(1).FileSystem(VDS_FST_NTFS, "Dyn").AccessPath("G:\\");
     },
     "disk 2 is a dynamic disk"},
    {"VolumeWhosePropertiesFail",
     [](kxemu::Machine& m) {
         kxvds::BuildDefaultMachine(m);
         FirstVolume(m).propertiesResult = E_FAIL;
     },
     "GetProperties fails (0x80004005)"},
    {"DiskWithoutName",
     [](kxemu::Machine& m) {
         kxvds::BuildDefaultMachine(m);
         m.FindDisk(1)->nameMissing = true;
     },
     "its name holds no disk number"},
};

class SnapshotRoundTrip : public ::testing::TestWithParam<MachineCase> {};

TEST_P(SnapshotRoundTrip, TheLibraryAnswersTheSameOnTheSnapshot)
{
    kxemu::KXEmulator emu;
    ASSERT_EQ(S_OK, emu.Registration());
    GetParam().build(emu.Machine());
    const std::string original = kxemu::SaveMachine(emu.Machine());
    kxemu::Machine snapped;
    kxvds::SnapshotFailure failure;
    ASSERT_TRUE(kxvds::TakeSnapshot(snapped, &failure)) << failure.call << " " << std::hex << failure.code;
    ExpectNothingLeft(emu);
    const std::string notes = Joined(snapped.notes);
    if (GetParam().note) {
        EXPECT_NE(std::string::npos, notes.find(GetParam().note)) << notes;
    } else {
        EXPECT_EQ("", notes);
    }
    const std::string snapshot = kxemu::SaveMachine(snapped);
    if (GetParam().note) {
        EXPECT_NE(std::string::npos, snapshot.find("\"notes\""));
    }
    ExpectSameSlots(emu, original, snapshot, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Machines, SnapshotRoundTrip, ::testing::ValuesIn(kMachines),
                         [](const ::testing::TestParamInfo<MachineCase>& info) { return info.param.name; });

TEST(Snapshot, AServiceThatRefusesAccessIsReportedWithTheCallAndNothingIsLeft)
{
    kxemu::KXEmulator emu;
    ASSERT_EQ(S_OK, emu.Registration());
    kxvds::BuildDefaultMachine(emu.Machine());
    emu.FailNth("IClassFactory::CreateInstance", 1, E_ACCESSDENIED);
    kxemu::Machine snapped;
    kxvds::SnapshotFailure failure;
    EXPECT_FALSE(kxvds::TakeSnapshot(snapped, &failure));
    EXPECT_EQ(E_ACCESSDENIED, failure.code);
    EXPECT_EQ("CoCreateInstance(VdsLoader)", failure.call);
    EXPECT_TRUE(snapped.providers.empty());
    ExpectNothingLeft(emu);
}

} // namespace
