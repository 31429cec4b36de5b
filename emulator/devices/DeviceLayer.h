// The storage devices of the machine as the Win32 file and volume calls see
// them. Where the platform offers a device hook (the portable Win32 layer) the
// layer registers there for its lifetime; on Windows there is none, and the
// real system answers those calls.
#pragma once

#include "core/State.h"

#include <memory>

namespace kxemu {

class DeviceLayer {
public:
    explicit DeviceLayer(std::shared_ptr<State> state);
    ~DeviceLayer();
    DeviceLayer(const DeviceLayer&) = delete;
    DeviceLayer& operator=(const DeviceLayer&) = delete;

    // CoTaskMem blocks alive in the process; -1 where the platform cannot tell.
    static long ProcessTaskMemBlocks();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace kxemu
