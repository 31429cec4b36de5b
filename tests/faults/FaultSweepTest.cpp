// Every public operation on a realistic machine, run once cleanly and then
// once per call it made to the service or the devices, with that one call
// failed in each way that applies, each run on a fresh machine. Every run
// must end with nothing left behind, and a run that reports success must
// leave the outcome of the clean run, or one of the fallbacks that the
// library promises (listed in Fallback).
#include "common/DiskHandles.h"
#include "kxemu/KXEmulator.h"
#include "kxemu/MachineFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>
#include <set>
#include <string>
#include <vector>

namespace {

using kxemu::Fault;
using kxemu::FaultKind;
using kxemu::GiB;
using kxemu::MiB;

// What an operation leaves behind, as far as a caller can tell.
struct Outcome {
    bool succeeded = true;
    std::string result;   // "ok", a failure code, or a getter's value
    std::string output;   // what it handed out
    std::string volume;   // the volume a handed-out partition object found
    std::string machine;  // the machine afterwards, new volumes without their paths
    std::string newPaths; // the access paths of volumes the operation made

    bool operator==(const Outcome& o) const
    {
        return succeeded == o.succeeded && result == o.result && output == o.output && volume == o.volume &&
               machine == o.machine && newPaths == o.newPaths;
    }
};

enum class Fallback {
    None,
    GetterAnswersZero,      // a getter's answer when it cannot tell
    ObjectWithoutVolume,    // a partition object handed out although Init failed
    PartitionWithoutLetter, // created, but mounting failed or found the letter in use
    LaterAttempt,           // a failed attempt retried 2 MiB further on
};
const char* const kFallbackNames[] = {"none", "getter answers 0", "object without its volume",
                                      "partition without the clean run's letter", "later attempt"};

struct Session {
    kxemu::KXEmulator& emu;
    DiskPtr disk;
    PartitionPtr partition;
};

enum class Shape { Call, Getter, Lookup, Creation };

struct Operation {
    const char* name;
    int disk;           // connected first; -1 for none
    ULONG partition;    // opened by number first; 0 for none
    Shape shape;
    std::function<void(Session&, Outcome&)> run;
};

std::string Hex(ULONGLONG v)
{
    std::ostringstream text;
    text << std::uppercase << std::hex << v;
    return text.str();
}

std::string Narrow(const WCHAR* text)
{
    std::string s;
    for (; *text; ++text) s += static_cast<char>(*text);
    return s;
}

void Returned(Outcome& out, HRESULT hr)
{
    out.succeeded = SUCCEEDED(hr);
    out.result = out.succeeded ? "ok" : Hex(static_cast<unsigned>(hr));
}

// Offset, size, type, flags and number of a partition object; its volume apart.
void Describe(IKXVdsPartition* p, Outcome& out)
{
    out.output = Hex(p->GetOffset()) + " " + Hex(p->GetSize()) + " " + std::to_string(p->GetPartitionType()) + " " +
                 std::to_string(p->IsActive()) + " " + std::to_string(p->IsPrimary()) + " " +
                 std::to_string(p->GetPartitionNumber());
    WCHAR name[MAX_PATH] = {};
    if (p->GetVolumeName(name, MAX_PATH) == S_OK) out.volume = Narrow(name);
}

// Disk 1 of the second provider is the one worked on: a FAT32 primary with
// a letter and a mount folder, an extended partition with two NTFS logical
// drives, a primary without a file system. Disk 0 holds C:, disk 2 is blank,
// D: is a CD-ROM drive.
void BuildMachine(kxemu::KXEmulator& emu)
{
    kxemu::Machine& m = emu.Machine();
    emu.TakeLetter('D', DRIVE_CDROM);
    kxemu::Disk& system = m.AddProvider().AddPack().AddDisk(0, 64 * GiB);
    system.AddPartition(1, 1 * MiB, 500 * MiB, 0x07, true);
    system.AddVolume(1).FileSystem(VDS_FST_NTFS, "System").AccessPath("C:\\");

    kxemu::Provider& second = m.AddProvider();
    kxemu::Disk& data = second.AddPack().AddDisk(1, 64 * GiB);
    data.AddPartition(1, 1 * MiB, 1 * GiB - 1 * MiB, 0x0C);
    data.AddVolume(1).FileSystem(VDS_FST_FAT32, "Media").Used(100 * MiB).AccessPath("E:\\").AccessPath(
        "C:\\mnt\\media\\");
    data.AddPartition(2, 1 * GiB, 4 * GiB, 0x0F);
    data.AddPartition(5, 1 * GiB + 1 * MiB, 1 * GiB, 0x07);
    data.AddVolume(5).FileSystem(VDS_FST_NTFS, "Rescue").NtfsTag("RECOVERY").Used(200 * MiB).AccessPath("F:\\");
    data.AddPartition(6, 2 * GiB + 2 * MiB, 1 * GiB, 0x07);
    data.AddVolume(6).FileSystem(VDS_FST_NTFS, "Logs");
    data.AddPartition(3, 10 * GiB, 1 * GiB, 0x07);
    data.AddVolume(3);
    second.AddPack().AddDisk(2, 8 * GiB);
}

void Create(Session& s, Outcome& out, ULONGLONG offset, ULONGLONG size)
{
    ULONGLONG newOffset = 0x5A5A5A5A5A5A5A5AULL;
    Returned(out, s.disk->CreatePartition(offset, size, 0x07, 0, &newOffset));
    out.output = Hex(newOffset);
}

void Lookup(Outcome& out, const std::function<HRESULT(IKXVdsPartition**)>& lookUp)
{
    IKXVdsPartition* made = nullptr;
    const HRESULT hr = lookUp(&made);
    Returned(out, hr);
    PartitionPtr object(hr == S_OK ? made : nullptr);
    if (object) Describe(object.get(), out);
}

const Operation kOperations[] = {
    {"Connect", -1, 0, Shape::Call,
     [](Session& s, Outcome& out) {
         Returned(out, s.disk->Connect(1));
         out.output = std::to_string(s.disk->IsConnected());
     }},
    {"GetDiskProperties", 1, 0, Shape::Call,
     [](Session& s, Outcome& out) {
         DiskProperties p = {};
         Returned(out, s.disk->GetDiskProperties(&p));
         out.output = Hex(p.ullSize) + " " + std::to_string(p.ulBytesPerSector) + " " +
                      std::to_string(p.ulSectorsPerTrack) + " " + std::to_string(p.ulTracksPerCylinder);
     }},
    {"GetPartitionCount", 1, 0, Shape::Getter,
     [](Session& s, Outcome& out) { out.result = std::to_string(s.disk->GetPartitionCount()); }},
    {"GetPartition", 1, 0, Shape::Lookup,
     [](Session& s, Outcome& out) { Lookup(out, [&](IKXVdsPartition** p) { return s.disk->GetPartition(2, p); }); }},
    {"GetPartitionByOffset", 1, 0, Shape::Lookup,
     [](Session& s, Outcome& out) {
         Lookup(out, [&](IKXVdsPartition** p) { return s.disk->GetPartitionByOffset(1 * MiB, p); });
     }},
    {"GetPartitionByNumber", 1, 0, Shape::Lookup,
     [](Session& s, Outcome& out) {
         Lookup(out, [&](IKXVdsPartition** p) { return s.disk->GetPartitionByNumber(6, p); });
     }},
    {"CreatePrimaryPartition", 1, 0, Shape::Creation,
     [](Session& s, Outcome& out) { Create(s, out, 6 * GiB, 1 * GiB); }},
    {"CreateLogicalDrive", 1, 0, Shape::Creation,
     [](Session& s, Outcome& out) { Create(s, out, 4 * GiB, 512 * MiB); }},
    {"CreatePartitionOnBlankDisk", 2, 0, Shape::Creation,
     [](Session& s, Outcome& out) { Create(s, out, 1 * MiB, 1 * GiB); }},
    {"GetVolumeName", 1, 5, Shape::Call,
     [](Session& s, Outcome& out) {
         WCHAR name[MAX_PATH] = {'#', 0};
         Returned(out, s.partition->GetVolumeName(name, MAX_PATH));
         out.output = Narrow(name);
     }},
    {"GetUsedSpace", 1, 5, Shape::Getter,
     [](Session& s, Outcome& out) { out.result = Hex(s.partition->GetUsedSpace()); }},
    {"IsRecovery", 1, 5, Shape::Getter,
     [](Session& s, Outcome& out) { out.result = std::to_string(s.partition->IsRecovery()); }},
    {"AccessPathWalk", 1, 1, Shape::Call,
     [](Session& s, Outcome& out) {
         WCHAR path[MAX_PATH] = {'#', 0};
         Returned(out, s.partition->GetFirstAccessPath(path, MAX_PATH));
         out.output = Narrow(path);
         while (s.partition->GetNextAccessPath(path, MAX_PATH) == S_OK) out.output += "|" + Narrow(path);
     }},
    {"AddMountPoint", 1, 6, Shape::Call,
     [](Session& s, Outcome& out) { Returned(out, s.partition->AddMountPoint(KXW("G:\\"))); }},
    {"DeleteMountPoint", 1, 1, Shape::Call,
     [](Session& s, Outcome& out) { Returned(out, s.partition->DeleteMountPoint(KXW("C:\\mnt\\media\\"))); }},
    {"Shrink", 1, 5, Shape::Call,
     [](Session& s, Outcome& out) { Returned(out, s.partition->Shrink(100 * MiB)); }},
    {"Format", 1, 6, Shape::Call,
     [](Session& s, Outcome& out) { Returned(out, s.partition->Format(KXW("NTFS"), KXW("Fresh"), 1)); }},
};

bool HandsOutEnumeration(const std::string& m)
{
    return m == "IVdsService::QueryProviders" || m == "IVdsSwProvider::QueryPacks" || m == "IVdsPack::QueryDisks" ||
           m == "IVdsPack::QueryVolumes";
}

bool StartsJob(const std::string& m)
{
    return m == "IVdsCreatePartitionEx::CreatePartitionEx" || m == "IVdsVolume::Shrink" || m == "IVdsVolumeMF::Format";
}

// Every way in which one call can go wrong, or answer a success code that
// the service documents.
std::vector<Fault> FaultsFor(const std::string& m)
{
    auto ret = [](HRESULT code) { return Fault{FaultKind::Return, code, 0}; };
    // Device calls: the code is a Win32 error, or the drive type reported.
    if (m == "GetDriveTypeW") return {ret(DRIVE_UNKNOWN), ret(DRIVE_NO_ROOT_DIR)};
    if (m == "CreateFileW" || m == "DeviceIoControl" || m == "ReadFile" || m == "GetDiskFreeSpaceExW")
        return {ret(ERROR_ACCESS_DENIED), ret(ERROR_NOT_READY)};

    std::vector<Fault> faults = {ret(E_FAIL), ret(E_OUTOFMEMORY)};
    if (m != "IEnumVdsObject::Next") faults.push_back(ret(S_FALSE));
    if (m.find("GetProperties") != std::string::npos || m == "IVdsVolumeMF::GetFileSystemProperties")
        faults.push_back(ret(VDS_S_PROPERTIES_INCOMPLETE));
    if (HandsOutEnumeration(m) || StartsJob(m) || m == "IVdsServiceLoader::LoadService")
        faults.push_back(Fault{FaultKind::NullObject, S_OK, 0});
    if (HandsOutEnumeration(m)) {
        faults.push_back(Fault{FaultKind::EnumFailsAfter, E_FAIL, 0});
        faults.push_back(Fault{FaultKind::EnumFailsAfter, E_FAIL, 1});
    }
    if (StartsJob(m)) faults.push_back(Fault{FaultKind::OperationResult, E_FAIL, 0});
    if (m == "IVdsAsync::QueryStatus") faults.push_back(Fault{FaultKind::ReportedStatus, E_FAIL, 0});
    return faults;
}

struct Injected {
    std::string method;
    int nth = 0;
    Fault fault;
};

std::string Text(const Injected& i)
{
    const char* const kinds[] = {"returns", "null object", "enumeration fails after", "job fails", "status"};
    std::ostringstream text;
    text << i.method << " #" << i.nth << " " << kinds[static_cast<int>(i.fault.kind)] << " ";
    if (i.fault.kind == FaultKind::EnumFailsAfter) text << i.fault.objects << " with ";
    text << Hex(static_cast<unsigned>(i.fault.code));
    return text.str();
}

// One run on a fresh machine; `calls` receives the operation's own call log.
Outcome RunOnce(const Operation& op, const Injected* injected, std::vector<std::string>* calls)
{
    Outcome out;
    kxemu::KXEmulator emu;
    EXPECT_EQ(S_OK, emu.Registration());
    BuildMachine(emu);
    {
        Session s{emu, DiskPtr(GetVdsDiskInterface()), PartitionPtr()};
        if (!s.disk) {
            ADD_FAILURE() << "no disk object";
            return out;
        }
        if (op.disk >= 0) {
            EXPECT_EQ(S_OK, s.disk->Connect(op.disk));
        }
        if (op.partition) {
            IKXVdsPartition* p = nullptr;
            EXPECT_EQ(S_OK, s.disk->GetPartitionByNumber(op.partition, &p));
            s.partition.reset(p);
        }
        std::set<std::string> before;
        for (const auto& provider : emu.Machine().providers)
            for (const auto& pack : provider->packs)
                for (const auto& v : pack->volumes) before.insert(v->name);

        emu.ResetCalls();
        if (injected) emu.Inject(injected->method, injected->nth, injected->fault);
        op.run(s, out);
        if (calls) *calls = emu.CallLog();
        emu.ClearFaults();

        for (const auto& provider : emu.Machine().providers)
            for (const auto& pack : provider->packs)
                for (const auto& v : pack->volumes)
                    if (!before.count(v->name)) {
                        for (const std::string& p : v->accessPaths) out.newPaths += p + "|";
                        v->accessPaths.clear();
                    }
        out.machine = kxemu::SaveMachine(emu.Machine());
    }
    // Every object of the library is gone: the service must have all back.
    for (const kxemu::LiveObject& live : emu.LiveObjectList())
        ADD_FAILURE() << "live " << live.kind << " with " << live.references << " references";
    EXPECT_EQ(0, emu.LiveTaskMemBlocks()) << "CoTaskMem blocks left";
    EXPECT_EQ(0, emu.OpenDeviceHandles());
    return out;
}

Fallback Judge(const Operation& op, const Outcome& clean, const Outcome& run, const Injected& injected)
{
    if (!run.succeeded || run == clean) return Fallback::None;
    switch (op.shape) {
    case Shape::Getter:
        if (run.result == "0") return Fallback::GetterAnswersZero;
        break;
    case Shape::Lookup:
        if (run.volume.empty() && run.output == clean.output && run.machine == clean.machine)
            return Fallback::ObjectWithoutVolume;
        break;
    case Shape::Creation: {
        // A drive type other than "no root directory" says the letter is in use.
        const bool letterTaken = injected.method == "GetDriveTypeW" && !run.newPaths.empty();
        if (run.output == clean.output && run.machine == clean.machine && (run.newPaths.empty() || letterTaken))
            return Fallback::PartitionWithoutLetter;
        const bool attempt = StartsJob(injected.method) || injected.method.rfind("IVdsAsync::", 0) == 0;
        if (attempt && run.output == Hex(std::stoull(clean.output, nullptr, 16) + 2 * MiB))
            return Fallback::LaterAttempt;
        break;
    }
    case Shape::Call:
        break;
    }
    ADD_FAILURE() << "success with another outcome: " << run.result << " " << run.output << " [" << run.volume
                  << "] new paths " << run.newPaths << (run.machine == clean.machine ? "" : ", machine differs")
                  << "\n clean: " << clean.result << " " << clean.output << " [" << clean.volume << "] new paths "
                  << clean.newPaths;
    return Fallback::None;
}

// Names the operation in test names and messages.
void PrintTo(const Operation& op, std::ostream* os)
{
    *os << op.name;
}

class FaultSweep : public testing::TestWithParam<Operation> {};

TEST_P(FaultSweep, EverySingleFaultIsSurvivedAndNeverCalledSuccess)
{
    const Operation& op = GetParam();
    std::vector<std::string> calls;
    const Outcome clean = RunOnce(op, nullptr, &calls);
    ASSERT_TRUE(clean.succeeded) << clean.result;
    ASSERT_FALSE(calls.empty());

    std::map<std::string, int> seen;
    int runs = 0;
    int fallbacks[5] = {};
    for (const std::string& method : calls) {
        const int nth = ++seen[method];
        for (const Fault& fault : FaultsFor(method)) {
            const Injected injected{method, nth, fault};
            SCOPED_TRACE(Text(injected));
            const Outcome run = RunOnce(op, &injected, nullptr);
            ++fallbacks[static_cast<int>(Judge(op, clean, run, injected))];
            ++runs;
            if (HasFailure()) return;
        }
    }
    std::string allowed;
    for (int f = 1; f < 5; ++f)
        if (fallbacks[f]) allowed += std::string(", ") + kFallbackNames[f] + ": " + std::to_string(fallbacks[f]);
    std::printf("%s: %d calls, %d faults injected%s\n", op.name, static_cast<int>(calls.size()), runs,
                allowed.c_str());
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep, testing::ValuesIn(kOperations),
                         [](const testing::TestParamInfo<Operation>& info) { return info.param.name; });

} // namespace
