#include "emulated/DefaultMachine.h"

#include "kxgptguids.h"

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

    // Disk 2: a UEFI system disk as Windows Setup lays it out: EFI system,
    // Microsoft reserved, Windows, and recovery at the end of the usable space.
    kxemu::Disk& uefi = provider.AddPack().AddDisk(2, 32 * GiB);
    uefi.style = VDS_PST_GPT;
    const ULONGLONG espStart = 1 * MiB;
    const ULONGLONG reservedStart = espStart + 100 * MiB;
    const ULONGLONG dataStart = reservedStart + 16 * MiB;
    // The backup table takes the disk's last sectors; the last whole MiB before it stays free.
    const ULONGLONG uefiRecoveryStart = 32 * GiB - 1 * MiB - 500 * MiB;

    uefi.AddGptPartition(1, espStart, 100 * MiB, kxgpt::kEfiSystem).gptAttributes =
        GPT_BASIC_DATA_ATTRIBUTE_NO_DRIVE_LETTER;
    uefi.AddVolume(1).FileSystem(VDS_FST_FAT32, "SYSTEM").Used(31 * MiB);

    uefi.AddGptPartition(2, reservedStart, 16 * MiB, kxgpt::kMicrosoftReserved).gptAttributes =
        GPT_BASIC_DATA_ATTRIBUTE_NO_DRIVE_LETTER;

    uefi.AddGptPartition(3, dataStart, uefiRecoveryStart - dataStart, kxgpt::kBasicData);
    uefi.AddVolume(3).FileSystem(VDS_FST_NTFS, "Windows").Used(14 * GiB + 200 * MiB).AccessPath("W:\\");

    uefi.AddGptPartition(4, uefiRecoveryStart, 500 * MiB, kxgpt::kRecovery).gptAttributes =
        GPT_ATTRIBUTE_PLATFORM_REQUIRED | GPT_BASIC_DATA_ATTRIBUTE_NO_DRIVE_LETTER;
    uefi.AddVolume(4).FileSystem(VDS_FST_NTFS, "Recovery").Used(420 * MiB).NtfsTag("RECOVERY");

    machine.TakeLetter('D', DRIVE_CDROM);
}

} // namespace kxvds
