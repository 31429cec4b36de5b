// A disk object connected to emulated disk 1 and helpers to create a
// partition on it and read what the creation left behind.
#pragma once

#include "common/EmulatorTest.h"

#include <cstdio>
#include <string>

class NewPartitionTest : public EmulatorTest {
protected:
    static constexpr ULONGLONG kUnwritten = 0xDEADBEEFDEADBEEFULL;

    // A new machine with disk 1 of `size` bytes; drops what the disk object held.
    kxemu::Disk& NewDisk(ULONGLONG size)
    {
        disk.reset(GetVdsDiskInterface());
        Machine().Clear();
        physical = &Machine().AddProvider().AddPack().AddDisk(1, size);
        return *physical;
    }

    // Connects disk 1 and starts the call records afresh.
    void ConnectDisk()
    {
        ASSERT_EQ(S_OK, disk->Connect(1));
        emu.ResetCalls();
    }

    HRESULT Create(ULONGLONG offset, ULONGLONG size, unsigned char type = 0x07, unsigned char active = 0)
    {
        newOffset = kUnwritten;
        return disk->CreatePartition(offset, size, type, active, &newOffset);
    }

    unsigned Recorded() const { return KXGetRecordedResult(disk.get()); }

    // The volume's first access path as a fresh partition object sees it.
    std::string FirstPathAt(ULONGLONG offset)
    {
        IKXVdsPartition* raw = nullptr;
        if (disk->GetPartitionByOffset(offset, &raw) != S_OK) return "<no partition>";
        PartitionPtr partition(raw);
        WCHAR path[MAX_PATH] = {};
        if (partition->GetFirstAccessPath(path, MAX_PATH) != S_OK) return "<none>";
        std::string narrow;
        for (const WCHAR* c = path; *c; ++c) narrow += static_cast<char>(*c);
        return narrow;
    }

    // "(%u - %8.8X)" as the library's failure records show a code.
    static std::string Codes(HRESULT hr)
    {
        char text[40];
        std::snprintf(text, sizeof text, "(%u - %8.8X)", static_cast<unsigned>(hr), static_cast<unsigned>(hr));
        return text;
    }

    kxemu::Disk* physical = nullptr;
    ULONGLONG newOffset = kUnwritten;
};
