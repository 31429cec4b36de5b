#include "log/KXRecordLine.h"

#include <cstring>

namespace {

// What wvsprintfW writes at most, with its terminator.
const unsigned int formattedUnits = 1024;
const int wideFormatLength = 4096;

} // namespace

WCHAR* KXRecordLine::Reserve(unsigned int count)
{
    if (length + count > capacity) {
        unsigned int grown = capacity * 2;
        while (grown < length + count) grown *= 2;
        std::unique_ptr<WCHAR[]> bigger(new WCHAR[grown]);
        std::memcpy(bigger.get(), Data(), length * sizeof(WCHAR));
        heap = std::move(bigger);
        capacity = grown;
    }
    return (heap ? heap.get() : local) + length;
}

void KXRecordLine::Append(const WCHAR* text, unsigned int count)
{
    std::memcpy(Reserve(count), text, count * sizeof(WCHAR));
    length += count;
}

void KXRecordLine::Append(const WCHAR* text)
{
    unsigned int count = 0;
    while (text[count]) ++count;
    Append(text, count);
}

void KXRecordLine::AppendFormatted(const WCHAR* format, va_list args)
{
    WCHAR text[formattedUnits];
    const int written = wvsprintfW(text, format, args);
    // The text ends at its first terminator, as a string made from it would.
    unsigned int units = 0;
    while (written > 0 && units < static_cast<unsigned int>(written) && text[units]) ++units;
    AppendEscaped(text, units);
}

void KXRecordLine::AppendEscaped(const WCHAR* text, unsigned int count)
{
    // Paths and names come from the caller and the service: a line break in
    // one must not end the record and forge the next.
    unsigned int start = 0;
    for (unsigned int i = 0; i < count; ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        Append(text + start, i - start);
        Append(text[i] == '\r' ? KXW("\\r") : KXW("\\n"), 2);
        start = i + 1;
    }
    Append(text + start, count - start);
}

void KXRecordLine::AppendNarrowFormatted(const char* format, va_list args)
{
    WCHAR wideFormat[wideFormatLength];
    const int formatBytes = static_cast<int>(std::strlen(format)) + 1;
    // A format too long for the buffer is cut to what fits.
    const int inputBytes = formatBytes <= wideFormatLength ? formatBytes : wideFormatLength - 1;
    const int widened = MultiByteToWideChar(CP_ACP, 0, format, inputBytes, wideFormat, inputBytes);
    if (widened <= 0)
        wideFormat[0] = 0;
    else if (widened < wideFormatLength)
        wideFormat[widened] = 0;
    AppendFormatted(wideFormat, args);
}
