// System message texts, U.S. English, as FormatMessageW returns them.
#include "kxwin32.h"

#include "lasterror.h"
#include "local_memory.h"

#include <cstring>
#include <string>

using namespace kxwin32;

namespace {

constexpr DWORD kMaxWidthMask = 0x000000FF;
constexpr DWORD kLanguageNeutral = 0x0000;
constexpr DWORD kLanguageUserDefault = 0x0400;
constexpr DWORD kLanguageSystemDefault = 0x0800;
constexpr DWORD kLanguageEnglishUS = 0x0409;

struct SystemMessage {
    DWORD code;
    const char16_t* text;
};

const SystemMessage kMessages[] = {
    {ERROR_SUCCESS, u"The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, u"Incorrect function.\r\n"},
    {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified.\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, u"The system cannot open the file.\r\n"},
    {ERROR_ACCESS_DENIED, u"Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, u"The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, u"Not enough memory resources are available to process this command.\r\n"},
    {ERROR_NO_MORE_FILES, u"There are no more files.\r\n"},
    {ERROR_NOT_READY, u"The device is not ready.\r\n"},
    {ERROR_GEN_FAILURE, u"A device attached to the system is not functioning.\r\n"},
    {ERROR_SHARING_VIOLATION, u"The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_HANDLE_EOF, u"Reached the end of the file.\r\n"},
    {ERROR_NOT_SUPPORTED, u"The request is not supported.\r\n"},
    {ERROR_FILE_EXISTS, u"The file exists.\r\n"},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect.\r\n"},
    {ERROR_DISK_FULL, u"There is not enough space on the disk.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, u"The data area passed to a system call is too small.\r\n"},
    {ERROR_INVALID_NAME, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_MOD_NOT_FOUND, u"The specified module could not be found.\r\n"},
    {ERROR_NEGATIVE_SEEK, u"An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {ERROR_NOT_LOCKED, u"The segment is already unlocked.\r\n"},
    {ERROR_ALREADY_EXISTS, u"Cannot create a file when that file already exists.\r\n"},
    {ERROR_MORE_DATA, u"More data is available.\r\n"},
    {ERROR_NO_MORE_ITEMS, u"No more data is available.\r\n"},
    {ERROR_DIRECTORY, u"The directory name is invalid.\r\n"},
    {ERROR_INVALID_FLAGS, u"Invalid flags.\r\n"},
    {ERROR_UNRECOGNIZED_VOLUME,
     u"The volume does not contain a recognized file system.\r\n"
     u"Please make sure that all required file system drivers are loaded and that the volume is not corrupted.\r\n"},
    {ERROR_RESOURCE_DATA_NOT_FOUND, u"The specified image file did not contain a resource section.\r\n"},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, u"The specified resource type cannot be found in the image file.\r\n"},
    {ERROR_RESOURCE_LANG_NOT_FOUND, u"The specified resource language ID cannot be found in the image file.\r\n"},
};

const char16_t* FindMessage(DWORD code)
{
    for (const SystemMessage& m : kMessages)
        if (m.code == code) return m.text;
    return nullptr;
}

bool IsEnglishOrDefault(DWORD languageId)
{
    return languageId == kLanguageNeutral || languageId == kLanguageUserDefault ||
           languageId == kLanguageSystemDefault || languageId == kLanguageEnglishUS;
}

} // namespace

// The source is only read for message tables and caller strings, and the
// system texts here carry no inserts, so neither source nor args is used.
DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size, va_list*)
{
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & kMaxWidthMask) || !buffer)
        return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
    if (!IsEnglishOrDefault(languageId)) return Fail(ERROR_RESOURCE_LANG_NOT_FOUND, DWORD{0});
    const char16_t* text = FindMessage(messageId);
    if (!text) return Fail(ERROR_MR_MID_NOT_FOUND, DWORD{0});
    DWORD length = static_cast<DWORD>(std::char_traits<char16_t>::length(text));

    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        // `size` is then the least number of characters to allocate.
        DWORD units = length + 1 > size ? length + 1 : size;
        auto block = static_cast<LPWSTR>(LocalAllocBytes(units * sizeof(WCHAR)));
        if (!block) return 0;
        std::memcpy(block, text, (length + 1) * sizeof(WCHAR));
        *reinterpret_cast<LPWSTR*>(buffer) = block;
        return length;
    }
    if (size < length + 1) return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    std::memcpy(buffer, text, (length + 1) * sizeof(WCHAR));
    return length;
}
