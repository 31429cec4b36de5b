// Machine files: what is saved comes back.
#include "kxemu/Machine.h"
#include "kxemu/MachineFile.h"

#include <gtest/gtest.h>

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
    d.AddGptPartition(7, 400 * MiB, 10 * MiB,
                      GUID{0xebd0a0a2, 0xb9e5, 0x4433, {0x87, 0xc0, 0x68, 0xb6, 0xb7, 0x26, 0x99, 0xc7}});
    d.AddVolume(1).FileSystem(VDS_FST_NTFS, "Système").Used(5 * MiB).AccessPath("E:\\").AccessPath("C:\\mnt\\");
    Volume& v = d.AddVolume(2);
    v.propertiesResult = VDS_S_PROPERTIES_INCOMPLETE;
    v.status = VDS_VS_OFFLINE;
    v.NtfsTag("RECOVERY");
    m.TakeLetter('D', DRIVE_CDROM);
    m.autoAssignLetters = true;
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
    ASSERT_EQ(3u, d->partitions.size());
    EXPECT_EQ(2u, d->partitions[0].number);
    EXPECT_EQ(VDS_PST_GPT, d->partitions[2].style);
    EXPECT_FALSE(d->createPartitionExInterface);
    Volume* v = loaded.FindVolumeOnPartition(3, 1);
    ASSERT_NE(nullptr, v);
    EXPECT_EQ("Système", v->label);
    EXPECT_EQ(original.FindVolumeOnPartition(3, 1)->bootSector, v->bootSector);
    EXPECT_EQ(DRIVE_CDROM, loaded.LetterType('D'));
    EXPECT_EQ(VDS_S_PROPERTIES_INCOMPLETE, loaded.FindVolumeOnPartition(3, 2)->propertiesResult);
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
        good.substr(0, good.size() / 2),
        good + "x",
        std::string(good).replace(good.find("\"version\": 1"), 12, "\"version\": 9"),
        std::string(good).replace(good.find("\"size\": "), 8, "\"size\": -"),
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

} // namespace
