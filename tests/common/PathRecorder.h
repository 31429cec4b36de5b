// Sees the names that are opened and searched for: natively those that start
// with "\\", on Windows every one that the library module or the test
// program opens or searches (through the import detours). Claims none.
#pragma once

#include "kxplatform.h"
#include "kxdevices.h"

#include <string>
#include <vector>

class PathRecorder final : public KXDeviceProvider {
public:
    PathRecorder() { KXSetDeviceProvider(this); }
    ~PathRecorder() { KXSetDeviceProvider(nullptr); }
    PathRecorder(const PathRecorder&) = delete;
    PathRecorder& operator=(const PathRecorder&) = delete;

    bool Open(LPCWSTR path, DWORD, void**, DWORD*) override { return Saw(path); }
    bool Find(LPCWSTR path, DWORD*) override { return Saw(path); }
    void Close(void*) override {}
    BOOL Read(void*, uint64_t, void*, DWORD, DWORD*, DWORD*) override { return FALSE; }
    BOOL Control(void*, DWORD, const void*, DWORD, void*, DWORD, DWORD*, DWORD*) override { return FALSE; }
    bool DriveType(LPCWSTR, UINT*) override { return false; }
    bool FreeSpace(LPCWSTR, BOOL*, ULONGLONG*, ULONGLONG*, ULONGLONG*, DWORD*) override { return false; }

    std::vector<std::string> seen;

private:
    bool Saw(LPCWSTR path)
    {
        std::string narrow;
        for (; *path; ++path) narrow += static_cast<char>(*path);
        seen.push_back(narrow);
        return false;
    }
};
