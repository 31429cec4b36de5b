// A partition object finds its volume by walking every provider, pack and
// volume and opening each candidate's device; here the wanted volume is the
// last of forty.
#include "BenchSupport.h"

namespace {

void BM_GetPartitionByNumber(benchmark::State& state)
{
    ScratchDirectory directory;
    kxemu::KXEmulator emu;
    if (!EmulatorReady(state, emu)) return;
    const ULONG wanted = BuildLookupMachine(emu.Machine());
    DiskPtr disk(GetVdsDiskInterface());
    if (disk->Connect(static_cast<int>(kLookupDisk)) != S_OK) {
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
