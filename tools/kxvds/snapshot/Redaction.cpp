#include "snapshot/MachineSnapshot.h"

#include <algorithm>
#include <cctype>

namespace kxvds {

namespace {

// Where each file system's boot sector keeps the volume serial and, for FAT,
// the label: the extended BIOS parameter block of FAT12/16 and of FAT32
// (present when its signature byte is 0x28 or 0x29; 0x29 adds the label),
// NTFS's 8-byte serial, exFAT's 4-byte one.
struct SerialPlace {
    size_t signature;  // 0: none to check
    size_t serial;
    size_t serialBytes;
    size_t label;      // 0: no label in the sector
};

bool PlaceOf(VDS_FILE_SYSTEM_TYPE type, SerialPlace* place)
{
    switch (type) {
    case VDS_FST_FAT: *place = {0x26, 0x27, 4, 0x2B}; return true;
    case VDS_FST_FAT32: *place = {0x42, 0x43, 4, 0x47}; return true;
    case VDS_FST_NTFS: *place = {0, 0x48, 8, 0}; return true;
    case VDS_FST_EXFAT: *place = {0, 0x64, 4, 0}; return true;
    default: return false;
    }
}

const size_t kFatLabelBytes = 11;

void RedactBootSector(kxemu::Volume& v)
{
    SerialPlace place;
    if (!PlaceOf(v.fileSystem, &place)) return;
    std::vector<BYTE>& sector = v.bootSector;
    const BYTE signature = place.signature ? sector[place.signature] : 0;
    if (place.signature && signature != 0x28 && signature != 0x29) return;
    std::fill_n(sector.begin() + place.serial, place.serialBytes, 0);
    if (!place.label || signature != 0x29) return;
    std::string label = v.label.empty() ? "NO NAME" : v.label;
    label.resize(kFatLabelBytes, ' ');
    for (size_t i = 0; i < kFatLabelBytes; ++i)
        sector[place.label + i] = static_cast<BYTE>(std::toupper(static_cast<unsigned char>(label[i])));
}

} // namespace

void RedactMachine(kxemu::Machine& machine)
{
    for (const auto& provider : machine.providers)
        for (const auto& pack : provider->packs) {
            for (const auto& disk : pack->disks) {
                disk->friendlyName = "Disk " + std::to_string(disk->number);
                disk->adaptorName = "Adapter";
                disk->devicePath = disk->name;
            }
            for (const auto& volume : pack->volumes) {
                // Short enough for any file system's label.
                if (!volume->label.empty()) volume->label = "Volume" + std::to_string(volume->index % 100000);
                RedactBootSector(*volume);
            }
        }
}

} // namespace kxvds
