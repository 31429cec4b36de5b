// A fresh, empty current directory for each logger test, and readers of the
// files a logger leaves there.
#pragma once

#include "log/KXLogger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

class LogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes KX_LOG.INI with a [LOG] section holding these lines.
    void WriteConfiguration(const std::vector<std::string>& lines);
    // Makes the file read-only; false where this process may write to it
    // anyway (root under Wine, which keeps the state in permission bits).
    static bool MakeReadOnly(const std::string& relativePath);
    // The current directory as the library sees it, ending with a backslash.
    static std::string LibraryDirectory();

    static bool Exists(const std::string& relativePath);
    static std::vector<unsigned char> ReadBytes(const std::string& relativePath);
    // The UTF-16LE text after the byte-order mark, which must be there.
    static std::string ReadLog(const std::string& relativePath);
    // Every local time of the summary form replaced by "<time>".
    static std::string MaskTimes(const std::string& text);
    // Names of the files left in the directory, sorted.
    std::vector<std::string> Files() const;

    std::filesystem::path directory;

private:
    std::filesystem::path previous;
};

std::string Narrow(const CKXString& text);
// Closes the logger's file without a summary, so a test compares records only.
void CloseWithoutSummary(KX_LOGGER& logger);
// The executable's file name with ".LOG", as the default log file is named.
std::string DefaultLogName();
