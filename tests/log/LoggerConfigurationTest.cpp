#include "LogTestDirectory.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST_F(LogTest, WithoutConfigurationNothingIsWritten)
{
    {
        KX_LOGGER logger;
        EXPECT_EQ(logger.opened, 0);
        EXPECT_EQ(logger.file, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(logger.fileName.IsEmpty());
        EXPECT_EQ(logger.logLevel, 3);
        SetLastError(ERROR_ACCESS_DENIED);
        EXPECT_EQ(logger.LogError("lost %d", 1), 1);
        EXPECT_EQ(GetLastError(), 0u);
        EXPECT_EQ(logger.errorCount, 1);
        EXPECT_EQ(logger.WriteSummary(), 0);
    }
    EXPECT_TRUE(Files().empty());
}

TEST_F(LogTest, ReadOnlyConfigurationDisablesLogging)
{
    WriteConfiguration({"OutputFileNameKX=run.log", "LogLevel=8"});
    if (!MakeReadOnly("KX_LOG.INI")) GTEST_SKIP() << "this process may write to read-only files";
    {
        KX_LOGGER logger;
        EXPECT_EQ(logger.logLevel, 8) << "the level is still read";
        EXPECT_EQ(logger.opened, 0);
        EXPECT_TRUE(logger.fileName.IsEmpty());
        logger.LogError("lost");
    }
    EXPECT_EQ(Files(), std::vector<std::string>{"KX_LOG.INI"});
}

TEST_F(LogTest, OutputFileNameWithoutDriveIsTakenRelativeToTheCurrentDirectory)
{
    fs::create_directory("logs");
    fs::create_directory("other");
    const std::string here = LibraryDirectory();
    const struct {
        std::string value;
        std::string fileName;
        std::string created;
    } rows[] = {
        {"run.log", here + "run.log", "run.log"},
        {"logs\\run.log", here + "logs\\run.log", "logs/run.log"},
        {here + "other\\abs.log", here + "other\\abs.log", "other/abs.log"},
        // Without ":\\" the name is relative, and its doubled backslash one.
        {"\\\\server\\share\\x.log", here + "server\\share\\x.log", ""},
        {"", here, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("OutputFileNameKX=" + row.value);
        WriteConfiguration({"OutputFileNameKX=" + row.value});
        const std::vector<std::string> before = Files();
        {
            KX_LOGGER logger;
            EXPECT_EQ(Narrow(logger.fileName), row.fileName);
            EXPECT_EQ(logger.opened, row.created.empty() ? 0 : 1);
        }
        if (row.created.empty()) {
            EXPECT_EQ(Files(), before);
        } else {
            EXPECT_TRUE(Exists(row.created));
            EXPECT_EQ(MaskTimes(ReadLog(row.created)), "\r\n-> <time>\r\n\r\n");
        }
    }
}

TEST_F(LogTest, DefaultFileIsTheExecutableNameWithLogAppended)
{
    WriteConfiguration({"LogLevel=3"});
    {
        KX_LOGGER logger;
        EXPECT_EQ(Narrow(logger.fileName), LibraryDirectory() + DefaultLogName());
        EXPECT_EQ(logger.opened, 1);
    }
    EXPECT_EQ(MaskTimes(ReadLog(DefaultLogName())), "\r\n-> <time>\r\n\r\n");
}

TEST_F(LogTest, ExistingLogIsAppendedWithoutASecondByteOrderMark)
{
    WriteConfiguration({"OutputFileNameKX=run.log"});
    {
        std::ofstream old("run.log", std::ios::binary);
        old.write("\xFF\xFEo\0l\0d\0\r\0\n\0", 12);
    }
    {
        KX_LOGGER logger;
        logger.LogError("new");
    }
    EXPECT_EQ(MaskTimes(ReadLog("run.log")),
              "old\r\nERROR : new\r\n\r\n -> <time>\r\n-> 1 error(s), 0 warning(s)\r\n\r\n");
}

TEST_F(LogTest, ExistingLogWithoutMarkKeepsItsStart)
{
    WriteConfiguration({"OutputFileNameKX=run.log"});
    {
        std::ofstream old("run.log", std::ios::binary);
        old.write("A\0", 2);
    }
    { KX_LOGGER logger; }
    const std::vector<unsigned char> bytes = ReadBytes("run.log");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 'A');
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], '\r');
}

TEST_F(LogTest, LogLevelComesFromTheConfiguration)
{
    const struct {
        std::vector<std::string> lines;
        int level;
    } rows[] = {
        {{}, 3},
        {{"LogLevel=11"}, 11},
        {{"LogLevel=8"}, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.level);
        WriteConfiguration(row.lines);
        KX_LOGGER logger;
        EXPECT_EQ(logger.logLevel, row.level);
    }
}

TEST_F(LogTest, CreatingTheLoggerKeepsTheCallersLastError)
{
    const struct {
        const char* name;
        std::vector<std::string> lines;
    } rows[] = {
        {"no configuration", {}},
        {"new log file", {"OutputFileNameKX=run.log"}},
        {"unopenable log file", {"OutputFileNameKX=missing\\run.log"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.lines.empty())
            WriteConfiguration(row.lines);
        SetLastError(ERROR_ACCESS_DENIED);
        KX_LOGGER logger;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
}
