#include "faults/SweepMachine.h"

using kxemu::GiB;
using kxemu::MiB;

void BuildSweepMachine(kxemu::Machine& m)
{
    m.TakeLetter('D', DRIVE_CDROM);
    kxemu::Disk& system = m.AddProvider().AddPack().AddDisk(0, 64 * GiB);
    system.AddPartition(1, 1 * MiB, 500 * MiB, 0x07, true);
    system.AddVolume(1).FileSystem(VDS_FST_NTFS, "System").AccessPath("C:\\");

    kxemu::Provider& second = m.AddProvider();
    kxemu::Disk& data = second.AddPack().AddDisk(1, 64 * GiB);
    data.AddPartition(1, 1 * MiB, 1 * GiB - 1 * MiB, 0x0C);
    data.AddVolume(1).FileSystem(VDS_FST_FAT32, "Media").Used(100 * MiB).AccessPath("E:\\").AccessPath(
        "C:\\mnt\\media\\");
    data.AddPartition(2, 1 * GiB, 4 * GiB, 0x0F);
    data.AddPartition(5, 1 * GiB + 1 * MiB, 1 * GiB, 0x07);
    data.AddVolume(5).FileSystem(VDS_FST_NTFS, "Rescue").NtfsTag("RECOVERY").Used(200 * MiB).AccessPath("F:\\");
    data.AddPartition(6, 2 * GiB + 2 * MiB, 1 * GiB, 0x07);
    data.AddVolume(6).FileSystem(VDS_FST_NTFS, "Logs");
    data.AddPartition(3, 10 * GiB, 1 * GiB, 0x07);
    data.AddVolume(3);
    second.AddPack().AddDisk(2, 8 * GiB);
}
