#include "kxwin32.h"

#include <cerrno>

namespace {
// The C runtime's limit: the last second of the year 3000.
constexpr __time64_t kLatestTime = 32535215999LL;
}

__time64_t _time64(__time64_t* t)
{
    __time64_t now = static_cast<__time64_t>(time(nullptr));
    if (t) *t = now;
    return now;
}

struct tm* _localtime64(const __time64_t* t)
{
    thread_local struct tm result;
    if (!t || *t < 0 || *t > kLatestTime) {
        errno = EINVAL;
        return nullptr;
    }
    time_t value = static_cast<time_t>(*t);
    return localtime_r(&value, &result);
}
