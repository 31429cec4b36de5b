// What every benchmark shares: an emulated machine in a scratch current
// directory, the disk object as a client holds it, and a meter of the calls
// the library makes to the service.
#pragma once

#include "KXVdsDisks.h"
#include "kxemu/KXEmulator.h"

#include <benchmark/benchmark.h>

#include <filesystem>
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

// A disk of 64 GiB: a primary partition 1 and an extended partition 2 whose
// logical drives, numbered from 5, fill up the count; every one but the
// container carries an NTFS volume. Returns the last logical drive's number.
ULONG AddDiskWithVolumes(kxemu::Pack& pack, ULONG diskNumber, int volumes);

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
