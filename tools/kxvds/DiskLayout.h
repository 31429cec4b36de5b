// How a disk is partitioned, asked of the storage stack beside the library:
// the library's interface knows no partition style, and on a GPT disk its
// MBR fields (type, active, primary) hold bytes of the type GUID instead.
#pragma once

#include "Output.h"
#include "kxplatform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kxvds {

enum class PartitionStyle { Mbr, Gpt, Raw, Unknown };

struct GptEntry {
    unsigned number = 0;
    GUID type = {};
    GUID id = {};
    uint64_t attributes = 0;
};

struct DiskLayout {
    PartitionStyle style = PartitionStyle::Unknown;
    std::string why;            // Unknown: why the layout could not be read
    std::vector<GptEntry> gpt;  // GPT: the entries in use

    const GptEntry* FindGpt(unsigned number) const;
};

// "MBR", "GPT", "RAW", "unknown"
const char* StyleName(PartitionStyle style);

// "style": "MBR", "GPT" or "RAW"; when not known null, and "styleError" says why.
void AddStyle(Json& document, const DiskLayout& layout);

// \\.\PhysicalDriveN opened for queries: asking for neither read nor write
// access, it needs no administrator rights.
class DriveDevice {
public:
    explicit DriveDevice(unsigned long number);
    ~DriveDevice();
    DriveDevice(const DriveDevice&) = delete;
    DriveDevice& operator=(const DriveDevice&) = delete;

    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    DWORD OpenError() const { return error; }
    HANDLE Handle() const { return handle; }
    const std::string& Name() const { return name; }

private:
    std::string name;
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = 0;
};

// The style, and on GPT each partition's type, id and attributes. A layout
// that cannot be read comes back Unknown, and stderr says why.
DiskLayout ReadDiskLayout(unsigned long diskNumber);

} // namespace kxvds
