// What the log costs a client: the same public calls with logging off (no
// KX_LOG.INI: errors are still composed, nothing is written) and on
// (LogLevel 11: errors, warnings and traces written), and the record
// formatter on its own.
#include "BenchSupport.h"

#include <cstdarg>

namespace {

using kxemu::GiB;

const int kDiskNumber = 1;
const int kLogEverything = 11;

// Logging on or off for the run, on one disk; with `failQueryDisks` every
// Connect writes one error record.
class LoggedRun : public BenchRun {
public:
    LoggedRun(benchmark::State& state, bool failQueryDisks)
        : BenchRun(
              state, state.range(0) ? kLogEverything : 0,
              [failQueryDisks](kxemu::KXEmulator& emu) {
                  emu.Machine().AddProvider().AddPack().AddDisk(kDiskNumber, 64 * GiB);
                  if (failQueryDisks) emu.FailAlways("IVdsPack::QueryDisks", E_FAIL);
              },
              kDiskNumber, failQueryDisks ? E_NOINTERFACE : S_OK)
    {
    }
};

// One error record per iteration: "IVdsPack::QueryDisks failed (...)".
void BM_LogError_FailedConnect(benchmark::State& state)
{
    LoggedRun run(state, true);
    if (!run.Ready()) return;
    {
        CallMeter meter(state, run.emu);
        for (auto _ : state) {
            benchmark::DoNotOptimize(run.disk->Connect(kDiskNumber));
            meter.Tick();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogError_FailedConnect)->ArgName("logging")->Arg(0)->Arg(1);

// One trace record per iteration: "Disk properties: BPS: ...".
void BM_LogTrace_GetDiskProperties(benchmark::State& state)
{
    LoggedRun run(state, false);
    if (!run.Ready()) return;
    {
        CallMeter meter(state, run.emu);
        DiskProperties properties;
        for (auto _ : state) {
            benchmark::DoNotOptimize(run.disk->GetDiskProperties(&properties));
            meter.Tick();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogTrace_GetDiskProperties)->ArgName("logging")->Arg(0)->Arg(1);

int FormatRecord(WCHAR* out, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = wvsprintfW(out, format, args);
    va_end(args);
    return length;
}

// The expansion every record goes through, in the platform layer's formatter.
void BM_wvsprintfW_Record(benchmark::State& state)
{
    WCHAR out[1024];
    const HRESULT hr = E_FAIL;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatRecord(out, KXW("IVdsPack::QueryDisks failed (%u - %8.8X)"),
                                              static_cast<unsigned>(hr), static_cast<unsigned>(hr)));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_wvsprintfW_Record);

} // namespace
