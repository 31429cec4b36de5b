#include "platform_test_support.h"

#include <climits>
#include <sys/stat.h>

namespace {

using Paths = ScratchFolder;

TEST_F(Paths, CurrentDirectoryIsTheWorkingFolderOnDriveZ)
{
    std::u16string expected = WinPath("");
    expected.pop_back(); // no trailing backslash except at the root
    WCHAR buffer[PATH_MAX];
    EXPECT_EQ(GetCurrentDirectoryW(PATH_MAX, buffer), expected.size());
    EXPECT_EQ(std::u16string(buffer), expected);
}

TEST_F(Paths, CurrentDirectoryAnswersTheNeededSizeAndWritesNothingWhenTooSmall)
{
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    ASSERT_GT(length, 3u);
    std::u16string buffer(length, u'#');
    EXPECT_EQ(GetCurrentDirectoryW(length - 1, &buffer[0]), length) << "the size needed counts the terminator";
    EXPECT_EQ(buffer, std::u16string(length, u'#'));
    EXPECT_EQ(GetCurrentDirectoryW(length, &buffer[0]), length - 1);
}

TEST_F(Paths, RootOfThePosixTreeIsZColonBackslash)
{
    ASSERT_TRUE(SetCurrentDirectoryW(u"Z:\\"));
    WCHAR buffer[8];
    EXPECT_EQ(GetCurrentDirectoryW(8, buffer), 3u);
    EXPECT_EQ(std::u16string(buffer), u"Z:\\");
    ASSERT_TRUE(SetCurrentDirectoryW(WinPath("").c_str()));
}

TEST_F(Paths, RelativeAndRootedNamesResolveLikeWindows)
{
    ASSERT_EQ(mkdir(PosixPath("sub").c_str(), 0755), 0);
    WriteBytes("sub/file.txt", "data");
    struct Row {
        const char16_t* name;
        bool opens;
        DWORD error;
    };
    std::u16string rooted = WinPath("sub\\file.txt").substr(2); // \tmp\...\sub\file.txt
    const Row rows[] = {
        {u"sub\\file.txt", true, 0},
        {u"sub/file.txt", true, 0},
        {u"z:sub\\file.txt", true, 0},
        {rooted.c_str(), true, 0},
        {u"C:\\sub\\file.txt", false, ERROR_PATH_NOT_FOUND},
        {u"\\\\server\\share\\file.txt", false, ERROR_PATH_NOT_FOUND},
        {u"\\\\.\\C:", false, ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.name));
        SetLastError(kPoison);
        FileHandle h(CreateFileW(row.name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(h.valid(), row.opens);
        if (!row.opens) {
            EXPECT_EQ(GetLastError(), row.error);
        }
    }
}

TEST_F(Paths, SetCurrentDirectoryReportsMissingFolders)
{
    SetLastError(kPoison);
    EXPECT_FALSE(SetCurrentDirectoryW(u"missing"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    SetLastError(kPoison);
    EXPECT_FALSE(SetCurrentDirectoryW(u"D:\\"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(ModuleFileName, NamesTheExecutableInZForm)
{
    char exe[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::u16string expected = u"Z:" + Wide(exe);
    for (char16_t& c : expected)
        if (c == u'/') c = u'\\';

    WCHAR buffer[MAX_PATH * 4];
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4), expected.size());
    EXPECT_EQ(std::u16string(buffer), expected);

    SetLastError(kPoison);
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 5), 5u) << "a cut name answers the buffer size";
    EXPECT_EQ(std::u16string(buffer), expected.substr(0, 4));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(Time, LocalTimeRefusesNegativeTimes)
{
    __time64_t now = 0;
    EXPECT_EQ(_time64(&now), now);
    EXPECT_NE(_localtime64(&now), nullptr);
    __time64_t before1970 = -1;
    EXPECT_EQ(_localtime64(&before1970), nullptr);
}

} // namespace

namespace {

TEST_F(Paths, FullPathNamesAreMadeWholeWithoutTouchingAFile)
{
    const std::u16string here = WinPath("");  // ends with a backslash
    const struct {
        std::u16string name;
        std::u16string full;
    } rows[] = {
        {u"run.log", here + u"run.log"},
        {u"a\\..\\.\\b\\\\c/d", here + u"b\\c\\d"},
        {u"Z:\\x\\.\\y\\..\\z\\", u"Z:\\x\\z\\"},
        {u"C:\\..\\..\\x", u"C:\\x"},
        {u"C:x", u"C:\\x"},
        {u"\\\\server\\share\\a:\\..\\..\\x.log", u"\\\\server\\share\\x.log"},
        {u"//server/share/x", u"\\\\server\\share\\x"},
        {u"\\\\.\\pipe\\..\\x", u"\\\\.\\x"},
        {u"\\\\?\\C:\\a\\..\\b", u"\\\\?\\C:\\a\\..\\b"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name.begin(), row.name.end()));
        WCHAR buffer[512] = {};
        WCHAR* part = nullptr;
        EXPECT_EQ(GetFullPathNameW(row.name.c_str(), 512, buffer, &part), row.full.size());
        EXPECT_EQ(std::u16string(buffer), row.full);
        // Too small: nothing written, the size needed with its terminator.
        WCHAR small[2] = {u'#', u'#'};
        EXPECT_EQ(GetFullPathNameW(row.name.c_str(), 2, small, nullptr), row.full.size() + 1);
        EXPECT_EQ(u'#', small[0]);
    }
}

} // namespace
