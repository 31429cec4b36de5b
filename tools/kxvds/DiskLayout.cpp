#include "DiskLayout.h"

#include "ErrorText.h"
#include "WideText.h"

#include <cstddef>
#include <cstdio>

namespace kxvds {

namespace {

const size_t kHeaderBytes = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
// An MBR disk of a few logical drives fits the first try; a full GPT (128
// entries) the third. The last bounds what a faulty answer can make us allocate.
const DWORD kFirstEntries = 4;
const DWORD kMostEntries = 4096;

DiskLayout Unknown(const std::string& why)
{
    DiskLayout layout;
    layout.why = why;
    return layout;
}

bool IsZero(const GUID& guid)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&guid);
    for (size_t i = 0; i < sizeof guid; ++i)
        if (bytes[i]) return false;
    return true;
}

DiskLayout Parse(const unsigned char* answer, DWORD returned, DWORD capacity, const std::string& cannot)
{
    const auto& header = *reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(answer);
    if (returned < kHeaderBytes || header.PartitionCount > capacity ||
        kHeaderBytes + header.PartitionCount * sizeof(PARTITION_INFORMATION_EX) > returned)
        return Unknown(cannot + "the answer is cut short");
    DiskLayout layout;
    switch (header.PartitionStyle) {
    case PARTITION_STYLE_MBR: layout.style = PartitionStyle::Mbr; return layout;
    case PARTITION_STYLE_RAW: layout.style = PartitionStyle::Raw; return layout;
    case PARTITION_STYLE_GPT: layout.style = PartitionStyle::Gpt; break;
    default: return Unknown(cannot + "partition style " + std::to_string(header.PartitionStyle) + " is not known here");
    }
    const auto* entries = reinterpret_cast<const PARTITION_INFORMATION_EX*>(answer + kHeaderBytes);
    for (DWORD i = 0; i < header.PartitionCount; ++i) {
        const PARTITION_INFORMATION_EX& e = entries[i];
        if (IsZero(e.Gpt.PartitionType)) continue;  // an unused entry
        GptEntry entry;
        entry.number = e.PartitionNumber;
        entry.type = e.Gpt.PartitionType;
        entry.id = e.Gpt.PartitionId;
        entry.attributes = e.Gpt.Attributes;
        layout.gpt.push_back(entry);
    }
    return layout;
}

DiskLayout QueryLayout(unsigned long diskNumber)
{
    DriveDevice device(diskNumber);
    if (!device.IsOpen()) return Unknown("cannot open " + device.Name() + ": " + Win32ErrorText(device.OpenError()));
    const std::string cannot = "cannot read the layout of " + device.Name() + ": ";
    std::vector<uint64_t> buffer;  // 8-byte aligned, as the record's LARGE_INTEGERs need
    for (DWORD entries = kFirstEntries; entries <= kMostEntries; entries *= 4) {
        const DWORD bytes = static_cast<DWORD>(kHeaderBytes + entries * sizeof(PARTITION_INFORMATION_EX));
        buffer.assign((bytes + 7) / 8, 0);
        DWORD returned = 0;
        if (DeviceIoControl(device.Handle(), IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.data(), bytes,
                            &returned, nullptr))
            return Parse(reinterpret_cast<const unsigned char*>(buffer.data()), returned, entries, cannot);
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_MORE_DATA)
            return Unknown(cannot + Win32ErrorText(error));
    }
    return Unknown(cannot + "it has more than " + std::to_string(kMostEntries) + " entries");
}

} // namespace

const GptEntry* DiskLayout::FindGpt(unsigned number) const
{
    for (const GptEntry& e : gpt)
        if (e.number == number) return &e;
    return nullptr;
}

const char* StyleName(PartitionStyle style)
{
    switch (style) {
    case PartitionStyle::Mbr: return "MBR";
    case PartitionStyle::Gpt: return "GPT";
    case PartitionStyle::Raw: return "RAW";
    default: return "unknown";
    }
}

void AddStyle(Json& document, const DiskLayout& layout)
{
    if (layout.style != PartitionStyle::Unknown) {
        document["style"] = StyleName(layout.style);
        return;
    }
    document["style"] = nullptr;
    document["styleError"] = layout.why;
}

DriveDevice::DriveDevice(unsigned long number) : name("\\\\.\\PhysicalDrive" + std::to_string(number))
{
    const WideString wide = ToWide(name);
    handle = CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) error = GetLastError();
}

DriveDevice::~DriveDevice()
{
    if (IsOpen()) CloseHandle(handle);
}

DiskLayout ReadDiskLayout(unsigned long diskNumber)
{
    DiskLayout layout = QueryLayout(diskNumber);
    if (layout.style == PartitionStyle::Unknown)
        std::fprintf(stderr, "kxvds: the partition style of disk %lu is unknown: %s\n", diskNumber, layout.why.c_str());
    return layout;
}

} // namespace kxvds
