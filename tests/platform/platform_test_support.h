// Helpers shared by the platform tests: a scratch folder that is also the
// working directory, and conversions between test strings and Z:\ paths.
#pragma once

#include "kxwin32.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

constexpr DWORD kPoison = 0xDEADBEEF;

inline std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

inline std::string Narrow(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out.push_back(static_cast<char>(c));
    return out;
}

// Runs each test inside a fresh folder and returns to the old working
// directory afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char old[PATH_MAX];
        ASSERT_NE(getcwd(old, sizeof old), nullptr);
        previous_ = old;
        char pattern[] = "/tmp/kxwin32-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ASSERT_EQ(chdir(folder_.c_str()), 0);
    }

    void TearDown() override
    {
        ASSERT_EQ(chdir(previous_.c_str()), 0);
        std::string command = "rm -rf '" + folder_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // The Z:\ form of a name inside the scratch folder.
    std::u16string WinPath(const std::string& name) const
    {
        std::string path = folder_ + "/" + name;
        std::u16string out = u"Z:";
        for (char c : path)
            out.push_back(c == '/' ? u'\\' : static_cast<char16_t>(c));
        return out;
    }

    std::string PosixPath(const std::string& name) const { return folder_ + "/" + name; }

    void WriteBytes(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(PosixPath(name), std::ios::binary);
        out << bytes;
    }

    std::string ReadBytes(const std::string& name) const
    {
        std::ifstream in(PosixPath(name), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::string folder_;

private:
    std::string previous_;
};

// Closes a HANDLE when the test leaves scope, whatever happened.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle()
    {
        if (valid()) CloseHandle(h_);
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

private:
    HANDLE h_;
};
