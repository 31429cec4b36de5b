#include "Sizes.h"

#include "UsageError.h"

#include <cctype>
#include <cstdio>

namespace kxvds {

namespace {

struct Unit {
    const char* name;
    uint64_t bytes;
};

const Unit kUnits[] = {
    {"", 1},
    {"b", 1},
    {"k", 1ULL << 10}, {"kib", 1ULL << 10},
    {"m", 1ULL << 20}, {"mib", 1ULL << 20},
    {"g", 1ULL << 30}, {"gib", 1ULL << 30},
    {"t", 1ULL << 40}, {"tib", 1ULL << 40},
};

// Decimal units are refused rather than guessed: a disk tool that reads
// "GB" as 10^9 or as 2^30 surprises half of its users.
const char* const kDecimalUnits[] = {"kb", "mb", "gb", "tb"};

const int kMaxFractionDigits = 6;

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

[[noreturn]] void Bad(const std::string& what, const std::string& text, const std::string& why)
{
    throw UsageError("bad " + what + " '" + text + "': " + why);
}

bool MultiplyChecked(uint64_t a, uint64_t b, uint64_t& out)
{
    if (a != 0 && b > UINT64_MAX / a) return false;
    out = a * b;
    return true;
}

} // namespace

uint64_t ParseSize(const std::string& text, const std::string& what)
{
    size_t at = 0;
    uint64_t whole = 0;
    size_t wholeDigits = 0;
    bool overflow = false;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, ++wholeDigits) {
        const uint64_t digit = static_cast<uint64_t>(text[at] - '0');
        if (whole > (UINT64_MAX - digit) / 10) overflow = true;
        whole = whole * 10 + digit;
    }
    uint64_t fraction = 0;
    uint64_t fractionScale = 1;
    int fractionDigits = 0;
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
            if (++fractionDigits > kMaxFractionDigits) Bad(what, text, "too many decimals");
            fraction = fraction * 10 + static_cast<uint64_t>(text[at] - '0');
            fractionScale *= 10;
        }
    }
    if (wholeDigits == 0 && fractionDigits == 0) {
        if (!text.empty() && text[0] == '-') Bad(what, text, "it cannot be negative");
        Bad(what, text, "expected a number of bytes, optionally with a unit (KiB, MiB, GiB, TiB)");
    }
    while (at < text.size() && text[at] == ' ') ++at;
    const std::string unitText = Lower(text.substr(at));

    const Unit* unit = nullptr;
    for (const Unit& u : kUnits)
        if (unitText == u.name) unit = &u;
    if (!unit) {
        for (const char* decimal : kDecimalUnits)
            if (unitText == decimal)
                Bad(what, text, "'" + text.substr(at) + "' is ambiguous; use binary units (KiB, MiB, GiB, TiB)");
        Bad(what, text, "unknown unit '" + text.substr(at) + "' (use B, KiB, MiB, GiB or TiB)");
    }

    uint64_t bytes = 0;
    if (overflow || !MultiplyChecked(whole, unit->bytes, bytes)) Bad(what, text, "too large");
    // unit <= 2^40 and fraction < 10^6: the product stays below 2^60.
    const uint64_t fractionBytes = fraction * unit->bytes;
    if (fractionBytes % fractionScale != 0) Bad(what, text, "not a whole number of bytes");
    if (bytes > UINT64_MAX - fractionBytes / fractionScale) Bad(what, text, "too large");
    return bytes + fractionBytes / fractionScale;
}

std::string FormatSize(uint64_t bytes)
{
    static const Unit kShown[] = {{"TiB", 1ULL << 40}, {"GiB", 1ULL << 30}, {"MiB", 1ULL << 20}, {"KiB", 1ULL << 10}};
    const Unit* unit = nullptr;
    for (const Unit& u : kShown)
        if (!unit && bytes >= u.bytes) unit = &u;
    if (!unit) return std::to_string(bytes) + " B";
    const uint64_t whole = bytes / unit->bytes;
    const uint64_t rest = bytes % unit->bytes;
    if (rest == 0) return std::to_string(whole) + " " + unit->name;
    // Hundredths, rounded; a figure that rounds to a whole number would hide
    // the rest, so the rest is spelled out instead.
    const uint64_t hundredths = (rest * 100 + unit->bytes / 2) / unit->bytes;
    if (hundredths == 0 || hundredths == 100) return std::to_string(whole) + " " + unit->name + " + " + FormatSize(rest);
    char text[48];
    std::snprintf(text, sizeof text, "%llu.%02llu %s", static_cast<unsigned long long>(whole),
                  static_cast<unsigned long long>(hundredths), unit->name);
    return text;
}

} // namespace kxvds
