#include "file_stat.h"

namespace kxwin32 {

namespace {
// 100-nanosecond intervals from 1601 to 1970.
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
} // namespace

FILETIME ToFileTime(const struct timespec& t)
{
    uint64_t v = kUnixEpochAsFileTime + static_cast<uint64_t>(t.tv_sec) * 10000000ULL +
                 static_cast<uint64_t>(t.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

DWORD AttributesOf(const struct stat& st)
{
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

} // namespace kxwin32
