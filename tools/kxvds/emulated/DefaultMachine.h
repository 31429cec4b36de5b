// The machine the client starts from: disk 0 with a Windows installation
// (MBR), disk 1 blank, disk 2 a UEFI system disk (GPT), D: taken by a CD-ROM
// drive.
#pragma once

#include "kxemu/Machine.h"

namespace kxvds {

void BuildDefaultMachine(kxemu::Machine& machine);

} // namespace kxvds
