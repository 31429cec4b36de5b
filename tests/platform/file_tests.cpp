#include "platform_test_support.h"

#include <sys/stat.h>

namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

class Files : public ScratchFolder {
protected:
    HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition)
    {
        return CreateFileW(WinPath(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }
};

TEST_F(Files, DispositionsFollowWindowsRules)
{
    WriteBytes("old.txt", "old content");
    struct Row {
        const char* name;
        std::string file;
        DWORD disposition;
        bool opens;
        DWORD error;
        std::string contentAfter;
    };
    const Row rows[] = {
        {"create new on existing", "old.txt", CREATE_NEW, false, ERROR_FILE_EXISTS, "old content"},
        {"create new on missing", "new1.txt", CREATE_NEW, true, ERROR_SUCCESS, ""},
        {"open existing on missing", "none.txt", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, ""},
        {"open existing in missing folder", "nodir/none.txt", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND, ""},
        {"open always on existing", "old.txt", OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old content"},
        {"open always on missing", "new2.txt", OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
        {"create always on existing", "old.txt", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
        {"truncate existing on missing", "none.txt", TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLastError(kPoison);
        std::string name = row.file;
        for (char& c : name)
            if (c == '/') c = '\\';
        FileHandle h(Open(name, kReadWrite, kShareReadWrite, row.disposition));
        EXPECT_EQ(h.valid(), row.opens);
        EXPECT_EQ(GetLastError(), row.error);
        if (row.opens) {
            EXPECT_EQ(ReadBytes(row.file), row.contentAfter);
        }
    }
}

TEST_F(Files, WritesReadsAndSeeksWithinTheFile)
{
    FileHandle h(Open("data.bin", kReadWrite, 0, CREATE_NEW));
    ASSERT_TRUE(h.valid());
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h.get(), "\xFF\xFEhello", 7, &n, nullptr));
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(SetFilePointer(h.get(), 2, nullptr, FILE_BEGIN), 2u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(std::string(buffer, n), "hello");
    ASSERT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 0u) << "reading at the end succeeds with nothing";

    EXPECT_EQ(SetFilePointer(h.get(), -3, nullptr, FILE_END), 4u);
    EXPECT_EQ(SetFilePointer(h.get(), -1, nullptr, FILE_CURRENT), 3u);
    SetLastError(kPoison);
    EXPECT_EQ(SetFilePointer(h.get(), -10, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    for (DWORD method : {FILE_CURRENT, FILE_END}) {
        SCOPED_TRACE(method);
        SetLastError(kPoison);
        EXPECT_EQ(SetFilePointer(h.get(), -100, nullptr, method), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
        EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_CURRENT), 3u) << "a refused move leaves the position";
    }

    LONG high = 1;
    EXPECT_EQ(SetFilePointer(h.get(), 0, &high, FILE_BEGIN), 0u) << "the high part moves to 4 GiB";
    EXPECT_EQ(high, 1);
    high = 0;
    EXPECT_EQ(SetFilePointer(h.get(), 0, &high, FILE_END), 7u);
    EXPECT_EQ(high, 0);
}

TEST_F(Files, RefusesAccessTheHandleWasNotOpenedFor)
{
    WriteBytes("a.txt", "abc");
    FileHandle reader(Open("a.txt", GENERIC_READ, kShareReadWrite, OPEN_EXISTING));
    ASSERT_TRUE(reader.valid());
    DWORD n = kPoison;
    SetLastError(kPoison);
    EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(n, 0u);
}

TEST_F(Files, SharingViolationsFollowBothSidesShareModes)
{
    WriteBytes("shared.txt", "x");
    struct Row {
        const char* name;
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    };
    const Row rows[] = {
        {"locked without sharing", kReadWrite, 0, GENERIC_READ, kShareReadWrite, false},
        {"both share read and write", kReadWrite, kShareReadWrite, kReadWrite, kShareReadWrite, true},
        {"first shares only reading", GENERIC_READ, FILE_SHARE_READ, kReadWrite, kShareReadWrite, false},
        {"reader among readers", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
        {"second refuses the first's writes", kReadWrite, kShareReadWrite, GENERIC_READ, FILE_SHARE_READ, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileHandle first(Open("shared.txt", row.firstAccess, row.firstShare, OPEN_EXISTING));
        ASSERT_TRUE(first.valid());
        SetLastError(kPoison);
        FileHandle second(Open("shared.txt", row.secondAccess, row.secondShare, OPEN_EXISTING));
        EXPECT_EQ(second.valid(), row.secondOpens);
        if (!row.secondOpens) {
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        }
    }
    FileHandle again(Open("shared.txt", kReadWrite, 0, OPEN_EXISTING));
    EXPECT_TRUE(again.valid()) << "closed handles no longer count";
}

TEST_F(Files, SharingViolationLeavesTheFileUntruncated)
{
    WriteBytes("keep.txt", "keep me");
    FileHandle first(Open("keep.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(first.valid());
    FileHandle second(Open("keep.txt", kReadWrite, kShareReadWrite, CREATE_ALWAYS));
    EXPECT_FALSE(second.valid());
    EXPECT_EQ(ReadBytes("keep.txt"), "keep me");
}

TEST_F(Files, ReadOnlyFilesRefuseWritingEvenToRoot)
{
    WriteBytes("ro.ini", "[LOG]\r\n");
    ASSERT_EQ(chmod(PosixPath("ro.ini").c_str(), 0444), 0);
    for (DWORD disposition : {DWORD{OPEN_EXISTING}, DWORD{OPEN_ALWAYS}, DWORD{CREATE_ALWAYS}}) {
        SCOPED_TRACE(disposition);
        SetLastError(kPoison);
        FileHandle h(Open("ro.ini", kReadWrite, kShareReadWrite, disposition));
        EXPECT_FALSE(h.valid());
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    FileHandle reader(Open("ro.ini", GENERIC_READ, kShareReadWrite, OPEN_EXISTING));
    EXPECT_TRUE(reader.valid());
    SetLastError(kPoison);
    EXPECT_FALSE(DeleteFileW(WinPath("ro.ini").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(Files, FindFirstFileDescribesOneFile)
{
    WriteBytes("client.exe.LOG", "12345");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(WinPath("client.exe.LOG").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::u16string(data.cFileName), u"client.exe.LOG");
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    SetLastError(kPoison);
    EXPECT_FALSE(CloseHandle(find)) << "search handles end with FindClose";
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));

    find = FindFirstFileW(WinPath("*.LOG").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::u16string(data.cFileName), u"client.exe.LOG");
    FindClose(find);

    SetLastError(kPoison);
    EXPECT_EQ(FindFirstFileW(WinPath("missing.LOG").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, DeleteFileRespectsOpenHandlesWithoutDeleteSharing)
{
    WriteBytes("victim.txt", "x");
    {
        FileHandle h(Open("victim.txt", GENERIC_READ, kShareReadWrite, OPEN_EXISTING));
        SetLastError(kPoison);
        EXPECT_FALSE(DeleteFileW(WinPath("victim.txt").c_str()));
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_TRUE(DeleteFileW(WinPath("victim.txt").c_str()));
    SetLastError(kPoison);
    EXPECT_FALSE(DeleteFileW(WinPath("victim.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Handles, StaleAndForeignHandlesAreRefused)
{
    SetLastError(kPoison);
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD n = 0;
    int notAHandle = 0;
    SetLastError(kPoison);
    EXPECT_FALSE(ReadFile(&notAHandle, &n, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

} // namespace
