// Reading a disk's partition table as a client does: the count, then every
// partition by index with its volume's name, used bytes and recovery tag.
#include "BenchSupport.h"

namespace {

const int kPartitions = 8;

class TableRun : public BenchRun {
public:
    explicit TableRun(benchmark::State& state)
        : BenchRun(
              state, 0, [](kxemu::KXEmulator& emu) { BuildTableMachine(emu.Machine(), kPartitions); }, kTableDisk)
    {
        if (ready && disk->GetPartitionCount() != kPartitions) {
            state.SkipWithError("the table is not as built");
            ready = false;
        }
    }
};

void BM_GetPartitionCount(benchmark::State& state)
{
    TableRun run(state);
    if (!run.Ready()) return;
    {
        CallMeter meter(state, run.emu);
        for (auto _ : state) {
            benchmark::DoNotOptimize(run.disk->GetPartitionCount());
            meter.Tick();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPartitionCount);

// Items are partitions read.
void BM_PartitionTableWalk(benchmark::State& state)
{
    TableRun run(state);
    if (!run.Ready()) return;
    int recoveries = 0;
    {
        CallMeter meter(state, run.emu);
        KXWCHAR name[260];
        for (auto _ : state) {
            recoveries = 0;
            const int count = run.disk->GetPartitionCount();
            for (int index = 0; index < count; ++index) {
                IKXVdsPartition* raw = nullptr;
                if (run.disk->GetPartition(index, &raw) != S_OK) {
                    state.SkipWithError("GetPartition failed");
                    break;
                }
                PartitionPtr partition(raw);
                benchmark::DoNotOptimize(partition->GetVolumeName(name, 260));
                benchmark::DoNotOptimize(partition->GetUsedSpace());
                recoveries += partition->IsRecovery();
            }
            if (state.error_occurred()) break;
            meter.Tick();
        }
    }
    if (recoveries != 1 && !state.error_occurred()) state.SkipWithError("the recovery tag was not seen");
    state.SetItemsProcessed(state.iterations() * kPartitions);
}
BENCHMARK(BM_PartitionTableWalk);

} // namespace
