// A machine file of the disks as the library sees them: what the disk service
// reports of its software providers, packs, disks and volumes, and what the
// storage stack answers for each volume. It only reads.
#pragma once

#include "kxemu/Machine.h"

#include <string>

namespace kxvds {

struct SnapshotFailure {
    HRESULT code = S_OK;
    std::string call;   // "IVdsServiceLoader::LoadService"
};

// Fills `machine` (cleared first) and returns true. Fails only when the
// service cannot be reached at all; whatever it reads but cannot describe is
// written as the library sees it, and the limit is named in machine.notes.
bool TakeSnapshot(kxemu::Machine& machine, SnapshotFailure* failure);

// Labels, volume serials and the disks' names become neutral values; what
// the library decides on (sizes, offsets, types, tags, styles) stays.
void RedactMachine(kxemu::Machine& machine);

} // namespace kxvds
