#include "common/ScratchLog.h"

#include "kxplatform.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

ScratchLog::ScratchLog(int logLevel, const std::string& outputFileName)
{
    previous = std::filesystem::current_path();
    std::random_device random;
    directory = std::filesystem::temp_directory_path() / ("kxvds-log-" + std::to_string(random()));
    std::filesystem::create_directories(directory);
    std::filesystem::current_path(directory);
    std::ofstream ini("KX_LOG.INI");
    ini << "[LOG]\nOutputFileNameKX=" << outputFileName << "\nLogLevel=" << logLevel << "\n";
}

std::vector<std::string> ScratchLog::Files() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ScratchLog::~ScratchLog()
{
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

std::string ScratchLog::Text() const
{
    std::ifstream in(directory / "test.log", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string text;
    // Skip the byte-order mark; keep the low byte of each UTF-16LE unit.
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += bytes[i];
    return text;
}

std::string SystemText(unsigned long code)
{
    WCHAR* text = nullptr;
    if (!FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0x0409,
                        reinterpret_cast<WCHAR*>(&text), 0, nullptr))
        return std::string();
    std::string narrow;
    for (const WCHAR* c = text; *c; ++c)
        narrow += static_cast<char>(*c);
    LocalFree(text);
    return narrow;
}
