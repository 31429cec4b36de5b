// Every slot's answer for every disk and partition of a machine file, each
// with the calls the library made for it: what a snapshot must reproduce.
#pragma once

#include "kxemu/KXEmulator.h"

#include <string>
#include <vector>

struct SlotRow {
    std::string what;    // "disk 0 partition 1: GetUsedSpace"
    std::string answer;
    std::vector<std::string> calls;
};

// Each row on the machine loaded afresh from `machineText`, the disk
// connected first: reads, lookups, and the changes (create, access paths,
// shrink, format) with what the disk looks like after them. The disks and
// partitions asked for are those of `planText`'s machine, and one disk number
// past its last.
std::vector<SlotRow> SlotTable(kxemu::KXEmulator& emu, const std::string& machineText, const std::string& planText);
