#include "BenchSupport.h"

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
    kxemu::Disk& disk = pack.AddDisk(diskNumber, 64 * GiB);
    disk.AddPartition(1, 1 * MiB, 1 * GiB, 0x07, true);
    disk.AddVolume(1).FileSystem(VDS_FST_NTFS, "System").Used(400 * MiB);
    const int logicals = volumes - 1;
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

bool EmulatorReady(benchmark::State& state, const kxemu::KXEmulator& emu)
{
    if (emu.Registration() == S_OK) return true;
    state.SkipWithError("the emulated disk service did not register");
    return false;
}
