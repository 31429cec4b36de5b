// Where a configured log name leads: made whole first, and written only when
// it opens a file on a disk.
#include "LogTestDirectory.h"

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
