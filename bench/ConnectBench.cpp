// Connect walks providers, packs and disks in the service's order until it
// meets the wanted disk; here that disk comes last.
#include "BenchSupport.h"

namespace {

using kxemu::GiB;

const int kWantedDisk = 5;

// Three providers, four packs, six disks: {0, 1} {2} | {3, 4} | {5}.
void BuildMachine(kxemu::Machine& machine)
{
    kxemu::Provider& first = machine.AddProvider();
    kxemu::Pack& a = first.AddPack();
    a.AddDisk(0, 256 * GiB);
    a.AddDisk(1, 1024 * GiB);
    first.AddPack().AddDisk(2, 64 * GiB);
    kxemu::Pack& c = machine.AddProvider().AddPack();
    c.AddDisk(3, 128 * GiB);
    c.AddDisk(4, 128 * GiB);
    machine.AddProvider().AddPack().AddDisk(kWantedDisk, 64 * GiB);
}

void BM_Connect(benchmark::State& state)
{
    ScratchDirectory directory;
    kxemu::KXEmulator emu;
    if (!EmulatorReady(state, emu)) return;
    BuildMachine(emu.Machine());
    DiskPtr disk(GetVdsDiskInterface());
    {
        CallMeter meter(state, emu);
        for (auto _ : state) {
            if (disk->Connect(kWantedDisk) != S_OK) {
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
