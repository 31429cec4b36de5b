#include "log/KXLogger.h"

#include <ctime>

int KX_LOGGER::WriteSummary()
{
    if (!opened)
        return 0;
    const __time64_t now = _time64(nullptr);
    WriteLine(KXW(""));
    if (errorCount == 0 && warningCount == 0) {
        WriteLine(CKXString(KXW("-> ")) + FormatTime(now));
    } else {
        WriteLine(componentName + KXW(" -> ") + FormatTime(now));
        CKXString counts;
        counts.Format(KXW("-> %d error(s), %d warning(s)"), errorCount, warningCount);
        WriteLine(counts);
    }
    WriteLine(KXW(""));
    return 1;
}

// strftime and a widening give the same text as wcsftime for this all-digit
// format, with the same code on every system.
CKXString KX_LOGGER::FormatTime(__time64_t time)
{
    if (time < 0)
        return CKXString();
    const struct tm* local = _localtime64(&time);
    if (!local)
        return CKXString();
    char text[4096];
    if (std::strftime(text, sizeof text, "%d/%m/%Y - %H:%M:%S", local) == 0)
        return CKXString();
    WCHAR wide[4096];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 4096) == 0)
        return CKXString();
    return CKXString(wide);
}
