#include "platform_test_support.h"

namespace {

TEST(MultiByteToWideChar, CountsTheTerminatorWhenTheLengthIsMinusOne)
{
    WCHAR out[16];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, out, 16), 4);
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, out, 16), 3);
}

TEST(MultiByteToWideChar, DecodesUtf8IncludingSurrogatePairs)
{
    WCHAR out[16];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9\xF0\x9F\x98\x80", -1, out, 16), 4);
    EXPECT_EQ(std::u16string(out), u"\u00E9\U0001F600");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xFFz", -1, out, 16), 4);
    EXPECT_EQ(std::u16string(out), u"a\uFFFDz");
}

TEST(MultiByteToWideChar, RefusesTooSmallBuffersAndBadArguments)
{
    WCHAR out[3];
    SetLastError(kPoison);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, out, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    SetLastError(kPoison);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 1, "abc", -1, out, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
    SetLastError(kPoison);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, out, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(WideCharToMultiByte, EncodesUtf8AndReportsNeededSize)
{
    char out[16];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9!", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9!", -1, out, 16, nullptr, nullptr), 4);
    EXPECT_STREQ(out, "\xC3\xA9!");
    SetLastError(kPoison);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9!", -1, out, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(LstrcpynW, CopiesAtMostOneLessThanTheSizeAndTerminates)
{
    WCHAR out[8];
    std::fill(std::begin(out), std::end(out), u'#');
    EXPECT_EQ(lstrcpynW(out, u"abcdef", 4), out);
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(out[4], u'#');
    lstrcpynW(out, u"abcdef", 1);
    EXPECT_EQ(out[0], 0);
}

TEST(LstrcmpW, OrdersOrdinallyAndIgnoresCaseOnRequest)
{
    EXPECT_EQ(lstrcmpW(u"abc", u"abc"), 0);
    EXPECT_LT(lstrcmpW(u"ABC", u"abc"), 0);
    EXPECT_GT(lstrcmpW(u"abcd", u"abc"), 0);
    EXPECT_EQ(lstrcmpiW(u"KX_Log.ini", u"kx_log.INI"), 0);
    EXPECT_LT(lstrcmpiW(u"a", u"B"), 0);
}

TEST(PathAddBackslashW, AppendsOnlyWhenMissingAndReturnsTheEnd)
{
    WCHAR path[MAX_PATH] = u"Z:\\home";
    LPWSTR end = PathAddBackslashW(path);
    EXPECT_EQ(std::u16string(path), u"Z:\\home\\");
    EXPECT_EQ(end, path + 8);
    EXPECT_EQ(PathAddBackslashW(path), path + 8) << "a second call adds nothing";
    EXPECT_EQ(std::u16string(path), u"Z:\\home\\");
}

TEST(PathAddBackslashW, ReturnsNullWhenTheBackslashWouldPassMaxPath)
{
    WCHAR path[MAX_PATH + 2];
    std::u16string longest(MAX_PATH - 2, u'a');
    lstrcpynW(path, longest.c_str(), MAX_PATH);
    EXPECT_EQ(PathAddBackslashW(path), path + MAX_PATH - 1) << "258 characters still take a backslash";
    std::u16string tooLong(MAX_PATH - 1, u'a');
    lstrcpynW(path, tooLong.c_str(), MAX_PATH);
    EXPECT_EQ(PathAddBackslashW(path), nullptr);
    EXPECT_EQ(lstrlenW(path), MAX_PATH - 1);
}

TEST(PathStripPathW, KeepsTheLastComponent)
{
    struct Row {
        const char16_t* in;
        const char16_t* out;
    };
    const Row rows[] = {{u"Z:\\usr\\bin\\client.exe", u"client.exe"},
                        {u"client.exe", u"client.exe"},
                        {u"Z:\\dir\\", u"dir\\"},
                        {u"Z:name", u"name"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.in));
        WCHAR path[MAX_PATH];
        lstrcpynW(path, row.in, MAX_PATH);
        PathStripPathW(path);
        EXPECT_EQ(std::u16string(path), row.out);
    }
}

} // namespace
