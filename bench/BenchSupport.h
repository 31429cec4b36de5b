// What every benchmark shares: an emulated machine in a scratch current
// directory, the disk object as a client holds it, and a meter of the calls
// the library makes to the service.
#pragma once

#include "KXVdsDisks.h"
#include "kxemu/KXEmulator.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <memory>

// A fresh current directory for the run, so that the logger sees exactly the
// configuration the benchmark asks for; the previous one comes back after.
class ScratchDirectory {
public:
    // logLevel 0 writes no KX_LOG.INI: logging stays off.
    explicit ScratchDirectory(int logLevel = 0);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

private:
    std::filesystem::path previous;
    std::filesystem::path directory;
};

struct KXReleaser {
    template <class T>
    void operator()(T* object) const
    {
        object->Release();
    }
};
using DiskPtr = std::unique_ptr<IKXVdsDisk, KXReleaser>;
using PartitionPtr = std::unique_ptr<IKXVdsPartition, KXReleaser>;

// A scratch directory (with KX_LOG.INI at `logLevel`, 0 for none), an
// emulator whose machine and faults `build` makes, and the library's disk
// object, whose Connect to `diskNumber` must give `expected`. The directory
// comes first: the configuration is read when the disk's logger starts.
class BenchRun {
public:
    BenchRun(benchmark::State& state, int logLevel, const std::function<void(kxemu::KXEmulator&)>& build,
             int diskNumber, HRESULT expected = S_OK);
    bool Ready() const { return ready; }

    ScratchDirectory directory;
    kxemu::KXEmulator emu;
    DiskPtr disk{GetVdsDiskInterface()};

protected:
    bool ready = false;
};

// A disk of at least 64 GiB: a primary partition 1 with a volume and, for
// more than one volume, an extended partition 2 whose logical drives,
// numbered from 5, carry the others; every volume is NTFS. Returns the number
// of the last partition with a volume.
ULONG AddDiskWithVolumes(kxemu::Pack& pack, ULONG diskNumber, int volumes);

// The volumes a table of `partitions` partitions has (all but the container).
int VolumesForPartitions(int partitions);

// The machines the benchmarks share.
const int kConnectDisk = 5;
const ULONG kLookupDisk = 1;
const int kTableDisk = 1;
// Three providers, four packs, six disks: {0, 1} {2} | {3, 4} | {5}; the
// wanted disk comes last.
void BuildConnectMachine(kxemu::Machine& machine);
// Two providers, three packs, forty volumes: 13 + 13 in the first provider's
// packs, 14 in the second's. Returns the wanted partition: the last of all.
ULONG BuildLookupMachine(kxemu::Machine& machine);
// One disk of `partitions` partitions; with more than two, its first logical
// drive is a tagged recovery volume.
void BuildTableMachine(kxemu::Machine& machine, int partitions);

// Sums the emulator's call counts over a run and reports them per iteration:
// "vds_calls" (each one a round trip to the service on a real machine) and
// "device_calls" (volume opens, IOCTLs, boot-sector reads, drive types).
// The emulator logs every call, so the meter drains that log now and then,
// outside the timed region.
class CallMeter {
public:
    CallMeter(benchmark::State& state, kxemu::KXEmulator& emu);
    ~CallMeter();
    CallMeter(const CallMeter&) = delete;
    CallMeter& operator=(const CallMeter&) = delete;

    // Call after each iteration's work.
    void Tick()
    {
        if (emu.TotalCalls() >= kDrainAt) Drain(true);
    }

private:
    static const int kDrainAt = 1 << 16;
    void Drain(bool timed);

    benchmark::State& state;
    kxemu::KXEmulator& emu;
    double deviceCalls = 0;
    double allCalls = 0;
};

// An emulator whose registration worked, or the run is skipped with a reason.
bool EmulatorReady(benchmark::State& state, const kxemu::KXEmulator& emu);
