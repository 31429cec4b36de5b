#include "LogTestDirectory.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>

namespace fs = std::filesystem;

void LogTest::SetUp()
{
    previous = fs::current_path();
    std::random_device random;
    for (;;) {
        directory = fs::temp_directory_path() / ("kxlog-" + std::to_string(random()));
        if (fs::create_directory(directory))
            break;
    }
    fs::current_path(directory);
    SetLastError(0);
}

void LogTest::TearDown()
{
    DeleteProcessLogger();
    fs::current_path(previous);
    for (const auto& entry : fs::recursive_directory_iterator(directory))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(directory);
}

void LogTest::WriteConfiguration(const std::vector<std::string>& lines)
{
    std::ofstream out("KX_LOG.INI", std::ios::binary);
    out << "[LOG]\r\n";
    for (const auto& line : lines)
        out << line << "\r\n";
}

bool LogTest::MakeReadOnly(const std::string& relativePath)
{
    fs::permissions(relativePath, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::basic_string<WCHAR> name(relativePath.begin(), relativePath.end());
    HANDLE probe = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return true;
    CloseHandle(probe);
    return false;
}

std::string LogTest::LibraryDirectory()
{
    WCHAR buffer[2048] = {};
    GetCurrentDirectoryW(2048, buffer);
    std::string text = Narrow(CKXString(buffer));
    if (text.back() != '\\')
        text += '\\';
    return text;
}

bool LogTest::Exists(const std::string& relativePath)
{
    return fs::exists(relativePath);
}

std::vector<unsigned char> LogTest::ReadBytes(const std::string& relativePath)
{
    std::ifstream in(relativePath, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string LogTest::ReadLog(const std::string& relativePath)
{
    const std::vector<unsigned char> bytes = ReadBytes(relativePath);
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.size() % 2, 0u);
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) {
        ADD_FAILURE() << relativePath << " does not start with the byte-order mark";
        return std::string();
    }
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}

std::string LogTest::MaskTimes(const std::string& text)
{
    static const std::regex time(R"(\d{2}/\d{2}/\d{4} - \d{2}:\d{2}:\d{2})");
    return std::regex_replace(text, time, "<time>");
}

std::vector<std::string> LogTest::Files() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(directory))
        names.push_back(fs::relative(entry.path(), directory).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Narrow(const CKXString& text)
{
    std::string out;
    for (const unsigned short* unit = text; *unit; ++unit)
        out += *unit < 0x80 ? static_cast<char>(*unit) : '?';
    return out;
}

void CloseWithoutSummary(KX_LOGGER& logger)
{
    if (logger.opened)
        CloseHandle(logger.file);
    logger.file = INVALID_HANDLE_VALUE;
    logger.opened = 0;
}

std::string DefaultLogName()
{
#if defined(_WIN32)
    return "log_tests.exe.LOG";
#else
    return "log_tests.LOG";
#endif
}
