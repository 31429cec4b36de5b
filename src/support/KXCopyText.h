// The one rule for text handed to a caller's buffer.
#pragma once

#include "kxplatform.h"

// With a capacity above 0: at most capacity-1 units and a terminator, a longer
// text cut without notice. With 0 or less the buffer is not touched.
inline void KXCopyToCaller(WCHAR* buffer, int capacity, const WCHAR* text)
{
    if (capacity > 0) lstrcpynW(buffer, text, capacity);
}
