// The library beside the minimal client that makes the same calls: connect,
// lookup and table walk on the shared machines, with logging off and on, and
// lookup and walk as the machine grows. Each benchmark first checks, call by
// call in the emulator's log, that both clients made the same service and
// device calls, then times them in interleaved rounds (one iteration holds
// all rounds; its time is the library's median per operation).
#include "BenchSupport.h"
#include "MinimalClient.h"
#include "Rounds.h"

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kLogEverything = 11;

struct CallRecord {
    std::vector<std::string> log;
    std::vector<kxemu::DeviceCall> devices;
};

CallRecord Capture(kxemu::KXEmulator& emu, const std::function<void()>& operation)
{
    emu.ResetCalls();
    operation();
    CallRecord record{emu.CallLog(), emu.DeviceCalls()};
    emu.ResetCalls();
    return record;
}

bool SameDeviceCall(const kxemu::DeviceCall& a, const kxemu::DeviceCall& b)
{
    return a.path == b.path && a.access == b.access && a.code == b.code && a.outSize == b.outSize &&
           a.offset == b.offset;
}

// "" when both made the same calls in the same order, else where they part.
std::string Difference(const CallRecord& library, const CallRecord& client)
{
    std::ostringstream out;
    for (size_t i = 0; i < library.log.size() || i < client.log.size(); ++i) {
        const std::string a = i < library.log.size() ? library.log[i] : "(none)";
        const std::string b = i < client.log.size() ? client.log[i] : "(none)";
        if (a != b) {
            out << "call " << i + 1 << ": library " << a << ", minimal client " << b;
            return out.str();
        }
    }
    for (size_t i = 0; i < library.devices.size() || i < client.devices.size(); ++i) {
        if (i >= library.devices.size() || i >= client.devices.size() ||
            !SameDeviceCall(library.devices[i], client.devices[i])) {
            out << "device call " << i + 1 << " differs in its arguments";
            return out.str();
        }
    }
    return std::string();
}

struct Comparison {
    std::string section;
    std::string name;
    std::string goal;
    std::function<void()> library;
    std::function<void()> client;
};

void Compare(benchmark::State& state, kxemu::KXEmulator& emu, const Comparison& c)
{
    const CallRecord library = Capture(emu, c.library);
    const std::string difference = Difference(library, Capture(emu, c.client));
    if (!difference.empty()) {
        state.SkipWithError(("the clients' calls differ: " + difference).c_str());
        return;
    }
    for (auto _ : state) {
        const PairTiming t = TimePair(c.library, c.client, RoundsWanted(), [&emu] { emu.ResetCalls(); });
        state.SetIterationTime(t.first);
        state.counters["library_us"] = t.first * 1e6;
        state.counters["minimal_us"] = t.second * 1e6;
        state.counters["ratio"] = t.ratio;
        state.counters["calls"] = static_cast<double>(library.log.size());
        AddSummaryRow(SummaryRow{c.section, c.name, t.first, t.second, t.ratio,
                                 static_cast<double>(library.log.size()), c.goal});
    }
}

std::string Logging(benchmark::State& state)
{
    return state.range(0) ? ", LogLevel=11" : ", logging off";
}

// A run of the library with the minimal client beside it, both connected.
class Clients : public BenchRun {
public:
    Clients(benchmark::State& state, int logLevel, const std::function<void(kxemu::Machine&)>& build, int diskNumber)
        : BenchRun(
              state, logLevel, [&build](kxemu::KXEmulator& emu) { build(emu.Machine()); }, diskNumber)
    {
        if (ready && (client.Connect(diskNumber) != S_OK || withLogLookup.Connect(diskNumber) != S_OK)) {
            state.SkipWithError("the minimal client's Connect failed");
            ready = false;
        }
    }

    minimal::Client client;
    minimal::Client withLogLookup{true};
};

void LookUp(IKXVdsDisk* disk, ULONG number)
{
    IKXVdsPartition* found = nullptr;
    if (disk->GetPartitionByNumber(number, &found) == S_OK) found->Release();
}

int Walk(IKXVdsDisk* disk)
{
    KXWCHAR name[260];
    int recoveries = 0;
    const int count = disk->GetPartitionCount();
    for (int index = 0; index < count; ++index) {
        IKXVdsPartition* raw = nullptr;
        if (disk->GetPartition(index, &raw) != S_OK) break;
        PartitionPtr partition(raw);
        benchmark::DoNotOptimize(partition->GetVolumeName(name, 260));
        benchmark::DoNotOptimize(partition->GetUsedSpace());
        recoveries += partition->IsRecovery();
    }
    return recoveries;
}

void BM_Ratio_Connect(benchmark::State& state)
{
    Clients run(state, state.range(0) ? kLogEverything : 0, BuildConnectMachine, kConnectDisk);
    if (!run.Ready()) return;
    Compare(state, run.emu,
            {"Overhead", "connect (6 disks)" + Logging(state), state.range(0) ? "" : "<= 1.15",
             [&run] { benchmark::DoNotOptimize(run.disk->Connect(kConnectDisk)); },
             [&run] { benchmark::DoNotOptimize(run.client.Connect(kConnectDisk)); }});
}
BENCHMARK(BM_Ratio_Connect)->ArgName("logging")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime();

void BM_Ratio_Lookup(benchmark::State& state)
{
    ULONG wanted = 0;
    Clients run(
        state, state.range(0) ? kLogEverything : 0, [&wanted](kxemu::Machine& m) { wanted = BuildLookupMachine(m); },
        static_cast<int>(kLookupDisk));
    if (!run.Ready()) return;
    Compare(state, run.emu,
            {"Overhead", "lookup (40 volumes)" + Logging(state), state.range(0) ? "" : "<= 1.10",
             [&run, wanted] { LookUp(run.disk.get(), wanted); },
             [&run, wanted] { benchmark::DoNotOptimize(run.client.LookUpByNumber(wanted)); }});
}
BENCHMARK(BM_Ratio_Lookup)->ArgName("logging")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime();

// The table of the overhead walks: 8 partitions, one of them a recovery volume.
void BuildWalkMachine(kxemu::Machine& m)
{
    BuildTableMachine(m, 8);
}

void BM_Ratio_Walk(benchmark::State& state)
{
    Clients run(state, state.range(0) ? kLogEverything : 0, BuildWalkMachine, kTableDisk);
    if (!run.Ready()) return;
    if (Walk(run.disk.get()) != 1 || run.client.WalkTable() != 1) {
        state.SkipWithError("the recovery tag was not seen");
        return;
    }
    Compare(state, run.emu,
            {"Overhead", "table walk (8 partitions)" + Logging(state), state.range(0) ? "" : "<= 1.20",
             [&run] { benchmark::DoNotOptimize(Walk(run.disk.get())); },
             [&run] { benchmark::DoNotOptimize(run.client.WalkTable()); }});
}
BENCHMARK(BM_Ratio_Walk)->ArgName("logging")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime();

// Every partition object's logger looks for KX_LOG.INI, however little it then
// logs; the minimal client makes that lookup too here, so what is left is
// the library's own.
const char* const kBeyondLogLookup = "Overhead beyond the KX_LOG.INI lookup";

void BM_BeyondLogLookup_Lookup(benchmark::State& state)
{
    ULONG wanted = 0;
    Clients run(
        state, 0, [&wanted](kxemu::Machine& m) { wanted = BuildLookupMachine(m); }, static_cast<int>(kLookupDisk));
    if (!run.Ready()) return;
    Compare(state, run.emu,
            {kBeyondLogLookup, "lookup (40 volumes), logging off", "<= 1.10",
             [&run, wanted] { LookUp(run.disk.get(), wanted); },
             [&run, wanted] { benchmark::DoNotOptimize(run.withLogLookup.LookUpByNumber(wanted)); }});
}
BENCHMARK(BM_BeyondLogLookup_Lookup)->Iterations(1)->UseManualTime();

void BM_BeyondLogLookup_Walk(benchmark::State& state)
{
    Clients run(state, 0, BuildWalkMachine, kTableDisk);
    if (!run.Ready()) return;
    Compare(state, run.emu,
            {kBeyondLogLookup, "table walk (8 partitions), logging off", "<= 1.20",
             [&run] { benchmark::DoNotOptimize(Walk(run.disk.get())); },
             [&run] { benchmark::DoNotOptimize(run.withLogLookup.WalkTable()); }});
}
BENCHMARK(BM_BeyondLogLookup_Walk)->Iterations(1)->UseManualTime();

// The wanted volume is the last of `volumes` on one disk.
void BM_Scaling_Lookup(benchmark::State& state)
{
    const int volumes = static_cast<int>(state.range(0));
    ULONG wanted = 0;
    Clients run(
        state, 0,
        [&wanted, volumes](kxemu::Machine& m) {
            wanted = AddDiskWithVolumes(m.AddProvider().AddPack(), kLookupDisk, volumes);
        },
        static_cast<int>(kLookupDisk));
    if (!run.Ready()) return;
    Compare(state, run.emu,
            {"Scaling: lookup, wanted volume last", "volumes " + std::to_string(volumes),
             volumes == 1000 ? "<= 2 (exponent <= 1.1)" : "", [&run, wanted] { LookUp(run.disk.get(), wanted); },
             [&run, wanted] { benchmark::DoNotOptimize(run.client.LookUpByNumber(wanted)); }});
}
BENCHMARK(BM_Scaling_Lookup)->ArgName("volumes")->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Iterations(1)->UseManualTime();

void BM_Scaling_Walk(benchmark::State& state)
{
    const int partitions = static_cast<int>(state.range(0));
    Clients run(
        state, 0, [partitions](kxemu::Machine& m) { BuildTableMachine(m, partitions); }, kTableDisk);
    if (!run.Ready()) return;
    Compare(state, run.emu,
            {"Scaling: table walk", "partitions " + std::to_string(partitions), "",
             [&run] { benchmark::DoNotOptimize(Walk(run.disk.get())); },
             [&run] { benchmark::DoNotOptimize(run.client.WalkTable()); }});
}
BENCHMARK(BM_Scaling_Walk)->ArgName("partitions")->Arg(1)->Arg(8)->Arg(32)->Arg(100)->Iterations(1)->UseManualTime();

} // namespace
