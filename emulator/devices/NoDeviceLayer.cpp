// Windows: no device hook exists; volume paths reach the real system.
#include "devices/DeviceLayer.h"

namespace kxemu {

struct DeviceLayer::Impl {};

DeviceLayer::DeviceLayer(std::shared_ptr<State>) {}

DeviceLayer::~DeviceLayer() = default;

long DeviceLayer::ProcessTaskMemBlocks()
{
    return -1;
}

} // namespace kxemu
