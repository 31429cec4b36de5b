#include "unicode.h"

#include <cwctype>

namespace kxwin32 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(char32_t cp, std::u16string* out)
{
    if (cp < 0x10000) {
        out->push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(char32_t cp, std::string* out)
{
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one code point at `*i`; a lone surrogate comes back as itself with
// `*lone` set.
char32_t NextUtf16(std::u16string_view in, size_t* i, bool* lone)
{
    char32_t c = in[(*i)++];
    *lone = false;
    if (c >= 0xD800 && c <= 0xDBFF && *i < in.size() && in[*i] >= 0xDC00 && in[*i] <= 0xDFFF)
        return 0x10000 + ((c - 0xD800) << 10) + (in[(*i)++] - 0xDC00);
    if (c >= 0xD800 && c <= 0xDFFF) *lone = true;
    return c;
}

} // namespace

std::u16string_view WideView(LPCWSTR s)
{
    return s ? std::u16string_view(s) : std::u16string_view();
}

std::u16string Utf8ToUtf16(std::string_view in)
{
    std::u16string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        unsigned char b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        int extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xC2 && b <= 0xDF ? 1 : -1;
        if (extra < 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        char32_t cp = b & (0x3F >> extra);
        size_t j = i + 1;
        for (; j < in.size() && j <= i + extra; ++j) {
            unsigned char t = static_cast<unsigned char>(in[j]);
            if ((t & 0xC0) != 0x80) break;
            cp = (cp << 6) | (t & 0x3F);
        }
        bool complete = j == i + 1 + extra;
        bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        bool invalid = cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF);
        if (!complete || overlong || invalid) {
            out.push_back(kReplacement);
            i = j;
            continue;
        }
        AppendUtf16(cp, &out);
        i = j;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view in, std::string_view replacement, bool* replaced)
{
    std::string out;
    out.reserve(in.size());
    if (replaced) *replaced = false;
    size_t i = 0;
    while (i < in.size()) {
        bool lone = false;
        char32_t cp = NextUtf16(in, &i, &lone);
        if (lone) {
            out.append(replacement);
            if (replaced) *replaced = true;
        } else {
            AppendUtf8(cp, &out);
        }
    }
    return out;
}

bool Utf16ToUtf8Strict(std::u16string_view in, std::string* out)
{
    bool replaced = false;
    *out = Utf16ToUtf8(in, "", &replaced);
    return !replaced;
}

char16_t UpperUnit(char16_t c)
{
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
    if (c < 0x80) return c;
    wint_t up = std::towupper(static_cast<wint_t>(c));
    return up <= 0xFFFF ? static_cast<char16_t>(up) : c;
}

} // namespace kxwin32
