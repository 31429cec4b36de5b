// The portable Win32 layer counts every CoTaskMem block of the process.
#include "devices/DeviceLayer.h"

namespace kxemu {

long DeviceLayer::ProcessTaskMemBlocks()
{
    return KXLiveTaskMemBlocks();
}

} // namespace kxemu
