#include "BenchSupport.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory(int logLevel) : previous(fs::current_path())
{
    std::random_device random;
    do {
        directory = fs::temp_directory_path() / ("kxvds-bench-" + std::to_string(random()));
    } while (!fs::create_directory(directory));
    fs::current_path(directory);
    if (logLevel != 0) {
        std::ofstream ini("KX_LOG.INI", std::ios::binary);
        ini << "[LOG]\r\nOutputFileNameKX=bench.log\r\nLogLevel=" << logLevel << "\r\n";
    }
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    fs::current_path(previous, ignored);
    fs::remove_all(directory, ignored);
}

ULONG AddDiskWithVolumes(kxemu::Pack& pack, ULONG diskNumber, int volumes)
{
    using kxemu::GiB;
    using kxemu::MiB;
    const int logicals = volumes - 1;
    const ULONGLONG size = std::max<ULONGLONG>(64, static_cast<ULONGLONG>(logicals) + 3) * GiB;
    kxemu::Disk& disk = pack.AddDisk(diskNumber, size);
    disk.AddPartition(1, 1 * MiB, 1 * GiB, 0x07, true);
    disk.AddVolume(1).FileSystem(VDS_FST_NTFS, "System").Used(400 * MiB);
    if (logicals == 0) return 1;
    disk.AddPartition(2, 2 * GiB, static_cast<ULONGLONG>(logicals) * GiB + 1 * MiB, 0x0F);
    ULONG number = 1;
    for (int i = 0; i < logicals; ++i) {
        number = 5 + static_cast<ULONG>(i);
        // One MiB before each logical drive holds its boot record.
        disk.AddPartition(number, 2 * GiB + static_cast<ULONGLONG>(i) * GiB + 1 * MiB, 1 * GiB - 1 * MiB, 0x07);
        disk.AddVolume(number).FileSystem(VDS_FST_NTFS, "Data").Used(100 * MiB);
    }
    return number;
}

int VolumesForPartitions(int partitions)
{
    return partitions <= 2 ? 1 : partitions - 1;
}

void BuildConnectMachine(kxemu::Machine& machine)
{
    using kxemu::GiB;
    kxemu::Provider& first = machine.AddProvider();
    kxemu::Pack& a = first.AddPack();
    a.AddDisk(0, 256 * GiB);
    a.AddDisk(1, 1024 * GiB);
    first.AddPack().AddDisk(2, 64 * GiB);
    kxemu::Pack& c = machine.AddProvider().AddPack();
    c.AddDisk(3, 128 * GiB);
    c.AddDisk(4, 128 * GiB);
    machine.AddProvider().AddPack().AddDisk(kConnectDisk, 64 * GiB);
}

ULONG BuildLookupMachine(kxemu::Machine& machine)
{
    kxemu::Provider& first = machine.AddProvider();
    AddDiskWithVolumes(first.AddPack(), 0, 13);
    AddDiskWithVolumes(first.AddPack(), 2, 13);
    return AddDiskWithVolumes(machine.AddProvider().AddPack(), kLookupDisk, 14);
}

void BuildTableMachine(kxemu::Machine& machine, int partitions)
{
    kxemu::Pack& pack = machine.AddProvider().AddPack();
    AddDiskWithVolumes(pack, kTableDisk, VolumesForPartitions(partitions));
    if (pack.volumes.size() > 1) pack.volumes[1]->NtfsTag("RECOVERY");
}

namespace {

const char* const deviceMethods[] = {"CreateFileW", "ReadFile", "DeviceIoControl", "GetDriveTypeW",
                                     "GetDiskFreeSpaceExW"};

} // namespace

CallMeter::CallMeter(benchmark::State& state, kxemu::KXEmulator& emu) : state(state), emu(emu)
{
    emu.ResetCalls();
}

CallMeter::~CallMeter()
{
    Drain(false);
    state.counters["vds_calls"] = benchmark::Counter(allCalls - deviceCalls, benchmark::Counter::kAvgIterations);
    state.counters["device_calls"] = benchmark::Counter(deviceCalls, benchmark::Counter::kAvgIterations);
}

void CallMeter::Drain(bool timed)
{
    if (timed) state.PauseTiming();
    allCalls += emu.TotalCalls();
    for (const char* method : deviceMethods) deviceCalls += emu.Calls(method);
    emu.ResetCalls();
    if (timed) state.ResumeTiming();
}

BenchRun::BenchRun(benchmark::State& state, int logLevel, const std::function<void(kxemu::KXEmulator&)>& build,
                   int diskNumber, HRESULT expected)
    : directory(logLevel)
{
    if (!EmulatorReady(state, emu)) return;
    build(emu);
    if (disk->Connect(diskNumber) != expected) {
        state.SkipWithError("Connect did not give the expected result");
        return;
    }
    ready = true;
}

bool EmulatorReady(benchmark::State& state, const kxemu::KXEmulator& emu)
{
    if (emu.Registration() == S_OK) return true;
    state.SkipWithError("the emulated disk service did not register");
    return false;
}
