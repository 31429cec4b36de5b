#include "log/KXLogger.h"

#include "log/KXRecordLine.h"
#include "support/KXResource.h"

#include <cstdarg>

namespace {

struct LocalMemPolicy {
    static WCHAR* Invalid() noexcept { return nullptr; }
    static void Close(WCHAR* text) noexcept { LocalFree(text); }
};
using SystemText = KXUniqueAny<WCHAR*, LocalMemPolicy>;

void AppendNumber(KXRecordLine& line, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    line.AppendFormatted(format, args);
    va_end(args);
}

} // namespace

// "Module::Component::" and the level's word, where the level writes records.
bool KX_LOGGER::StartRecord(KXRecordLine& line, int level) const
{
    if ((logLevel & level) != level)
        return false;
    switch (level) {
    case KXLOG_ERROR:
    case KXLOG_WARNING:
    case 4:
    case KXLOG_TRACE:
    case 16:
    case 32:
        break;
    default:
        return false;
    }
    if (!moduleName.IsEmpty()) {
        line.Append(moduleName);
        line.Append(KXW("::"), 2);
    }
    if (!componentName.IsEmpty()) {
        line.Append(componentName);
        line.Append(KXW("::"), 2);
    }
    if (level == KXLOG_ERROR)
        line.Append(KXW("ERROR : "));
    else if (level == KXLOG_WARNING)
        line.Append(KXW("WARNING : "));
    return true;
}

int KX_LOGGER::FinishRecord(KXRecordLine& line, int level)
{
    if (level == KXLOG_ERROR)
        ++errorCount;
    else if (level == KXLOG_WARNING)
        ++warningCount;
    line.Append(KXW("\r\n"), 2);
    return WriteUnits(line.Data(), line.Length());
}

int KX_LOGGER::LogError(const char* format, ...)
{
    if (!(logLevel & KXLOG_ERROR))
        return 0;
    KXRecordLine line;
    StartRecord(line, KXLOG_ERROR);
    va_list args;
    va_start(args, format);
    line.AppendNarrowFormatted(format, args);
    va_end(args);

    const DWORD lastError = GetLastError();
    if (lastError != 0) {
        SystemText text;
        const DWORD textLength =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, lastError, 0x0409,
                           reinterpret_cast<WCHAR*>(text.put()), 0, nullptr);
        if (textLength != 0) {
            line.Append(KXW(" : "), 3);
            line.Append(text.get());
        } else {
            AppendNumber(line, KXW(" (Error %d)"), static_cast<int>(lastError));
        }
        SetLastError(0);
    }
    return FinishRecord(line, KXLOG_ERROR);
}

int KX_LOGGER::LogTrace(const char* format, ...)
{
    KXRecordLine line;
    if (!StartRecord(line, KXLOG_TRACE))
        return 0;
    va_list args;
    va_start(args, format);
    line.AppendNarrowFormatted(format, args);
    va_end(args);
    return FinishRecord(line, KXLOG_TRACE);
}

int KX_LOGGER::WriteRecord(int level, CKXString message)
{
    KXRecordLine line;
    if (!StartRecord(line, level))
        return 0;
    line.Append(message);
    return FinishRecord(line, level);
}
