// A scratch current directory with a KX_LOG.INI that turns on every record
// the library writes, and a reader of the log it leaves. Works on the
// library from outside, as a client would see its log.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class ScratchLog {
public:
    // LogLevel 11: errors, warnings and traces.
    explicit ScratchLog(int logLevel = 11, const std::string& outputFileName = "test.log");
    ~ScratchLog();
    ScratchLog(const ScratchLog&) = delete;
    ScratchLog& operator=(const ScratchLog&) = delete;

    // The log's text (UTF-16 read as ASCII), "" while there is none.
    std::string Text() const;
    bool Contains(const std::string& line) const { return Text().find(line) != std::string::npos; }
    // Names of the files in the scratch directory, sorted.
    std::vector<std::string> Files() const;

private:
    std::filesystem::path previous;
    std::filesystem::path directory;
};

// The system's English text for a Win32 code, as error records carry it
// (texts differ between systems), line break included; "" when none.
std::string SystemText(unsigned long code);
