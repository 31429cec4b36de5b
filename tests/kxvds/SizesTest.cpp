#include "Sizes.h"
#include "UsageError.h"

#include <gtest/gtest.h>

namespace {

using kxvds::FormatSize;
using kxvds::ParseSize;

TEST(ParseSize, AcceptsBytesAndBinaryUnits)
{
    struct Row {
        const char* text;
        uint64_t bytes;
    } rows[] = {
        {"0", 0},
        {"512", 512},
        {"512B", 512},
        {"4k", 4096},
        {"4KiB", 4096},
        {"100MiB", 100ULL << 20},
        {"100 mib", 100ULL << 20},
        {"1.5GiB", 3ULL << 29},
        {"0.5K", 512},
        {"2T", 2ULL << 40},
        {"16777215TiB", 16777215ULL << 40},
        {"16777215.5TiB", (16777215ULL << 40) + (1ULL << 39)},
        {"18446744073709551615", UINT64_MAX},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(r.bytes, ParseSize(r.text, "size"));
    }
}

TEST(ParseSize, RefusesWhatIsNotAWholeByteCount)
{
    struct Row {
        const char* text;
        const char* why;
    } rows[] = {
        {"", "expected a number"},
        {"GiB", "expected a number"},
        {"-1", "cannot be negative"},
        {"1GB", "ambiguous"},
        {"1 mb", "ambiguous"},
        {"1XiB", "unknown unit"},
        {"1 2", "unknown unit"},
        {"1.1B", "not a whole number of bytes"},
        {"1.0000001GiB", "too many decimals"},
        {"16777216TiB", "too large"},
        {"18446744073709551616", "too large"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        try {
            ParseSize(r.text, "offset");
            ADD_FAILURE() << "accepted";
        } catch (const kxvds::UsageError& e) {
            const std::string message = e.what();
            EXPECT_EQ(0u, message.find(std::string("bad offset '") + r.text + "'")) << message;
            EXPECT_NE(std::string::npos, message.find(r.why)) << message;
        }
    }
}

TEST(FormatSize, OneUnitTwoDecimalsAndTheRestWhereRoundingWouldHideIt)
{
    struct Row {
        uint64_t bytes;
        const char* text;
    } rows[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1 KiB"},
        {1536, "1.50 KiB"},
        {100ULL << 20, "100 MiB"},
        {5420ULL << 20, "5.29 GiB"},
        {(18ULL << 30) + (600ULL << 20), "18.59 GiB"},
        {(40ULL << 30) + (101ULL << 20), "40.10 GiB"},
        {64ULL << 30, "64 GiB"},
        {(59ULL << 30) + (1ULL << 20), "59 GiB + 1 MiB"},
        {(1ULL << 30) - 512, "1023 MiB + 1023.50 KiB"},
        {(1ULL << 40) + 5, "1 TiB + 5 B"},
        {UINT64_MAX, "16777215 TiB + 1023 GiB + 1023 MiB + 1023 KiB + 1023 B"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.bytes);
        EXPECT_EQ(r.text, FormatSize(r.bytes));
    }
}

TEST(FormatSize, ReadsBackAsTheSameSizeWhenShownWithoutRounding)
{
    for (uint64_t bytes : {512ULL, 4096ULL, 3ULL << 29, 5ULL << 30, 7ULL << 40}) {
        SCOPED_TRACE(bytes);
        std::string shown = FormatSize(bytes);
        shown.erase(shown.find(' '), 1);
        EXPECT_EQ(bytes, ParseSize(shown, "size"));
    }
}

} // namespace
