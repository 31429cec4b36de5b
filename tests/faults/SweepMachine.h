// The sweeps' machine. Disk 1 of the second provider is the one worked on: a
// FAT32 primary with a letter and a mount folder, an extended partition with
// two NTFS logical drives, a primary without a file system. Disk 0 holds C:,
// disk 2 is blank, D: is a CD-ROM drive.
#pragma once

#include "kxemu/Machine.h"

void BuildSweepMachine(kxemu::Machine& machine);
