// What every emulated object shares: the machine, the instrument, the
// accounting of live objects, and the one lock that orders all of it.
#pragma once

#include "kxemu/Instrument.h"
#include "kxemu/Machine.h"

#include <atomic>
#include <mutex>
#include <set>

namespace kxemu {

class ComObject;

struct State {
    std::recursive_mutex mutex;
    Machine machine;
    Instrument instrument;
    std::set<ComObject*> live;
    std::atomic<long> taskMemAllocated{0};
    std::atomic<int> openDevices{0};
};

using Lock = std::unique_lock<std::recursive_mutex>;

} // namespace kxemu
