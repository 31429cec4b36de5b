#include "emulated/DefaultMachine.h"

namespace kxvds {

using kxemu::GiB;
using kxemu::MiB;

void BuildDefaultMachine(kxemu::Machine& machine)
{
    machine.Clear();
    kxemu::Provider& provider = machine.AddProvider();

    // Disk 0: system, Windows, recovery, then an extended partition to the
    // disk's end with one logical drive and room for more.
    kxemu::Disk& system = provider.AddPack().AddDisk(0, 64 * GiB);
    const ULONGLONG systemStart = 1 * MiB;
    const ULONGLONG windowsStart = systemStart + 100 * MiB;
    const ULONGLONG recoveryStart = windowsStart + 40 * GiB;
    const ULONGLONG extendedStart = recoveryStart + 500 * MiB;

    system.AddPartition(1, systemStart, 100 * MiB, 0x07, true);
    system.AddVolume(1).FileSystem(VDS_FST_NTFS, "System Reserved").Used(32 * MiB);

    system.AddPartition(2, windowsStart, 40 * GiB, 0x07);
    system.AddVolume(2).FileSystem(VDS_FST_NTFS, "Windows").Used(18 * GiB + 600 * MiB).AccessPath("C:\\");

    system.AddPartition(3, recoveryStart, 500 * MiB, 0x27);
    system.AddVolume(3).FileSystem(VDS_FST_NTFS, "Recovery").Used(410 * MiB).NtfsTag("RECOVERY");

    // The service numbers an extended container 0.
    system.AddPartition(0, extendedStart, 64 * GiB - extendedStart, 0x0F);
    system.AddPartition(4, extendedStart + 1 * MiB, 16 * GiB, 0x07);
    system.AddVolume(4).FileSystem(VDS_FST_NTFS, "Data").Used(5 * GiB + 300 * MiB).AccessPath("E:\\");

    // Disk 1: blank.
    provider.AddPack().AddDisk(1, 8 * GiB);

    machine.TakeLetter('D', DRIVE_CDROM);
}

} // namespace kxvds
