#include "WideText.h"

namespace kxvds {

namespace {

const char32_t kReplacement = 0xFFFD;

// One code point from `text` at `at`; malformed bytes become U+FFFD.
char32_t NextCodePoint(const std::string& text, size_t& at)
{
    const unsigned char lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    int more = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        more = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3;
        cp = lead & 0x07;
    } else {
        return kReplacement;
    }
    for (int i = 0; i < more; ++i) {
        if (at >= text.size()) return kReplacement;
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if ((c & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (c & 0x3F);
        ++at;
    }
    static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

WideString ToWide(const std::string& utf8)
{
    WideString out;
    for (size_t at = 0; at < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, at);
        if (cp >= 0x10000) {
            out += static_cast<KXWCHAR>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<KXWCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<KXWCHAR>(cp);
        }
    }
    return out;
}

std::string ToUtf8(const KXWCHAR* text)
{
    std::string out;
    for (const KXWCHAR* p = text; p && *p; ++p) {
        char32_t unit = static_cast<char16_t>(*p);
        if (unit >= 0xD800 && unit <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char16_t>(p[1]) - 0xDC00);
            ++p;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            unit = kReplacement;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

} // namespace kxvds
