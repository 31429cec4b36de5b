// A KX_LOG.INI may be planted by whoever can write the folder an elevated
// client starts in: the shipped module logs to files on drive-letter paths
// only, and never looks up or opens a refused name.
#include "KXVdsDisks.h"
#include "common/PathRecorder.h"
#include "common/ScratchLog.h"

#include <gtest/gtest.h>

namespace {

std::string CurrentDirectory()
{
    WCHAR buffer[1024] = {};
    GetCurrentDirectoryW(1024, buffer);
    std::string narrow;
    for (const WCHAR* c = buffer; *c; ++c) narrow += static_cast<char>(*c);
    return narrow + (narrow.back() == '\\' ? "" : "\\");
}

TEST(LogFileGuard, SharesDevicesPipesAndStreamsAreNeverTouched)
{
    // Each name holds ":\" and so counts as absolute; without one a name lies
    // under the current directory, whatever it looks like.
    const std::string elsewhere = CurrentDirectory();
    const std::string names[] = {
        "\\\\server\\share\\a:\\..\\x.log",
        "//server/share/a:\\..\\x.log",
        "\\\\?\\UNC\\server\\share\\a:\\..\\x.log",
        "\\\\.\\pipe\\a:\\..\\kxlog",
        "\\\\?\\" + elsewhere + "x.log",
        "\\\\.\\" + elsewhere + "x.log",
        "run.log:stream",
        elsewhere + "run.log:stream:$DATA",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE("OutputFileNameKX=" + name);
        const ScratchLog planted(11, name);
        const std::vector<std::string> before = planted.Files();
        PathRecorder recorder;
        IKXVdsDisk* disk = GetVdsDiskInterface();
        ASSERT_NE(nullptr, disk);
        disk->Connect(0);  // fails without a disk service, and logs that
        disk->Release();
        for (const std::string& path : recorder.seen) EXPECT_EQ(CurrentDirectory() + "KX_LOG.INI", path);
        EXPECT_EQ(before, planted.Files());
    }
}

} // namespace
