// Success codes other than S_OK hand out their records too: they are used
// and freed like those of S_OK.
#include "partition/PartitionTest.h"

#include <functional>

namespace {

class SuccessCodes : public PartitionTest {};

TEST_F(SuccessCodes, RecordsAreUsedAndFreed)
{
    struct Case {
        const char* method;
        HRESULT code;
        std::function<void(IKXVdsPartition*)> check;
    };
    const auto firstPathIsD = [](IKXVdsPartition* p) {
        WCHAR path[MAX_PATH] = {};
        EXPECT_EQ(S_OK, p->GetFirstAccessPath(path, MAX_PATH));
        EXPECT_EQ(0, lstrcmpW(KXW("D:\\"), path));
    };
    const auto isRecovery = [](IKXVdsPartition* p) { EXPECT_EQ(1, p->IsRecovery()); };
    // A job that was started is waited for.
    const auto waits = [this](std::function<HRESULT(IKXVdsPartition*)> operation) {
        return [this, operation](IKXVdsPartition* p) {
            const int waited = emu.Calls("IVdsAsync::Wait");
            EXPECT_EQ(S_OK, operation(p));
            EXPECT_EQ(waited + 1, emu.Calls("IVdsAsync::Wait"));
        };
    };
    const auto namesTheVolume = [](IKXVdsPartition* p) {
        WCHAR name[MAX_PATH] = {};
        EXPECT_EQ(S_OK, p->GetVolumeName(name, MAX_PATH));
        EXPECT_NE(0, name[0]);
    };
    const Case cases[] = {
        {"IVdsVolume::GetProperties", S_FALSE, namesTheVolume},
        {"IVdsVolumeMF::QueryAccessPaths", S_FALSE, firstPathIsD},
        {"IVdsVolume::Shrink", S_FALSE, waits([](IKXVdsPartition* p) { return p->Shrink(kxemu::MiB); })},
        {"IVdsVolumeMF::Format", S_FALSE,
         waits([](IKXVdsPartition* p) { return p->Format(KXW("NTFS"), KXW("Data"), 1); })},
        {"IVdsVolumeMF::GetFileSystemProperties", S_FALSE, isRecovery},
        {"IVdsVolumeMF::GetFileSystemProperties", VDS_S_PROPERTIES_INCOMPLETE, isRecovery},
    };
    AddVolume().AccessPath("D:\\").NtfsTag("RECOVERY");
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.method << " " << std::hex << c.code);
        emu.ClearFaults();
        emu.FailAlways(c.method, c.code);
        c.check(partition.get());
        EXPECT_EQ(0, emu.LiveTaskMemBlocks());
    }
}

} // namespace
