#include "log/KXLogger.h"

#include "support/KXResource.h"

#include <cstdarg>
#include <cstring>

namespace {

const int workBufferLength = 4096;

struct LocalMemPolicy {
    static WCHAR* Invalid() noexcept { return nullptr; }
    static void Close(WCHAR* text) noexcept { LocalFree(text); }
};
using SystemText = KXUniqueAny<WCHAR*, LocalMemPolicy>;

// Widens the 8-bit format, then expands it; wvsprintfW stops at 1024 units.
CKXString ComposeMessage(const char* format, va_list args)
{
    WCHAR wideFormat[workBufferLength];
    WCHAR message[workBufferLength];
    const int formatBytes = static_cast<int>(std::strlen(format)) + 1;
    // A format too long for the buffer is cut to what fits.
    const int inputBytes = formatBytes <= workBufferLength ? formatBytes : workBufferLength - 1;
    const int widened = MultiByteToWideChar(CP_ACP, 0, format, inputBytes, wideFormat, inputBytes);
    if (widened <= 0)
        wideFormat[0] = 0;
    else if (widened < workBufferLength)
        wideFormat[widened] = 0;
    if (wvsprintfW(message, wideFormat, args) < 0)
        message[0] = 0;
    return CKXString(message);
}

} // namespace

int KX_LOGGER::LogError(const char* format, ...)
{
    if (!(logLevel & KXLOG_ERROR))
        return 0;
    va_list args;
    va_start(args, format);
    CKXString message = ComposeMessage(format, args);
    va_end(args);

    const DWORD lastError = GetLastError();
    if (lastError != 0) {
        SystemText text;
        const DWORD textLength =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, lastError, 0x0409,
                           reinterpret_cast<WCHAR*>(text.put()), 0, nullptr);
        if (textLength != 0) {
            message += KXW(" : ");
            message += text.get();
        } else {
            CKXString suffix;
            suffix.Format(KXW(" (Error %d)"), static_cast<int>(lastError));
            message += suffix;
        }
        SetLastError(0);
    }
    return WriteRecord(KXLOG_ERROR, message);
}

int KX_LOGGER::LogTrace(const char* format, ...)
{
    if (!(logLevel & KXLOG_TRACE))
        return 0;
    va_list args;
    va_start(args, format);
    CKXString message = ComposeMessage(format, args);
    va_end(args);
    return WriteRecord(KXLOG_TRACE, message);
}

int KX_LOGGER::WriteRecord(int level, CKXString message)
{
    CKXString prefix;
    if (!moduleName.IsEmpty())
        prefix += moduleName + KXW("::");
    if (!componentName.IsEmpty())
        prefix += componentName + KXW("::");

    if ((logLevel & level) != level)
        return 0;
    switch (level) {
    case KXLOG_ERROR:
        ++errorCount;
        return WriteLine(prefix + KXW("ERROR : ") + message);
    case KXLOG_WARNING:
        ++warningCount;
        return WriteLine(prefix + KXW("WARNING : ") + message);
    case 4:
    case KXLOG_TRACE:
    case 16:
    case 32:
        return WriteLine(prefix + message);
    default:
        return 0;
    }
}
