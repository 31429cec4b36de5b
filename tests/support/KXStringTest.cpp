#include "support/KXString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

std::string Narrow(const unsigned short* text)
{
    std::string out;
    for (; *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

std::string Narrow(const CKXString& text)
{
    EXPECT_EQ(Narrow(static_cast<const unsigned short*>(text)).size(), text.GetLength());
    return Narrow(static_cast<const unsigned short*>(text));
}

CKXString Make(const std::string& text)
{
    std::basic_string<unsigned short> units(text.begin(), text.end());
    return CKXString(units.c_str());
}

} // namespace

TEST(String, DefaultIsEmptyAndEqualsTheEmptyLiteral)
{
    CKXString text;
    const unsigned short* units = text;
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(units[0], 0);
    EXPECT_NE(text.Wide(), nullptr);
    EXPECT_EQ(text.GetLength(), 0u);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(text == KXW(""));
    EXPECT_FALSE(text != KXW(""));
}

TEST(String, CopiesAreIndependent)
{
    WCHAR source[] = KXW("abc");
    CKXString original(source);
    source[0] = 'z';
    CKXString copy(original);
    copy += KXW("d");
    CKXString assigned;
    assigned = original;
    assigned = KXW("x");
    EXPECT_EQ(Narrow(original), "abc");
    EXPECT_EQ(Narrow(copy), "abcd");
    EXPECT_EQ(Narrow(assigned), "x");
}

TEST(String, MovedFromStringIsEmptyAndUsable)
{
    CKXString source(KXW("abc"));
    CKXString target(std::move(source));
    EXPECT_EQ(Narrow(target), "abc");
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_TRUE(source == KXW(""));
    source = std::move(target);
    EXPECT_EQ(Narrow(source), "abc");
    source += KXW("d");
    EXPECT_EQ(Narrow(source), "abcd");
}

TEST(String, WideIsTheSameText)
{
    CKXString text(KXW("C:\\dir"));
    EXPECT_EQ(static_cast<const void*>(text.Wide()),
              static_cast<const void*>(static_cast<const unsigned short*>(text)));
}

TEST(String, AssigningOneCharacter)
{
    CKXString text(KXW("abc"));
    text = static_cast<unsigned short>('x');
    EXPECT_EQ(Narrow(text), "x");
    text = static_cast<unsigned short>(0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(text == KXW(""));
}

TEST(String, RightTakesTheLastCharacters)
{
    const struct {
        const char* text;
        unsigned int count;
        const char* expected;
    } rows[] = {
        {"abcdef", 2, "ef"}, {"abc", 3, "abc"}, {"abc", 10, "abc"},
        {"abc", 0, ""},      {"", 5, ""},        {"dir\\", 1, "\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " / " + std::to_string(row.count));
        const CKXString text = Make(row.text);
        EXPECT_EQ(Narrow(text.Right(row.count)), row.expected);
        EXPECT_EQ(Narrow(text), row.text);
    }
}

TEST(String, FindReportsTheFirstOccurrenceAtOrAfterStart)
{
    const unsigned int untouched = 0xDEADBEEF;
    const struct {
        const char* text;
        const char* what;
        unsigned int start;
        int found;
        unsigned int position;
    } rows[] = {
        {"Z:\\tmp\\x.log", ":\\", 0, 1, 1},
        {"abcabc", "bc", 0, 1, 1},
        {"abcabc", "bc", 2, 1, 4},
        {"abcabc", "bc", 5, 0, untouched},
        {"abc", "c", 2, 1, 2},
        {"abc", "x", 0, 0, untouched},
        {"ab", "abc", 0, 0, untouched},
        {"abc", "a", 4, 0, untouched},
        {"\\\\server\\share", ":\\", 0, 0, untouched},
        {"aaa", "aa", 1, 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " / " + row.what + " / " + std::to_string(row.start));
        const CKXString what = Make(row.what);
        unsigned int position = untouched;
        EXPECT_EQ(Make(row.text).Find(what, position, row.start) != 0, row.found != 0);
        EXPECT_EQ(position, row.position);
    }
}

TEST(String, PlusLeavesTheOperandAndAppendHandlesItself)
{
    const CKXString left(KXW("ab"));
    EXPECT_EQ(Narrow(left + KXW("cd")), "abcd");
    EXPECT_EQ(Narrow(left + left), "abab");
    EXPECT_EQ(Narrow(left), "ab");

    CKXString text(KXW("xy"));
    text += text;
    EXPECT_EQ(Narrow(text), "xyxy");
    text = text.Right(3);
    EXPECT_EQ(Narrow(text), "yxy");
    text += static_cast<const unsigned short*>(text);
    EXPECT_EQ(Narrow(text), "yxyyxy");
}

TEST(String, ComparisonIsExactAndCaseSensitive)
{
    const struct {
        const char* left;
        const char* right;
        bool equal;
    } rows[] = {
        {"abc", "abc", true}, {"abc", "ABC", false}, {"abc", "ab", false},
        {"ab", "abc", false}, {"", "", true},        {"", "a", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.left) + " == " + row.right);
        const CKXString left = Make(row.left);
        const CKXString right = Make(row.right);
        EXPECT_EQ(left == static_cast<const unsigned short*>(right), row.equal);
        EXPECT_EQ(left != static_cast<const unsigned short*>(right), !row.equal);
        EXPECT_EQ(left == right.Wide(), row.equal);
        EXPECT_EQ(left != right.Wide(), !row.equal);
    }
}

TEST(String, FormatReplacesTheContent)
{
    CKXString text(KXW("old"));
    text.Format(KXW(" (Error %d)"), -5);
    EXPECT_EQ(Narrow(text), " (Error -5)");
    text.Format(KXW("%s=%u"), KXW("n"), 7u);
    EXPECT_EQ(Narrow(text), "n=7");
}

TEST(String, FormatCutsAt1023Characters)
{
    const std::basic_string<WCHAR> longText(2000, 'q');
    CKXString text;
    text.Format(KXW("%s"), longText.c_str());
    EXPECT_EQ(Narrow(text), std::string(1023, 'q'));
}
