#include "platform_test_support.h"

namespace {

class Profile : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        WriteBytes("KX_LOG.INI", "; comment\r\n"
                                 "[Other]\r\n"
                                 "LogLevel=99\r\n"
                                 "  [ log ]  \r\n"
                                 "  OutputFileNameKX  =  logs\\run.log  \r\n"
                                 "LogLevel = 11\r\n"
                                 "Quoted=\"  spaced  \"\r\n"
                                 "Single='x'\r\n"
                                 "Half=\"open\r\n"
                                 "Empty=\r\n"
                                 "Hex=0x1F\r\n"
                                 "Negative=-5\r\n"
                                 "Trailing=42abc\r\n"
                                 "Word=abc\r\n");
        ini_ = WinPath("KX_LOG.INI");
    }

    std::u16string String(const char16_t* app, const char16_t* key, const char16_t* def, DWORD size = 256,
                          DWORD* result = nullptr)
    {
        WCHAR out[256];
        DWORD n = GetPrivateProfileStringW(app, key, def, out, size, ini_.c_str());
        EXPECT_EQ(n, static_cast<DWORD>(lstrlenW(out)));
        if (result) *result = n;
        return out;
    }

    std::u16string ini_;
};

TEST_F(Profile, MatchesSectionAndKeyWithoutRegardToCaseAndTrimsBlanks)
{
    EXPECT_EQ(String(u"LOG", u"OutputFileNameKX", u"def"), u"logs\\run.log");
    EXPECT_EQ(String(u"log", u"OUTPUTFILENAMEKX", u"def"), u"logs\\run.log");
    EXPECT_EQ(GetPrivateProfileIntW(u"LOG", u"LogLevel", 3, ini_.c_str()), 11u);
}

TEST_F(Profile, RemovesOneMatchingPairOfQuotes)
{
    struct Row {
        const char16_t* key;
        const char16_t* value;
    };
    const Row rows[] = {{u"Quoted", u"  spaced  "}, {u"Single", u"x"}, {u"Half", u"\"open"}, {u"Empty", u""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.key));
        EXPECT_EQ(String(u"LOG", row.key, u"def"), row.value);
    }
}

TEST_F(Profile, FallsBackToTheDefaultAndReportsFileNotFound)
{
    SetLastError(kPoison);
    EXPECT_EQ(String(u"LOG", u"Missing", u"fallback  "), u"fallback") << "trailing blanks of the default go";
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(String(u"NoSuchSection", u"LogLevel", nullptr), u"");

    ini_ = WinPath("absent.ini");
    SetLastError(kPoison);
    EXPECT_EQ(String(u"LOG", u"LogLevel", u"d"), u"d");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetPrivateProfileIntW(u"LOG", u"LogLevel", 3, ini_.c_str()), 3u);
}

TEST_F(Profile, CutsValuesToTheBufferAndReturnsSizeMinusOne)
{
    DWORD n = 0;
    EXPECT_EQ(String(u"LOG", u"OutputFileNameKX", nullptr, 5, &n), u"logs");
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(String(u"LOG", u"Missing", u"default", 4, &n), u"def");
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(String(u"LOG", u"OutputFileNameKX", nullptr, 1, &n), u"");
    EXPECT_EQ(n, 0u);
}

TEST_F(Profile, ParsesIntegersAsWindowsDoes)
{
    struct Row {
        const char16_t* key;
        UINT value;
    };
    const Row rows[] = {{u"Hex", 31u},        {u"Negative", static_cast<UINT>(-5)},
                        {u"Trailing", 42u},   {u"Word", 0u},
                        {u"Empty", 7u},       {u"Missing", 7u}};
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.key));
        EXPECT_EQ(GetPrivateProfileIntW(u"LOG", row.key, 7, ini_.c_str()), row.value);
    }
}

TEST_F(Profile, ReadsUtf16FilesWithAByteOrderMark)
{
    std::u16string text = u"[LOG]\r\nOutputFileNameKX=\u00E9t\u00E9.log\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    WriteBytes("utf16.ini", bytes);
    ini_ = WinPath("utf16.ini");
    EXPECT_EQ(String(u"LOG", u"OutputFileNameKX", nullptr), u"\u00E9t\u00E9.log");
}

TEST_F(Profile, TakesAFileNameWithoutFolderFromTheWorkingDirectory)
{
    WCHAR out[32];
    EXPECT_EQ(GetPrivateProfileStringW(u"LOG", u"LogLevel", nullptr, out, 32, u"KX_LOG.INI"), 2u);
    EXPECT_EQ(std::u16string(out), u"11");
}

TEST_F(Profile, ListsSectionNamesWhenNoSectionIsGiven)
{
    WCHAR out[64];
    DWORD n = GetPrivateProfileStringW(nullptr, nullptr, nullptr, out, 64, ini_.c_str());
    EXPECT_EQ(std::u16string(out, n), std::u16string(u"Other\0log\0", 10));
    EXPECT_EQ(out[n], 0);
    n = GetPrivateProfileStringW(nullptr, nullptr, nullptr, out, 6, ini_.c_str());
    EXPECT_EQ(n, 4u) << "a list that does not fit answers size - 2";
    EXPECT_EQ(std::u16string(out, 6), std::u16string(u"Othe\0\0", 6));
}

} // namespace
