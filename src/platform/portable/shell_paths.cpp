// The two shell path helpers the library uses, with shlwapi's limits.
#include "kxwin32.h"

LPWSTR PathAddBackslashW(LPWSTR path)
{
    if (!path) return nullptr;
    int len = lstrlenW(path);
    if (len >= MAX_PATH) return nullptr;
    LPWSTR end = path + len;
    if (len == 0 || end[-1] == u'\\') return end;
    // The backslash and the terminator must both fit in MAX_PATH.
    if (len + 2 > MAX_PATH) return nullptr;
    *end++ = u'\\';
    *end = 0;
    return end;
}

void PathStripPathW(LPWSTR path)
{
    if (!path) return;
    // The name starts after the last separator that something other than a
    // separator follows, so "C:\dir\" keeps "dir\".
    LPWSTR name = path;
    for (LPWSTR p = path; *p; ++p) {
        bool separator = *p == u'\\' || *p == u'/' || *p == u':';
        if (separator && p[1] && p[1] != u'\\' && p[1] != u'/') name = p + 1;
    }
    if (name == path) return;
    int len = lstrlenW(name);
    for (int i = 0; i <= len; ++i)
        path[i] = name[i];
}
