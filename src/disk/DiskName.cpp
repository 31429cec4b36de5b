#include "disk/DiskName.h"

#include <cstdint>

namespace {

const WCHAR* FindWord(const WCHAR* text, const WCHAR* word)
{
    for (; *text; ++text) {
        const WCHAR* t = text;
        const WCHAR* w = word;
        while (*w && *t == *w) {
            ++t;
            ++w;
        }
        if (!*w) return t;
    }
    return nullptr;
}

bool IsSpace(WCHAR c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// wcstol(text, nullptr, 10) where long is 32 bits, as on the target.
long ReadDecimal(const WCHAR* text)
{
    while (IsSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1) value = static_cast<long long>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<long>(value);
}

} // namespace

bool ParsePhysicalDriveNumber(const WCHAR* name, long* number)
{
    const WCHAR* digits = FindWord(name, KXW("PhysicalDrive"));
    if (!digits) return false;
    *number = ReadDecimal(digits);
    return true;
}
