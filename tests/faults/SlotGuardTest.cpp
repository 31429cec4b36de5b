// Every slot of both interfaces, called just after a client's object ended
// the process logger (so the next record makes it anew), with the first
// allocation the library makes in it failing: nothing is thrown, nothing is
// left behind, and a slot that allocated answers E_OUTOFMEMORY or, a getter,
// 0, with E_OUTOFMEMORY recorded; a slot that allocated nothing answers as it
// does cleanly. Where only a failure is logged, the service fails first.
#include "common/ScratchLog.h"
#include "faults/LibraryAllocations.h"
#include "faults/SweepOperations.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using kxemu::GiB;
using kxemu::MiB;

enum class Kind { Code, Answer, End };

struct Slot {
    const char* name;
    Kind kind;
    bool onPartition; // the object whose holder records
    std::function<void(Session&)> prepare;
    std::function<ULONGLONG(Session&)> call;
};

// A lookup's code; the object it hands out ends at once.
ULONGLONG Open(const std::function<HRESULT(IKXVdsPartition**)>& lookUp)
{
    IKXVdsPartition* made = nullptr;
    const HRESULT hr = lookUp(&made);
    if (hr == S_OK) made->Release();
    return ULONGLONG(hr);
}

std::function<void(Session&)> Fail(const char* method)
{
    return [method](Session& s) { s.emu.FailAlways(method, E_FAIL); };
}

// A record makes the logger anew, so that the object's end has a log to close.
void StartLogger(Session& s)
{
    DiskProperties p = {};
    s.disk->GetDiskProperties(&p);
}

const Slot kSlots[] = {
    {"Disk0Destructor", Kind::End, false, StartLogger,
     [](Session& s) {
         s.disk.release()->KXDeletingDestructor(1);
         return ULONGLONG(0);
     }},
    {"DiskGetVersion", Kind::Answer, false, nullptr, [](Session& s) { return ULONGLONG(s.disk->GetVersion()); }},
    {"Connect", Kind::Code, false, nullptr, [](Session& s) { return ULONGLONG(s.disk->Connect(1)); }},
    {"GetDiskProperties", Kind::Code, false, nullptr,
     [](Session& s) {
         DiskProperties p = {};
         return ULONGLONG(s.disk->GetDiskProperties(&p));
     }},
    {"IsConnected", Kind::Answer, false, nullptr, [](Session& s) { return ULONGLONG(s.disk->IsConnected()); }},
    {"GetPartitionCount", Kind::Answer, false, nullptr,
     [](Session& s) { return ULONGLONG(s.disk->GetPartitionCount()); }},
    {"GetPartition", Kind::Code, false, nullptr,
     [](Session& s) { return Open([&](IKXVdsPartition** p) { return s.disk->GetPartition(0, p); }); }},
    {"GetPartitionByOffset", Kind::Code, false, nullptr,
     [](Session& s) { return Open([&](IKXVdsPartition** p) { return s.disk->GetPartitionByOffset(1 * MiB, p); }); }},
    {"GetPartitionByNumber", Kind::Code, false, nullptr,
     [](Session& s) { return Open([&](IKXVdsPartition** p) { return s.disk->GetPartitionByNumber(5, p); }); }},
    {"CreatePartition", Kind::Code, false, nullptr,
     [](Session& s) {
         ULONGLONG offset = 0;
         return ULONGLONG(s.disk->CreatePartition(6 * GiB, 1 * GiB, 0x07, 0, &offset));
     }},
    {"DiskRelease", Kind::End, false, StartLogger,
     [](Session& s) {
         s.disk.release()->Release();
         return ULONGLONG(0);
     }},
    {"Partition0Destructor", Kind::End, true, StartLogger,
     [](Session& s) {
         s.partition.release()->KXDeletingDestructor(1);
         return ULONGLONG(0);
     }},
    {"PartitionGetVersion", Kind::Answer, true, nullptr,
     [](Session& s) { return ULONGLONG(s.partition->GetVersion()); }},
    {"GetVolumeName", Kind::Code, true, Fail("IVdsVolume::GetProperties"),
     [](Session& s) {
         WCHAR name[MAX_PATH];
         return ULONGLONG(s.partition->GetVolumeName(name, MAX_PATH));
     }},
    {"GetOffset", Kind::Answer, true, nullptr, [](Session& s) { return s.partition->GetOffset(); }},
    {"GetEndOffset", Kind::Answer, true, nullptr, [](Session& s) { return s.partition->GetEndOffset(); }},
    {"GetSize", Kind::Answer, true, nullptr, [](Session& s) { return s.partition->GetSize(); }},
    {"GetUsedSpace", Kind::Answer, true, Fail("IVdsVolume::GetProperties"),
     [](Session& s) { return s.partition->GetUsedSpace(); }},
    {"GetPartitionType", Kind::Answer, true, nullptr,
     [](Session& s) { return ULONGLONG(s.partition->GetPartitionType()); }},
    {"IsActive", Kind::Answer, true, nullptr, [](Session& s) { return ULONGLONG(s.partition->IsActive()); }},
    {"IsPrimary", Kind::Answer, true, nullptr, [](Session& s) { return ULONGLONG(s.partition->IsPrimary()); }},
    {"IsRecovery", Kind::Answer, true, Fail("IVdsVolume::GetProperties"),
     [](Session& s) { return ULONGLONG(s.partition->IsRecovery()); }},
    {"GetPartitionNumber", Kind::Answer, true, nullptr,
     [](Session& s) { return ULONGLONG(s.partition->GetPartitionNumber()); }},
    {"GetFirstAccessPath", Kind::Code, true, nullptr,
     [](Session& s) {
         WCHAR path[MAX_PATH];
         return ULONGLONG(s.partition->GetFirstAccessPath(path, MAX_PATH));
     }},
    {"GetNextAccessPath", Kind::Code, true,
     [](Session& s) {
         WCHAR path[MAX_PATH];
         s.partition->GetFirstAccessPath(path, MAX_PATH);
     },
     [](Session& s) {
         WCHAR path[MAX_PATH];
         return ULONGLONG(s.partition->GetNextAccessPath(path, MAX_PATH));
     }},
    {"AddMountPoint", Kind::Code, true, nullptr,
     [](Session& s) { return ULONGLONG(s.partition->AddMountPoint(KXW("C:\\mnt\\more\\"))); }},
    {"DeleteMountPoint", Kind::Code, true, nullptr,
     [](Session& s) { return ULONGLONG(s.partition->DeleteMountPoint(KXW("C:\\mnt\\media\\"))); }},
    {"Shrink", Kind::Code, true, Fail("IVdsVolume::Shrink"),
     [](Session& s) { return ULONGLONG(s.partition->Shrink(100 * MiB)); }},
    {"Format", Kind::Code, true, Fail("IVdsVolumeMF::Format"),
     [](Session& s) { return ULONGLONG(s.partition->Format(KXW("NTFS"), KXW("Fresh"), 1)); }},
    {"PartitionRelease", Kind::End, true, StartLogger,
     [](Session& s) {
         s.partition.release()->Release();
         return ULONGLONG(0);
     }},
};

void PrintTo(const Slot& slot, std::ostream* os)
{
    *os << slot.name;
}

struct Result {
    ULONGLONG answer = 0;
    unsigned int recorded = 0;
    int allocations = 0;
};

// On a fresh machine: disk 1 connected, its partition 1 opened, the logger
// ended; then the slot, with the first allocation failing when asked.
Result CallSlot(const Slot& slot, bool failFirst)
{
    Result r;
    const Operation setup{slot.name, 1, 1, Shape::Call, nullptr};
    RunOnFreshMachine(setup, [&](Session& s, Outcome&) {
        DiskPtr(GetVdsDiskInterface()).reset();
        if (slot.prepare) slot.prepare(s);
        {
            LibraryAllocations allocations(failFirst ? 1 : 0);
            EXPECT_NO_THROW(r.answer = slot.call(s));
            r.allocations = allocations.Count();
        }
        s.emu.ClearFaults();
        const CKXObject* holder = slot.onPartition ? static_cast<const CKXObject*>(s.partition.get()) : s.disk.get();
        if (holder) r.recorded = KXGetRecordedResult(holder);
    });
    return r;
}

class SlotGuard : public testing::TestWithParam<Slot> {};

TEST_P(SlotGuard, FirstAllocationFailingThrowsNothingAndAnswersOutOfMemory)
{
    const Slot& slot = GetParam();
    const ScratchLog log;
    const Result clean = CallSlot(slot, false);
    const Result failed = CallSlot(slot, true);
    if (clean.allocations == 0 || slot.kind == Kind::End) {
        EXPECT_EQ(clean.answer, failed.answer);
        EXPECT_EQ(clean.recorded, failed.recorded);
        return;
    }
    if (slot.kind == Kind::Code)
        EXPECT_EQ(E_OUTOFMEMORY, static_cast<HRESULT>(failed.answer));
    else
        EXPECT_EQ(0u, failed.answer);
    EXPECT_EQ(static_cast<unsigned int>(E_OUTOFMEMORY), failed.recorded);
}

INSTANTIATE_TEST_SUITE_P(Slots, SlotGuard, testing::ValuesIn(kSlots),
                         [](const testing::TestParamInfo<Slot>& info) { return info.param.name; });

// MinGW's runtime in the Windows module makes a thread's exception state on
// the thread's first throw, and the lock of its emergency pool on the pool's
// first use: a thread that has called the library before must still throw
// once no memory is left.
TEST(SlotGuard, ThreadOutOfMemoryAtItsFirstThrowAnswersOutOfMemory)
{
    HRESULT hr = S_OK;
    std::thread([&] {
        DiskPtr disk(GetVdsDiskInterface());
        disk->GetPartitionCount();
        DiskPtr(GetVdsDiskInterface()).reset();
        LibraryAllocations allocations(1, true);
        ULONGLONG offset = 0;
        hr = disk->CreatePartition(0, 1 * MiB, 0x07, 0, &offset);
    }).join();
    EXPECT_EQ(E_OUTOFMEMORY, hr);
}

} // namespace
