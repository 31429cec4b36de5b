// A partition object finds its volume by walking every provider, pack and
// volume and opening each candidate's device; here the wanted volume is the
// last of forty.
#include "BenchSupport.h"

namespace {

const ULONG kWantedDisk = 1;

// Two providers, three packs, forty volumes: 13 + 13 in the first provider's
// packs, 14 in the second's, the wanted disk's last logical drive last of all.
ULONG BuildMachine(kxemu::Machine& machine)
{
    kxemu::Provider& first = machine.AddProvider();
    AddDiskWithVolumes(first.AddPack(), 0, 13);
    AddDiskWithVolumes(first.AddPack(), 2, 13);
    return AddDiskWithVolumes(machine.AddProvider().AddPack(), kWantedDisk, 14);
}

void BM_GetPartitionByNumber(benchmark::State& state)
{
    ScratchDirectory directory;
    kxemu::KXEmulator emu;
    if (!EmulatorReady(state, emu)) return;
    const ULONG wanted = BuildMachine(emu.Machine());
    DiskPtr disk(GetVdsDiskInterface());
    if (disk->Connect(static_cast<int>(kWantedDisk)) != S_OK) {
        state.SkipWithError("Connect failed");
        return;
    }
    {
        CallMeter meter(state, emu);
        for (auto _ : state) {
            IKXVdsPartition* found = nullptr;
            if (disk->GetPartitionByNumber(wanted, &found) != S_OK ||
                KXGetRecordedResult(found) != 0) {
                if (found) found->Release();
                state.SkipWithError("the wanted partition or its volume was not found");
                break;
            }
            found->Release();
            meter.Tick();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPartitionByNumber);

} // namespace
