#include "platform_test_support.h"

#include <cstdint>

namespace {

std::u16string Format(const char16_t* format, ...)
{
    WCHAR buffer[2048];
    va_list args;
    va_start(args, format);
    int n = wvsprintfW(buffer, format, args);
    va_end(args);
    EXPECT_EQ(n, lstrlenW(buffer));
    return std::u16string(buffer);
}

TEST(WvsprintfW, FormatsTheDirectivesCallersUse)
{
    EXPECT_EQ(Format(u"CoCreateInstance failed (%u - %8.8X)", 0x80040154u, 0x80040154u),
              u"CoCreateInstance failed (2147746132 - 80040154)");
    EXPECT_EQ(Format(u"PhysicalDrive %d found", 1), u"PhysicalDrive 1 found");
    EXPECT_EQ(Format(u"%d|%i|%u", -42, -7, 4294967295u), u"-42|-7|4294967295");
    EXPECT_EQ(Format(u"%x|%X|%8.8X", 0xbeefu, 0xbeefu, 0x1Au), u"beef|BEEF|0000001A");
    EXPECT_EQ(Format(u"%I64d|%I64u|%I64x", INT64_C(-9000000000), UINT64_C(18446744073709551615),
                     UINT64_C(0x123456789A)),
              u"-9000000000|18446744073709551615|123456789a");
    EXPECT_EQ(Format(u"%s and %ls", u"wide", u"long"), u"wide and long");
    EXPECT_EQ(Format(u"%hs|%c|%hc", "narrow", u'W', 'n'), u"narrow|W|n");
    EXPECT_EQ(Format(u"100%% %ld %hd %hu", 5, 70000, 70000), u"100% 5 4464 4464");
}

TEST(WvsprintfW, PadsAndAlignsAsWindowsDoes)
{
    EXPECT_EQ(Format(u"[%5d][%-5d][%05d]", 42, 42, 42), u"[   42][42   ][00042]");
    EXPECT_EQ(Format(u"[%05d][%-05d]", -42, -42), u"[-0042][-42  ]");
    EXPECT_EQ(Format(u"[%.3d][%6.3d]", 7, -7), u"[007][  -007]");
    EXPECT_EQ(Format(u"[%8s][%-8s][%.2s]", u"abc", u"abc", u"abc"), u"[     abc][abc     ][ab]");
    EXPECT_EQ(Format(u"[%#x]", 255u), u"[0xff]");
}

TEST(WvsprintfW, PrintsNullStringsAsNull)
{
    EXPECT_EQ(Format(u"<%s>", static_cast<LPCWSTR>(nullptr)), u"<(null)>");
}

TEST(WvsprintfW, CutsOutputAtTheTerminatorOfThe1024UnitBuffer)
{
    struct Row {
        const char* name;
        size_t length;
        int expected;
    };
    const Row rows[] = {{"fits exactly", 1023, 1023}, {"one over", 1024, 1023}, {"far over", 3000, 1023}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::u16string text(row.length, u'x');
        WCHAR buffer[4096];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_EQ(wsprintfW(buffer, u"%s", text.c_str()), row.expected);
        EXPECT_EQ(buffer[1023], 0);
        EXPECT_EQ(buffer[1022], u'x');
        EXPECT_EQ(buffer[1024], u'#') << "wrote past the 1024-unit limit";
    }
}

TEST(WvsprintfW, CutsLiteralTextAndPaddingToo)
{
    std::u16string format(1100, u'a');
    WCHAR buffer[2048];
    EXPECT_EQ(wsprintfW(buffer, format.c_str()), 1023);
    EXPECT_EQ(wsprintfW(buffer, u"%2000d", 5), 1023);
    EXPECT_EQ(buffer[1022], u' ');
}

} // namespace
