#include "LogTestDirectory.h"

#include <regex>

TEST_F(LogTest, SummaryTakesTheShortFormOnlyWithoutErrorsAndWarnings)
{
    const struct {
        int errors;
        int warnings;
        const char* summary;
    } rows[] = {
        {0, 0, "\r\n-> <time>\r\n\r\n"},
        {0, 2, "\r\nKXVdsDisks -> <time>\r\n-> 0 error(s), 2 warning(s)\r\n\r\n"},
        {12, 3, "\r\nKXVdsDisks -> <time>\r\n-> 12 error(s), 3 warning(s)\r\n\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.errors) + " errors, " + std::to_string(row.warnings) + " warnings");
        WriteConfiguration({"OutputFileNameKX=run.log"});
        std::filesystem::remove("run.log");
        {
            KX_LOGGER logger;
            logger.componentName = KXW("KXVdsDisks");
            logger.errorCount = row.errors;
            logger.warningCount = row.warnings;
        }
        EXPECT_EQ(MaskTimes(ReadLog("run.log")), row.summary);
    }
}

TEST_F(LogTest, FormatTimeGivesDayMonthYearAndTime)
{
    KX_LOGGER logger;
    const std::string now = Narrow(logger.FormatTime(_time64(nullptr)));
    EXPECT_TRUE(std::regex_match(now, std::regex(R"([0-3]\d/[01]\d/20\d\d - [0-2]\d:[0-5]\d:[0-6]\d)"))) << now;
    EXPECT_TRUE(logger.FormatTime(-1).IsEmpty());
}

TEST_F(LogTest, ProcessLoggerIsCreatedOnceAndRecreatedAfterDeletion)
{
    WriteConfiguration({"OutputFileNameKX=run.log"});
    KX_LOGGER* first = GetLogger();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLogger(), first);
    first->componentName = KXW("KXVdsDisks");
    first->LogError("first");
    DeleteProcessLogger();

    GetLogger()->LogError("second");
    EXPECT_EQ(GetLogger()->errorCount, 1);
    DeleteProcessLogger();
    DeleteProcessLogger();

    EXPECT_EQ(MaskTimes(ReadLog("run.log")),
              "KXVdsDisks::ERROR : first\r\n"
              "\r\nKXVdsDisks -> <time>\r\n-> 1 error(s), 0 warning(s)\r\n\r\n"
              "ERROR : second\r\n"
              "\r\n -> <time>\r\n-> 1 error(s), 0 warning(s)\r\n\r\n");
}
