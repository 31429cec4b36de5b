#include "platform_test_support.h"

#include <thread>

namespace {

// The call the logger makes, returning the text or "" when there is none.
std::u16string SystemText(DWORD code, DWORD* result)
{
    LPWSTR text = nullptr;
    *result = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0x0409,
                             reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::u16string out = text ? text : u"";
    EXPECT_EQ(LocalFree(text), nullptr);
    return out;
}

TEST(FormatMessageW, GivesWindowsEnglishTextsWithTheirLineBreak)
{
    struct Row {
        DWORD code;
        const char16_t* text;
    };
    const Row rows[] = {
        {0, u"The operation completed successfully.\r\n"},
        {2, u"The system cannot find the file specified.\r\n"},
        {3, u"The system cannot find the path specified.\r\n"},
        {5, u"Access is denied.\r\n"},
        {32, u"The process cannot access the file because it is being used by another process.\r\n"},
        {80, u"The file exists.\r\n"},
        {87, u"The parameter is incorrect.\r\n"},
        {183, u"Cannot create a file when that file already exists.\r\n"},
        {259, u"No more data is available.\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        DWORD result = 0;
        EXPECT_EQ(SystemText(row.code, &result), row.text);
        EXPECT_EQ(result, static_cast<DWORD>(std::char_traits<char16_t>::length(row.text)));
    }
}

TEST(FormatMessageW, FailsWithMessageNotFoundForUnknownCodes)
{
    SetLastError(kPoison);
    DWORD result = 1;
    EXPECT_EQ(SystemText(0x12345, &result), u"");
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
}

TEST(FormatMessageW, FillsACallerBufferOnlyWhenTheTextFits)
{
    WCHAR buffer[64];
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, 64, nullptr), 19u);
    EXPECT_EQ(std::u16string(buffer), u"Access is denied.\r\n");
    SetLastError(kPoison);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, 19, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(LastError, IsKeptPerThread)
{
    SetLastError(7);
    DWORD seenByOtherThread = kPoison;
    std::thread([&] { seenByOtherThread = GetLastError(); }).join();
    EXPECT_EQ(seenByOtherThread, 0u);
    EXPECT_EQ(GetLastError(), 7u);
}

} // namespace
