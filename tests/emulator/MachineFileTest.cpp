// Machine files: what is saved comes back.
#include "kxemu/Machine.h"
#include "kxemu/MachineFile.h"
#include "kxgptguids.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace kxemu;

namespace {

void Build(Machine& m)
{
    Provider& provider = m.AddProvider();
    provider.swInterface = false;
    Pack& pack = m.AddProvider().AddPack();
    pack.name = "Basic \"pack\"\n";
    Disk& d = pack.AddDisk(3, 64 * GiB);
    d.bytesPerSector = 4096;
    d.createPartitionExInterface = false;
    d.AddPartition(2, 200 * MiB, 100 * MiB, 0x0C);
    d.AddPartition(1, 1 * MiB, 100 * MiB, 0x07, true);
    Disk& gpt = pack.AddDisk(4, 8 * GiB);
    gpt.style = VDS_PST_GPT;
    gpt.AddGptPartition(7, 400 * MiB, 10 * MiB, kxgpt::kBasicData);
    gpt.AddGptPartition(8, 1 * MiB, 100 * MiB, kxgpt::kEfiSystem).gptAttributes = GPT_ATTRIBUTE_PLATFORM_REQUIRED;
    d.AddVolume(1).FileSystem(VDS_FST_NTFS, "Système").Used(5 * MiB).AccessPath("E:\\").AccessPath("C:\\mnt\\");
    Volume& v = d.AddVolume(2);
    v.propertiesResult = VDS_S_PROPERTIES_INCOMPLETE;
    v.status = VDS_VS_OFFLINE;
    v.NtfsTag("RECOVERY");
    m.TakeLetter('D', DRIVE_CDROM);
    m.autoAssignLetters = true;
    m.notes = {"volume 2 spans two disks"};
}

TEST(EmulatorMachineFile, RoundTripKeepsEverything)
{
    Machine original;
    Build(original);
    const std::string saved = SaveMachine(original);
    Machine loaded;
    std::string error;
    ASSERT_TRUE(LoadMachine(saved, loaded, &error)) << error;
    EXPECT_EQ(saved, SaveMachine(loaded));

    Disk* d = loaded.FindDisk(3);
    ASSERT_NE(nullptr, d);
    ASSERT_EQ(2u, d->partitions.size());
    EXPECT_EQ(2u, d->partitions[0].number);
    ASSERT_NE(nullptr, loaded.FindDisk(4));
    EXPECT_EQ(VDS_PST_GPT, loaded.FindDisk(4)->partitions[0].style);
    EXPECT_FALSE(d->createPartitionExInterface);
    Volume* v = loaded.FindVolumeOnPartition(3, 1);
    ASSERT_NE(nullptr, v);
    EXPECT_EQ("Système", v->label);
    EXPECT_EQ(original.FindVolumeOnPartition(3, 1)->bootSector, v->bootSector);
    EXPECT_EQ(DRIVE_CDROM, loaded.LetterType('D'));
    EXPECT_EQ(VDS_S_PROPERTIES_INCOMPLETE, loaded.FindVolumeOnPartition(3, 2)->propertiesResult);
    EXPECT_EQ(original.notes, loaded.notes);
    // New objects keep counting where the saved machine stopped.
    EXPECT_EQ(3u, loaded.NextVolumeIndex());
}

TEST(EmulatorMachineFile, RefusesWhatIsNotAMachine)
{
    Machine m;
    Build(m);
    std::string good = SaveMachine(m);
    const std::string cases[] = {
        "",
        "[]",
        "{\"format\": \"other\", \"version\": 1}",
        "{\"format\": \"kxvds-machine\", \"version\": 1e400}",
        good.substr(0, good.size() / 2),
        good + "x",
        std::string(good).replace(good.find("\"version\": 1"), 12, "\"version\": 9"),
        std::string(good).replace(good.find("\"size\": "), 8, "\"size\": -"),
        std::string(good).replace(good.find("\"notes\": ["), 10, "\"notes\": [1, "),
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        Machine target;
        Build(target);
        std::string error;
        EXPECT_FALSE(LoadMachine(text, target, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(target.providers.empty());
    }
}

// Whatever no disk could hold is refused, naming the field that breaks the rule.
TEST(EmulatorMachineFile, RefusesWhatNoDiskHolds)
{
    using Json = nlohmann::ordered_json;
    Machine m;
    Build(m);
    const Json good = Json::parse(SaveMachine(m));
    const std::string disk = "/providers/1/packs/0/disks/0";
    const std::string at = "providers[1].packs[0].disks[0]";
    struct Row {
        std::string pointer;  // the field changed
        Json value;
        std::string message;
    } rows[] = {
        {disk + "/size", -5, at + ".size must be a whole number from 0 to 18446744073709551615, not -5"},
        {disk + "/size", 1000, at + ".size: must be a whole number of sectors above 0, not 1000"},
        {disk + "/bytesPerSector", 0, at + ".bytesPerSector: must be 512, 1024, 2048 or 4096, not 0"},
        {disk + "/partitions/0/style", 4, at + ".partitions[0].style must be a whole number from 0 to 2, not 4"},
        {disk + "/number", 4, "providers[1].packs[0].disks[1].number: disk 4 appears twice"},
        {disk + "/partitions/0/size", 100ULL << 40, at + ".partitions[0].size: runs past the disk's end"},
        {disk + "/partitions/0/offset", 100ULL << 40, at + ".partitions[0].offset: lies past the disk's usable end"},
        {disk + "/partitions/0/offset", 50 * MiB, at + ".partitions[1].offset: overlaps partition 2"},
        {disk + "/partitions/0/offset", 0, at + ".partitions[0].offset: lies in the partition table"},
        {disk + "/partitions/0/size", 100 * MiB + 1, at + ".partitions[0].size: must be a whole number of sectors"},
        {disk + "/partitions/0/active", true, at + ".partitions[1].active: a second active partition"},
        {disk + "/partitions/0/number", 1, at + ".partitions[1].number: partition number 1 appears twice"},
        {"/providers/1/packs/0/volumes/0/accessPaths/1", "C:\\m*t\\",
         "providers[1].packs[0].volumes[0].accessPaths[1]: \"C:\\m*t\\\" is neither a drive letter"},
        {"/providers/1/packs/0/volumes/1/accessPaths", Json::array({"E:\\"}),
         "providers[1].packs[0].volumes[1].accessPaths[0]: the drive letter E: is taken already"},
        {"/providers/1/packs/0/volumes/1/extents/0/partition", 9,
         "providers[1].packs[0].volumes[1].extents[0]: no partition 9 on disk 3"},
    };
    // GPT's own rules, on the GPT disk.
    const std::string gptDisk = "/providers/1/packs/0/disks/1";
    const std::string gptAt = "providers[1].packs[0].disks[1]";
    Json entries = Json::array();
    for (ULONGLONG i = 0; i < 129; ++i) {
        Json entry = good[Json::json_pointer(gptDisk + "/partitions/0")];
        entry["number"] = 100 + i;
        entry["offset"] = (1 + i) * MiB;
        entry["size"] = 1 * MiB;
        entry["gptId"] = "00000000-0000-4000-8000-" + std::string(9, '0') + std::to_string(100 + i);
        entries.push_back(entry);
    }
    const Json firstId = good[Json::json_pointer(gptDisk + "/partitions/0/gptId")];
    const std::string zero = "00000000-0000-0000-0000-000000000000";
    const std::string first = gptAt + ".partitions[0].";
    const Row gptRows[] = {
        {gptDisk + "/partitions", entries, gptAt + ".partitions: 129 partitions for a GPT's 128 entries"},
        {gptDisk + "/partitions/0/offset", 16 * KiB,
         first + "offset: lies in the partition table (the first usable byte is 17408)"},
        {gptDisk + "/partitions/0/offset", 8 * GiB - 1 * MiB, first + "size: runs past the disk's end"},
        {gptDisk + "/partitions/0/style", 1, first + "style: differs from the disk's partition style"},
        {gptDisk + "/partitions/0/gptType", zero, first + "gptType: the zero GUID"},
        {gptDisk + "/partitions/0/gptId", zero, first + "gptId: a partition needs"},
        {gptDisk + "/partitions/1/gptId", firstId,
         gptAt + ".partitions[1].gptId: " + firstId.get<std::string>() + " appears twice"},
        {gptDisk + "/partitions/1/gptAttributes", 0x8000000000000009ULL,
         gptAt + ".partitions[1].gptAttributes: sets reserved bits"},
        {gptDisk + "/partitions/0/active", true, first + "active: the boot flag is an MBR entry's"},
    };
    std::vector<Row> all(std::begin(rows), std::end(rows));
    all.insert(all.end(), std::begin(gptRows), std::end(gptRows));
    for (const Row& row : all) {
        SCOPED_TRACE(row.pointer);
        Json text = good;
        text[Json::json_pointer(row.pointer)] = row.value;
        Machine target;
        std::string error;
        EXPECT_FALSE(LoadMachine(text.dump(), target, &error));
        EXPECT_EQ(0u, error.find(row.message)) << error;
        EXPECT_TRUE(target.providers.empty());
    }
}

} // namespace
