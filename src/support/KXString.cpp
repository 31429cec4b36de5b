#include "support/KXString.h"

#include <algorithm>
#include <cstdarg>

static_assert(sizeof(WCHAR) == sizeof(unsigned short), "WCHAR is a 16-bit unit");

namespace {

const unsigned short emptyText[1] = {0};

// wvsprintfW never writes more than this, terminator included.
const int formatLimit = 1024;

const unsigned short* Units(const WCHAR* text)
{
    return reinterpret_cast<const unsigned short*>(text);
}

unsigned int LengthOf(const unsigned short* text)
{
    unsigned int count = 0;
    if (text)
        while (text[count])
            ++count;
    return count;
}

} // namespace

CKXString::CKXString() noexcept = default;

CKXString::CKXString(const unsigned short* text)
{
    Assign(text, LengthOf(text));
}

CKXString::CKXString(const WCHAR* text) : CKXString(Units(text)) {}

CKXString::CKXString(const CKXString& other)
{
    Assign(other, other.length);
}

CKXString::CKXString(CKXString&& other) noexcept
    : units(std::move(other.units)), length(other.length)
{
    other.length = 0;
}

CKXString::~CKXString() = default;

CKXString::operator const unsigned short*() const noexcept
{
    return units ? units.get() : emptyText;
}

const WCHAR* CKXString::Wide() const noexcept
{
    return reinterpret_cast<const WCHAR*>(static_cast<const unsigned short*>(*this));
}

unsigned int CKXString::GetLength() const noexcept
{
    return length;
}

int CKXString::IsEmpty() const noexcept
{
    return length == 0;
}

int CKXString::Format(const WCHAR* format, ...)
{
    WCHAR buffer[formatLimit] = {};
    va_list args;
    va_start(args, format);
    int written = wvsprintfW(buffer, format, args);
    va_end(args);
    buffer[formatLimit - 1] = 0;
    if (written < 0)
        written = 0;
    *this = buffer;
    return written;
}

CKXString CKXString::Right(unsigned int count) const
{
    if (count >= length)
        return *this;
    return CKXString(static_cast<const unsigned short*>(*this) + (length - count));
}

CKXString CKXString::operator+(const unsigned short* text) const
{
    CKXString result(*this);
    result += text;
    return result;
}

CKXString CKXString::operator+(const WCHAR* text) const
{
    return *this + Units(text);
}

CKXString CKXString::operator+(const CKXString& text) const
{
    CKXString result(*this);
    result += text;
    return result;
}

int CKXString::Find(const unsigned short* what, unsigned int& position, unsigned int start) const
{
    if (start > length)
        return 0;
    const unsigned int whatLength = LengthOf(what);
    const unsigned short* begin = *this;
    const unsigned short* end = begin + length;
    const unsigned short* found = std::search(begin + start, end, what, what + whatLength);
    if (found == end && whatLength != 0)
        return 0;
    position = static_cast<unsigned int>(found - begin);
    return 1;
}

int CKXString::Find(const WCHAR* what, unsigned int& position, unsigned int start) const
{
    return Find(Units(what), position, start);
}

CKXString& CKXString::operator=(unsigned short ch)
{
    Assign(&ch, ch ? 1 : 0);
    return *this;
}

CKXString& CKXString::operator=(const unsigned short* text)
{
    Assign(text, LengthOf(text));
    return *this;
}

CKXString& CKXString::operator=(const WCHAR* text)
{
    return *this = Units(text);
}

CKXString& CKXString::operator=(const CKXString& other)
{
    Assign(other, other.length);
    return *this;
}

CKXString& CKXString::operator=(CKXString&& other) noexcept
{
    if (this != &other) {
        units = std::move(other.units);
        length = other.length;
        other.length = 0;
    }
    return *this;
}

CKXString& CKXString::operator+=(const unsigned short* text)
{
    Append(text, LengthOf(text));
    return *this;
}

CKXString& CKXString::operator+=(const WCHAR* text)
{
    return *this += Units(text);
}

CKXString& CKXString::operator+=(const CKXString& text)
{
    Append(text, text.length);
    return *this;
}

bool CKXString::operator==(const unsigned short* text) const noexcept
{
    const unsigned short* own = *this;
    if (!text)
        return length == 0;
    unsigned int i = 0;
    for (; i < length; ++i)
        if (own[i] != text[i])
            return false;
    return text[i] == 0;
}

bool CKXString::operator==(const WCHAR* text) const noexcept
{
    return *this == Units(text);
}

bool CKXString::operator!=(const unsigned short* text) const noexcept
{
    return !(*this == text);
}

bool CKXString::operator!=(const WCHAR* text) const noexcept
{
    return !(*this == Units(text));
}

// Both build the new content in fresh storage before dropping the old, so the
// source may lie inside this string (s = s.Right(2), s += s).
void CKXString::Assign(const unsigned short* text, unsigned int count)
{
    std::unique_ptr<unsigned short[]> fresh;
    if (count) {
        fresh.reset(new unsigned short[count + 1]);
        std::copy(text, text + count, fresh.get());
        fresh[count] = 0;
    }
    units = std::move(fresh);
    length = count;
}

void CKXString::Append(const unsigned short* text, unsigned int count)
{
    if (!count)
        return;
    std::unique_ptr<unsigned short[]> fresh(new unsigned short[length + count + 1]);
    const unsigned short* own = *this;
    std::copy(own, own + length, fresh.get());
    std::copy(text, text + count, fresh.get() + length);
    fresh[length + count] = 0;
    units = std::move(fresh);
    length += count;
}
