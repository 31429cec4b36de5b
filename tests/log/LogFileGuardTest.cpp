// A KX_LOG.INI may be planted by whoever can write the folder an elevated
// client starts in: the log goes to files on drive-letter paths only, and a
// refused name is never looked up or opened.
#include "LogTestDirectory.h"

#include "kxdevices.h"

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

std::string NarrowPath(LPCWSTR path)
{
    std::string narrow;
    for (; *path; ++path) narrow += static_cast<char>(*path);
    return narrow;
}

// Sees the names opened and searched: natively those that start with "\\",
// on Windows every one the test program opens or searches.
class PathRecorder final : public KXDeviceProvider {
public:
    PathRecorder() { KXSetDeviceProvider(this); }
    ~PathRecorder() { KXSetDeviceProvider(nullptr); }
    PathRecorder(const PathRecorder&) = delete;
    PathRecorder& operator=(const PathRecorder&) = delete;

    bool Open(LPCWSTR path, DWORD, void**, DWORD*) override
    {
        seen.push_back(NarrowPath(path));
        return false;
    }
    bool Find(LPCWSTR path, DWORD*) override
    {
        seen.push_back(NarrowPath(path));
        return false;
    }
    void Close(void*) override {}
    BOOL Read(void*, uint64_t, void*, DWORD, DWORD*, DWORD*) override { return FALSE; }
    BOOL Control(void*, DWORD, const void*, DWORD, void*, DWORD, DWORD*, DWORD*) override { return FALSE; }
    bool DriveType(LPCWSTR, UINT*) override { return false; }
    bool FreeSpace(LPCWSTR, BOOL*, ULONGLONG*, ULONGLONG*, ULONGLONG*, DWORD*) override { return false; }

    std::vector<std::string> seen;
};

} // namespace

TEST_F(LogTest, SharesDevicesPipesAndStreamsAreNeverTouched)
{
    const std::string here = LibraryDirectory();
    // A name counts as absolute when it holds ":\"; without one it lies under
    // the current directory, whatever it looks like.
    const std::string names[] = {
        "\\\\server\\share\\a:\\..\\x.log",
        "//server/share/a:\\..\\x.log",
        "\\\\?\\UNC\\server\\share\\a:\\..\\x.log",
        "\\\\.\\pipe\\a:\\..\\kxlog",
        "\\\\?\\" + here + "x.log",
        "\\\\.\\" + here + "x.log",
        "run.log:stream",
        here + "run.log:stream:$DATA",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE("OutputFileNameKX=" + name);
        WriteConfiguration({"OutputFileNameKX=" + name, "LogLevel=11"});
        const std::vector<std::string> before = Files();
        PathRecorder recorder;
        {
            KX_LOGGER logger;
            EXPECT_EQ(logger.opened, 0);
            EXPECT_TRUE(logger.fileName.IsEmpty());
            EXPECT_EQ(logger.logLevel, 11) << "the level is still read";
            logger.LogError("lost");
        }
        for (const std::string& path : recorder.seen) EXPECT_EQ(here + "KX_LOG.INI", path);
        EXPECT_EQ(Files(), before);
    }
}

TEST_F(LogTest, ANameThatClimbsStillLogsWhereItLands)
{
    std::filesystem::create_directory("logs");
    WriteConfiguration({"OutputFileNameKX=logs\\..\\.\\run.log"});
    {
        KX_LOGGER logger;
        EXPECT_EQ(Narrow(logger.fileName), LibraryDirectory() + "run.log");
        EXPECT_EQ(logger.opened, 1);
    }
    EXPECT_TRUE(Exists("run.log"));
}

#ifndef _WIN32
// Only a file on a disk is written; a name that reaches a pipe leaves logging off.
TEST_F(LogTest, APipeUnderTheLogNameIsNotWritten)
{
    ASSERT_EQ(0, mkfifo("run.log", 0600));
    WriteConfiguration({"OutputFileNameKX=run.log"});
    KX_LOGGER logger;
    EXPECT_EQ(logger.opened, 0);
    EXPECT_EQ(logger.file, INVALID_HANDLE_VALUE);
}
#endif
