// kernel32's string helpers and code-page conversions. The ANSI code page of
// this system is UTF-8, so CP_ACP and CP_UTF8 convert alike.
#include "kxwin32.h"

#include "lasterror.h"
#include "unicode.h"

#include <climits>
#include <cstring>
#include <string>

using namespace kxwin32;

namespace {

bool IsUtf8CodePage(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_UTF8;
}

// Copies a converted text to the caller as Windows does: with no room given it
// answers the size needed; with too little room it fails.
template <typename Char, typename Text>
int DeliverConverted(const Text& text, Char* dst, int dstLen)
{
    int needed = static_cast<int>(text.size());
    if (dstLen == 0) return needed;
    if (needed > dstLen) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
    std::memcpy(dst, text.data(), text.size() * sizeof(Char));
    return needed;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen)
{
    if (!IsUtf8CodePage(codePage)) return Fail(ERROR_INVALID_PARAMETER, 0);
    if (flags != 0) return Fail(ERROR_INVALID_FLAGS, 0);
    if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst))
        return Fail(ERROR_INVALID_PARAMETER, 0);
    size_t count = srcLen == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
    // ASCII, as every log format is, widens unit for unit in place.
    if (static_cast<size_t>(dstLen) >= count && count <= INT_MAX) {
        size_t i = 0;
        while (i < count && static_cast<unsigned char>(src[i]) < 0x80) {
            dst[i] = static_cast<WCHAR>(src[i]);
            ++i;
        }
        if (i == count) return static_cast<int>(count);
    }
    return DeliverConverted(Utf8ToUtf16(std::string_view(src, count)), dst, dstLen);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, char* dst, int dstLen,
                        LPCSTR defaultChar, BOOL* usedDefault)
{
    if (!IsUtf8CodePage(codePage)) return Fail(ERROR_INVALID_PARAMETER, 0);
    if (flags != 0) return Fail(ERROR_INVALID_FLAGS, 0);
    // As on Windows, UTF-8 takes no default character.
    if (codePage == CP_UTF8 && (defaultChar || usedDefault)) return Fail(ERROR_INVALID_PARAMETER, 0);
    if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst))
        return Fail(ERROR_INVALID_PARAMETER, 0);
    size_t count = srcLen == -1 ? std::char_traits<char16_t>::length(src) + 1 : static_cast<size_t>(srcLen);
    // Only a lone surrogate has no UTF-8 form.
    std::string_view replacement = codePage == CP_UTF8 ? "\xEF\xBF\xBD" : defaultChar ? defaultChar : "?";
    bool replaced = false;
    std::string text = Utf16ToUtf8(std::u16string_view(src, count), replacement, &replaced);
    if (usedDefault) *usedDefault = replaced ? TRUE : FALSE;
    return DeliverConverted(text, dst, dstLen);
}

int lstrlenW(LPCWSTR s)
{
    return s ? static_cast<int>(std::char_traits<char16_t>::length(s)) : 0;
}

LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int maxLen)
{
    if (!dst || !src) return nullptr;
    LPWSTR d = dst;
    int room = maxLen;
    while (room > 1 && *src) {
        *d++ = *src++;
        --room;
    }
    if (room > 0) *d = 0;
    return dst;
}

namespace {

template <typename Fold>
int CompareWide(LPCWSTR a, LPCWSTR b, Fold fold)
{
    if (!a || !b) return a == b ? 0 : a ? 1 : -1;
    for (;; ++a, ++b) {
        char16_t x = fold(*a), y = fold(*b);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

} // namespace

int lstrcmpW(LPCWSTR a, LPCWSTR b)
{
    return CompareWide(a, b, [](char16_t c) { return c; });
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b)
{
    return CompareWide(a, b, UpperUnit);
}
