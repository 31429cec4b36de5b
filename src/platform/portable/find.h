// Search handles of FindFirstFileW. Only the first match is ever asked for,
// so a search object holds nothing but its identity.
#pragma once

#include "handles.h"

namespace kxwin32 {

class FindObject : public HandleObject {};

} // namespace kxwin32
