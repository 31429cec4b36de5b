// A redacted snapshot differs from the plain one in the redacted fields only,
// and in each of them where there is something to hide.
#include "emulated/DefaultMachine.h"
#include "faults/SweepMachine.h"
#include "kxemu/KXEmulator.h"
#include "kxemu/MachineFile.h"
#include "snapshot/MachineSnapshot.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <set>

namespace {

using Json = nlohmann::json;

// Boot-sector bytes that may change: FAT32's serial and label, NTFS's serial.
bool RedactableByte(size_t at)
{
    return (at >= 0x43 && at < 0x43 + 4 + 11) || (at >= 0x48 && at < 0x50);
}

// Each changed leaf, named by its key; boot sectors by changed byte.
void Diff(const Json& a, const Json& b, const std::string& key, std::map<std::string, int>& changed)
{
    if (a.is_object() && b.is_object()) {
        ASSERT_EQ(a.size(), b.size());
        for (auto it = a.begin(); it != a.end(); ++it) Diff(it.value(), b.at(it.key()), it.key(), changed);
    } else if (a.is_array() && b.is_array()) {
        ASSERT_EQ(a.size(), b.size()) << key;
        for (size_t i = 0; i < a.size(); ++i) Diff(a[i], b[i], key, changed);
    } else if (a != b) {
        if (key == "bootSector") {
            const std::string x = a.get<std::string>(), y = b.get<std::string>();
            for (size_t i = 0; i + 1 < x.size(); i += 2) {
                if (x.compare(i, 2, y, i, 2) != 0) {
                    EXPECT_TRUE(RedactableByte(i / 2)) << "boot sector byte " << i / 2;
                }
            }
        }
        ++changed[key];
    }
}

TEST(SnapshotRedaction, ChangesOnlyLabelsSerialsAndDiskNames)
{
    kxemu::KXEmulator emu;
    ASSERT_EQ(S_OK, emu.Registration());
    BuildSweepMachine(emu.Machine());
    kxemu::Machine plain, redacted;
    ASSERT_TRUE(kxvds::TakeSnapshot(plain, nullptr));
    ASSERT_TRUE(kxvds::TakeSnapshot(redacted, nullptr));
    kxvds::RedactMachine(redacted);

    std::map<std::string, int> changed;
    Diff(Json::parse(kxemu::SaveMachine(plain)), Json::parse(kxemu::SaveMachine(redacted)), "", changed);
    const std::set<std::string> allowed = {"label", "bootSector", "friendlyName", "adaptorName", "devicePath"};
    for (const auto& c : changed) EXPECT_TRUE(allowed.count(c.first)) << c.first << " changed";
    // Four labelled volumes (one FAT32, three NTFS), three disks.
    EXPECT_EQ(4, changed["label"]);
    EXPECT_EQ(4, changed["bootSector"]);
    EXPECT_EQ(3, changed["friendlyName"]);
}

} // namespace
