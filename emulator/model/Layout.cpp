#include "model/Layout.h"

#include "model/Text.h"

namespace kxemu {

namespace {
// 128 entries of 128 bytes, in whole sectors: 32 of 512 bytes, 4 of 4096.
const ULONGLONG kGptEntryBytes = 128 * 128;

ULONGLONG GptEntrySectors(ULONGLONG sector)
{
    return (kGptEntryBytes + sector - 1) / sector;
}
} // namespace

ULONGLONG SectorBytes(const Disk& disk)
{
    return disk.bytesPerSector ? disk.bytesPerSector : 512;
}

bool IsPowerOfTwo(ULONGLONG value)
{
    return value && (value & (value - 1)) == 0;
}

ULONGLONG FirstUsableByte(const Disk& disk)
{
    // GPT: the protective MBR, the header, then the entries.
    const ULONGLONG sector = SectorBytes(disk);
    return (disk.style == VDS_PST_GPT ? 2 + GptEntrySectors(sector) : 1) * sector;
}

ULONGLONG UsableEnd(const Disk& disk)
{
    // GPT: the backup entries, then the backup header.
    const ULONGLONG sector = SectorBytes(disk);
    const ULONGLONG tail = disk.style == VDS_PST_GPT ? (GptEntrySectors(sector) + 1) * sector : 0;
    return disk.size > tail ? disk.size - tail : 0;
}

bool Overlaps(ULONGLONG start, ULONGLONG end, const Partition& p)
{
    return start < p.End() && p.offset < end;
}

bool Inside(ULONGLONG start, ULONGLONG end, const Partition& container)
{
    return container.offset <= start && end <= container.End();
}

bool IsLogical(const Disk& disk, const Partition& p)
{
    const Partition* container = disk.ExtendedPartition();
    return container && !p.IsContainer() && Inside(p.offset, p.End(), *container);
}

int PrimaryEntries(const Disk& disk)
{
    int entries = 0;
    for (const Partition& p : disk.partitions)
        if (!IsLogical(disk, p)) ++entries;
    return entries;
}

const Partition* ActivePartition(const Disk& disk)
{
    for (const Partition& p : disk.partitions)
        if (p.style == VDS_PST_MBR && p.active) return &p;
    return nullptr;
}

bool IsDriveRoot(const std::string& path)
{
    if (path.size() != 3 || path[1] != ':' || path[2] != '\\') return false;
    const char c = UpperAscii(path.substr(0, 1))[0];
    return c >= 'A' && c <= 'Z';
}

bool IsWellFormedAccessPath(const std::string& path)
{
    if (path.size() < 3 || !IsDriveRoot(path.substr(0, 3)) || path.back() != '\\') return false;
    bool emptyName = false;
    for (size_t i = 3; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || std::string("<>:\"/|?*").find(static_cast<char>(c)) != std::string::npos) return false;
        // "C:\\a\\" or "C:\a\\b\": an empty folder name
        if (c == '\\' && (emptyName || i == 3)) return false;
        emptyName = c == '\\';
    }
    return true;
}

} // namespace kxemu
