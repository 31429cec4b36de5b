// UTF-16, tables and result texts of the client.
#include "ErrorText.h"
#include "TextTable.h"
#include "WideText.h"

#include <gtest/gtest.h>

namespace {

TEST(WideText, RoundTripsOutsideTheBasicPlane)
{
    const std::string text = "Daten \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x92\xBE";  // a-umlaut, euro, floppy disk
    const kxvds::WideString wide = kxvds::ToWide(text);
    ASSERT_EQ(12u, wide.size()) << "the floppy disk is a surrogate pair";
    EXPECT_EQ(0xD83D, static_cast<int>(wide[10]));
    EXPECT_EQ(text, kxvds::ToUtf8(wide.c_str()));
}

TEST(WideText, MalformedInputBecomesReplacementCharacters)
{
    EXPECT_EQ(kxvds::WideString(1, static_cast<KXWCHAR>(0xFFFD)), kxvds::ToWide("\xC3"));
    const KXWCHAR lone[] = {0xD800, 'a', 0};
    EXPECT_EQ("\xEF\xBF\xBD" "a", kxvds::ToUtf8(lone));
}

TEST(ResultText, NamesAndExplainsTheCodesTheLibraryReturns)
{
    struct Row {
        uint32_t code;
        const char* name;
        const char* text;
    } rows[] = {
        {0x80004002u, "E_NOINTERFACE", "no such disk"},
        {0x80004001u, "E_NOTIMPL", "exFAT"},
        {0x80070103u, "ERROR_NO_MORE_ITEMS", "no more items"},
        {0x80040154u, "REGDB_E_CLASSNOTREG", "Virtual Disk Service is not available"},
        {0x80042574u, "VDS_E_SHRINK_SIZE_TOO_BIG", "free space"},
        {0x8004255Cu, "VDS_E_DRIVE_LETTER_NOT_FREE", "drive letter is in use"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(kxvds::HexResult(r.code));
        EXPECT_EQ(r.name, kxvds::ResultName(r.code));
        EXPECT_NE(std::string::npos, kxvds::ResultText(r.code).find(r.text)) << kxvds::ResultText(r.code);
    }
}

TEST(ResultText, OtherWin32CodesGetTheSystemsText)
{
    EXPECT_EQ("access is denied", kxvds::ResultText(0x80070005u));
    EXPECT_EQ("the device is not ready", kxvds::ResultText(0x80070015u));
}

TEST(ResultText, UnknownCodesSaySo)
{
    EXPECT_EQ("0x8BADF00D", kxvds::HexResult(0x8BADF00Du));
    EXPECT_EQ("unknown error", kxvds::ResultText(0x8BADF00Du));
    EXPECT_EQ("", kxvds::ResultName(0x8BADF00Du));
    EXPECT_EQ("unknown error (Win32 error 9999)", kxvds::ResultText(0x8007270Fu));
}

TEST(TextTable, AlignsColumnsByCharactersNotBytes)
{
    kxvds::TextTable table;
    table.AddColumn("Num", kxvds::TextTable::Right);
    table.AddColumn("Label", kxvds::TextTable::Left);
    table.AddColumn("Size", kxvds::TextTable::Right);
    table.AddRow({"1", "\xC3\xA4", "100 MiB"});
    table.AddRow({"12", "Data", "4 GiB"});
    EXPECT_EQ("Num  Label     Size\n"
              "  1  \xC3\xA4      100 MiB\n"
              " 12  Data     4 GiB\n",
              table.Text());
}

} // namespace
