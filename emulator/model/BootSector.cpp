#include "model/BootSector.h"

#include <algorithm>
#include <cstring>

namespace kxemu {

namespace {

void Put16(std::vector<BYTE>& s, size_t at, uint16_t v)
{
    s[at] = static_cast<BYTE>(v);
    s[at + 1] = static_cast<BYTE>(v >> 8);
}

void Put32(std::vector<BYTE>& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<BYTE>(v >> (8 * i));
}

void Put64(std::vector<BYTE>& s, size_t at, uint64_t v)
{
    for (int i = 0; i < 8; ++i) s[at + i] = static_cast<BYTE>(v >> (8 * i));
}

void PutText(std::vector<BYTE>& s, size_t at, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i) s[at + i] = i < text.size() ? static_cast<BYTE>(text[i]) : ' ';
}

struct Geometry {
    ULONG bytesPerSector = 512;
    ULONG sectorsPerTrack = 63;
    ULONG heads = 255;
    ULONGLONG hiddenSectors = 0;
};

Geometry GeometryOf(Volume& volume)
{
    Geometry g;
    if (volume.extents.empty()) return g;
    Disk* disk = volume.OwnerPack().OwnerMachine().FindDisk(volume.extents[0].diskNumber);
    if (!disk) return g;
    g.bytesPerSector = disk->bytesPerSector ? disk->bytesPerSector : 512;
    g.sectorsPerTrack = disk->sectorsPerTrack;
    g.heads = disk->tracksPerCylinder;
    if (const Partition* p = disk->FindPartition(volume.extents[0].partitionNumber))
        g.hiddenSectors = p->offset / g.bytesPerSector;
    return g;
}

std::string FatLabel(const std::string& label)
{
    return label.empty() ? "NO NAME" : label.substr(0, 11);
}

} // namespace

ULONGLONG FatBytes(VDS_FILE_SYSTEM_TYPE type, ULONGLONG clusters)
{
    const ULONGLONG entry = type == VDS_FST_FAT32 ? 4 : 2;
    return ((clusters + 2) * entry + 511) / 512 * 512;
}

void WriteBootSector(Volume& volume)
{
    std::vector<BYTE>& s = volume.bootSector;
    s.assign(kBootSectorSize, 0);
    const Geometry g = GeometryOf(volume);
    const ULONG unit = volume.unitSize ? volume.unitSize : 4096;
    const ULONGLONG sectors = volume.totalBytes / g.bytesPerSector;
    const uint32_t serial = 0x4b580000u + volume.index;

    s[0] = 0xEB;
    s[2] = 0x90;
    Put16(s, 11, static_cast<uint16_t>(g.bytesPerSector));
    s[13] = static_cast<BYTE>(std::min<ULONG>(unit / g.bytesPerSector, 0x80));
    s[21] = 0xF8;
    Put16(s, 24, static_cast<uint16_t>(g.sectorsPerTrack));
    Put16(s, 26, static_cast<uint16_t>(g.heads));
    Put32(s, 28, static_cast<uint32_t>(g.hiddenSectors));

    switch (volume.fileSystem) {
    case VDS_FST_NTFS: {
        s[1] = 0x52;
        PutText(s, 3, "NTFS", 8);
        Put32(s, 36, 0x00800080);
        Put64(s, 40, sectors ? sectors - 1 : 0);
        Put64(s, 48, 0xC0000 / unit ? 0xC0000 / unit : 1);        // $MFT
        Put64(s, 56, (volume.totalBytes / 2) / unit);             // $MFTMirr
        s[64] = 0xF6;                                              // 1024-byte records
        s[68] = static_cast<BYTE>(unit >= 4096 ? 1 : 4096 / unit);
        Put64(s, 72, 0x4b58454d00000000ULL | serial);
        std::copy(volume.ntfsTag.begin(), volume.ntfsTag.end(), s.begin() + kNtfsTagOffset);
        break;
    }
    case VDS_FST_FAT:
    case VDS_FST_FAT32: {
        const bool fat32 = volume.fileSystem == VDS_FST_FAT32;
        const ULONGLONG clusters = volume.totalBytes / unit;
        // The BPB counts in the disk's sectors, 4 KiB ones included.
        const ULONGLONG fatSectors = (FatBytes(volume.fileSystem, clusters) + g.bytesPerSector - 1) / g.bytesPerSector;
        s[1] = fat32 ? 0x58 : 0x3C;
        PutText(s, 3, "MSDOS5.0", 8);
        Put16(s, 14, fat32 ? 32 : 8);    // reserved sectors
        s[16] = 2;                        // FATs
        if (!fat32) Put16(s, 17, 512);    // root entries
        if (sectors < 0x10000 && !fat32)
            Put16(s, 19, static_cast<uint16_t>(sectors));
        else
            Put32(s, 32, static_cast<uint32_t>(sectors));
        if (fat32) {
            Put32(s, 36, static_cast<uint32_t>(fatSectors));
            Put32(s, 44, 2);              // root directory cluster
            Put16(s, 48, 1);              // FSInfo
            Put16(s, 50, 6);              // backup boot sector
            s[64] = 0x80;
            s[66] = 0x29;
            Put32(s, 67, serial);
            PutText(s, 71, FatLabel(volume.label), 11);
            PutText(s, 82, "FAT32", 8);
        } else {
            Put16(s, 22, static_cast<uint16_t>(fatSectors));
            s[36] = 0x80;
            s[38] = 0x29;
            Put32(s, 39, serial);
            PutText(s, 43, FatLabel(volume.label), 11);
            PutText(s, 54, "FAT16", 8);
        }
        break;
    }
    case VDS_FST_EXFAT:
        s[1] = 0x76;
        PutText(s, 3, "EXFAT", 8);
        std::fill(s.begin() + 11, s.begin() + 64, 0);
        Put64(s, 64, g.hiddenSectors);
        Put64(s, 72, sectors);
        break;
    default:
        return;
    }
    s[510] = 0x55;
    s[511] = 0xAA;
}

} // namespace kxemu
