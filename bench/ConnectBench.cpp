// Connect walks providers, packs and disks in the service's order until it
// meets the wanted disk; here that disk comes last.
#include "BenchSupport.h"

namespace {

void BM_Connect(benchmark::State& state)
{
    ScratchDirectory directory;
    kxemu::KXEmulator emu;
    if (!EmulatorReady(state, emu)) return;
    BuildConnectMachine(emu.Machine());
    DiskPtr disk(GetVdsDiskInterface());
    {
        CallMeter meter(state, emu);
        for (auto _ : state) {
            if (disk->Connect(kConnectDisk) != S_OK) {
                state.SkipWithError("Connect failed");
                break;
            }
            meter.Tick();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Connect);

} // namespace
