#include "LogTestDirectory.h"

#include <string>

namespace {

// The system's text for a code, as the logger asks for it; empty when none.
std::string SystemText(DWORD code)
{
    WCHAR* text = nullptr;
    if (!FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0x0409,
                        reinterpret_cast<WCHAR*>(&text), 0, nullptr))
        return std::string();
    const std::string narrow = Narrow(CKXString(text));
    LocalFree(text);
    return narrow;
}

} // namespace

TEST_F(LogTest, LevelMaskSelectsErrorAndTraceRecords)
{
    const struct {
        int mask;
        int errorResult;
        int traceResult;
        const char* lines;
    } rows[] = {
        {3, 1, 0, "ERROR : e 1\r\n"},
        {8, 0, 1, "t 2\r\n"},
        {11, 1, 1, "ERROR : e 1\r\nt 2\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mask);
        const std::string name = "mask" + std::to_string(row.mask) + ".log";
        WriteConfiguration({"OutputFileNameKX=" + name, "LogLevel=" + std::to_string(row.mask)});
        {
            KX_LOGGER logger;
            // The rows before left the test's own file errors behind.
            SetLastError(ERROR_SUCCESS);
            EXPECT_EQ(logger.LogError("e %d", 1), row.errorResult);
            EXPECT_EQ(logger.LogTrace("t %d", 2), row.traceResult);
            EXPECT_EQ(logger.errorCount, row.errorResult);
            CloseWithoutSummary(logger);
        }
        EXPECT_EQ(ReadLog(name), row.lines);
    }
}

TEST_F(LogTest, RecordsCarryTheComponentPrefix)
{
    WriteConfiguration({"OutputFileNameKX=run.log", "LogLevel=11"});
    {
        KX_LOGGER logger;
        logger.componentName = KXW("KXVdsDisks");
        logger.LogTrace("PhysicalDrive %d found", 1);
        logger.LogError("IVdsService::QueryProviders returns IEnumVdsObject=NULL");
        logger.LogTrace("%s %u %8.8X %I64u", KXW("w"), 7u, 0x8004AB01u, 5000000000ull);
    }
    EXPECT_EQ(MaskTimes(ReadLog("run.log")),
              "KXVdsDisks::PhysicalDrive 1 found\r\n"
              "KXVdsDisks::ERROR : IVdsService::QueryProviders returns IEnumVdsObject=NULL\r\n"
              "KXVdsDisks::w 7 8004AB01 5000000000\r\n"
              "\r\n"
              "KXVdsDisks -> <time>\r\n"
              "-> 1 error(s), 0 warning(s)\r\n"
              "\r\n");
}

TEST_F(LogTest, LogErrorAppendsTheLastErrorAndClearsIt)
{
    const std::string accessDenied = SystemText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(accessDenied.empty());
    EXPECT_EQ(accessDenied.substr(accessDenied.size() - 2), "\r\n");
    const struct {
        DWORD code;
        std::string suffix;
    } rows[] = {
        {0, ""},
        {ERROR_ACCESS_DENIED, " : " + accessDenied},
        {0x2000ABCDu, " (Error 536914893)"},
        {0xE0000001u, " (Error -536870911)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        WriteConfiguration({"OutputFileNameKX=run.log"});
        std::filesystem::remove("run.log");
        {
            KX_LOGGER logger;
            SetLastError(row.code);
            EXPECT_EQ(logger.LogError("failed (%u)", 9u), 1);
            EXPECT_EQ(GetLastError(), 0u);
            CloseWithoutSummary(logger);
        }
        EXPECT_EQ(ReadLog("run.log"), "ERROR : failed (9)" + row.suffix + "\r\n");
    }
}

TEST_F(LogTest, DroppedLogErrorLeavesTheLastErrorAlone)
{
    WriteConfiguration({"LogLevel=8"});
    KX_LOGGER logger;
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(logger.LogError("dropped"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(logger.errorCount, 0);
}

TEST_F(LogTest, LongMessageIsCutAt1023Characters)
{
    WriteConfiguration({"OutputFileNameKX=run.log", "LogLevel=8"});
    const std::basic_string<WCHAR> longText(3000, 'q');
    {
        KX_LOGGER logger;
        EXPECT_EQ(logger.LogTrace("%s", longText.c_str()), 1);
        CloseWithoutSummary(logger);
    }
    EXPECT_EQ(ReadLog("run.log"), std::string(1023, 'q') + "\r\n");
}

TEST_F(LogTest, LineBreaksInAnArgumentCannotForgeARecord)
{
    WriteConfiguration({"OutputFileNameKX=run.log", "LogLevel=9"});
    const std::basic_string<WCHAR> path = KXW("E:\\a\r\nKXVdsDisks::ERROR : forged\n");
    {
        KX_LOGGER logger;
        logger.LogTrace("%s Found!", path.c_str());
        SetLastError(0);
        logger.LogError("CreateFile(%s) failed", path.c_str());
        CloseWithoutSummary(logger);
    }
    EXPECT_EQ(ReadLog("run.log"), "E:\\a\\r\\nKXVdsDisks::ERROR : forged\\n Found!\r\n"
                                  "ERROR : CreateFile(E:\\a\\r\\nKXVdsDisks::ERROR : forged\\n) failed\r\n");
}

TEST_F(LogTest, WriteRecordTagsAndCountsByLevel)
{
    const struct {
        int level;
        int mask;
        int result;
        const char* line;
    } rows[] = {
        {1, 63, 1, "ERROR : m\r\n"}, {2, 63, 1, "WARNING : m\r\n"}, {4, 63, 1, "m\r\n"},
        {16, 63, 1, "m\r\n"},        {32, 63, 1, "m\r\n"},          {4, 3, 0, ""},
        {0, 63, 0, ""},              {3, 63, 0, ""},                {64, 127, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("level " + std::to_string(row.level) + " mask " + std::to_string(row.mask));
        WriteConfiguration({"OutputFileNameKX=run.log", "LogLevel=" + std::to_string(row.mask)});
        std::filesystem::remove("run.log");
        KX_LOGGER logger;
        EXPECT_EQ(logger.WriteRecord(row.level, CKXString(KXW("m"))), row.result);
        EXPECT_EQ(logger.errorCount, row.level == 1 ? 1 : 0);
        EXPECT_EQ(logger.warningCount, row.level == 2 ? 1 : 0);
        CloseWithoutSummary(logger);
        EXPECT_EQ(ReadLog("run.log"), row.line);
    }
}
