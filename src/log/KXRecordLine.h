// One log line built in place: prefixes, the expanded message, the error's
// text and the line end go into one buffer, which is written with one call.
// Lines of ordinary length never touch the heap.
#pragma once

#include "kxplatform.h"
#include "support/KXString.h"

#include <cstdarg>
#include <memory>

class KXRecordLine {
public:
    KXRecordLine() = default;
    KXRecordLine(const KXRecordLine&) = delete;
    KXRecordLine& operator=(const KXRecordLine&) = delete;

    void Append(const WCHAR* text, unsigned int count);
    void Append(const WCHAR* text);
    void Append(const CKXString& text) { Append(text.Wide(), text.GetLength()); }
    // The wvsprintfW expansion of `format` (cut at 1024 units, as it cuts).
    void AppendFormatted(const WCHAR* format, va_list args);
    // An 8-bit format widened, then expanded.
    void AppendNarrowFormatted(const char* format, va_list args);

    const WCHAR* Data() const { return heap ? heap.get() : local; }
    unsigned int Length() const { return length; }

private:
    WCHAR* Reserve(unsigned int count);
    // CR and LF written as the two characters "\r" and "\n".
    void AppendEscaped(const WCHAR* text, unsigned int count);

    static const unsigned int localCapacity = 2048;
    WCHAR local[localCapacity];
    std::unique_ptr<WCHAR[]> heap;
    unsigned int capacity = localCapacity;
    unsigned int length = 0;
};
