// The machine the emulated disk service describes: software providers, their
// packs, the packs' disks (with MBR or GPT partition records) and volumes, and
// the drive letters that other devices hold. Plain data with a few builder
// helpers; the service and the device layer read and change it.
#pragma once

#include "kxplatform.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kxemu {

constexpr ULONGLONG KiB = 1024ULL;
constexpr ULONGLONG MiB = 1024ULL * KiB;
constexpr ULONGLONG GiB = 1024ULL * MiB;

constexpr size_t kBootSectorSize = 512;
// Where an NTFS boot sector carries the 8 bytes that a recovery tool may tag.
constexpr size_t kNtfsTagOffset = 0x1F0;

class Pack;
class Machine;

struct Partition {
    ULONG number = 0;
    ULONGLONG offset = 0;
    ULONGLONG size = 0;
    BYTE type = 0x07;          // MBR partition type
    bool active = false;       // MBR boot indicator
    VDS_PARTITION_STYLE style = VDS_PST_MBR;
    GUID gptType = {};         // GPT records only
    GUID gptId = {};
    ULONGLONG gptAttributes = 0;
    ULONG flags = 0;

    bool IsContainer() const { return style == VDS_PST_MBR && (type == 0x05 || type == 0x0F); }
    ULONGLONG End() const { return offset + size; }
};

class Disk {
public:
    Disk(Pack* pack, ULONG number, ULONGLONG size);

    // Appends a record as it stands; the model's order is the service's order.
    Partition& AddPartition(ULONG number, ULONGLONG offset, ULONGLONG size, BYTE type, bool active = false);
    Partition& AddGptPartition(ULONG number, ULONGLONG offset, ULONGLONG size, const GUID& type);
    Partition* FindPartition(ULONG number);
    const Partition* ExtendedPartition() const;
    // A volume with one extent on this disk's partition `number`, in this disk's pack.
    class Volume& AddVolume(ULONG partitionNumber);

    Pack& OwnerPack() const { return *pack; }

    ULONG number;
    std::string name;           // "\\?\PhysicalDrive<number>" unless set
    std::string friendlyName = "Emulated Disk";
    std::string adaptorName = "Emulated Adapter";
    std::string devicePath;     // same as name unless set
    std::string diskAddress = "Port0Path0Target0Lun0";
    ULONGLONG size;
    ULONG bytesPerSector = 512;
    ULONG sectorsPerTrack = 63;
    ULONG tracksPerCylinder = 255;
    VDS_DISK_STATUS status = VDS_DS_ONLINE;
    VDS_PARTITION_STYLE style = VDS_PST_MBR;
    DWORD signature = 0;
    bool advancedInterface = true;         // answers IVdsAdvancedDisk
    bool createPartitionExInterface = true; // answers IVdsCreatePartitionEx
    bool nameMissing = false;              // GetProperties hands out no pwszName
    std::vector<Partition> partitions;
    GUID id = {};

private:
    Pack* pack;
};

struct Extent {
    ULONG diskNumber = 0;
    ULONG partitionNumber = 0;
};

class Volume {
public:
    Volume(Pack* pack, ULONG index);

    // Builder helpers. FileSystem lays down the boot sector a format would.
    Volume& FileSystem(VDS_FILE_SYSTEM_TYPE type, const std::string& label = std::string());
    Volume& Used(ULONGLONG bytes) { usedBytes = bytes; return *this; }
    Volume& AccessPath(const std::string& path);
    Volume& Status(VDS_VOLUME_STATUS s) { status = s; return *this; }
    // The 8 bytes an NTFS format leaves at kNtfsTagOffset; also written into
    // the current boot sector when it is an NTFS one.
    Volume& NtfsTag(const std::string& tag);
    // Bytes 3 to 10 of the current boot sector.
    Volume& OemName(const std::string& name);

    Pack& OwnerPack() const { return *pack; }
    bool HasFileSystem() const { return fileSystem != VDS_FST_RAW && fileSystem != VDS_FST_UNKNOWN; }
    ULONGLONG FreeBytes() const { return usedBytes < totalBytes ? totalBytes - usedBytes : 0; }

    ULONG index;                // N of HarddiskVolumeN
    std::string name;           // "\\?\GLOBALROOT\Device\HarddiskVolume<index>" unless set
    VDS_VOLUME_STATUS status = VDS_VS_ONLINE;
    HRESULT propertiesResult = S_OK;   // e.g. VDS_S_PROPERTIES_INCOMPLETE
    bool nameMissing = false;          // GetProperties hands out no pwszName
    bool mfInterface = true;           // answers IVdsVolumeMF
    UINT driveType = DRIVE_FIXED;      // what GetDriveTypeW reports while online
    std::vector<Extent> extents;
    VDS_FILE_SYSTEM_TYPE fileSystem = VDS_FST_RAW;
    std::string label;
    ULONG unitSize = 0;
    ULONGLONG totalBytes = 0;
    ULONGLONG usedBytes = 0;
    std::array<BYTE, 8> ntfsTag = {};
    std::vector<BYTE> bootSector;      // kBootSectorSize bytes
    std::vector<std::string> accessPaths;
    GUID id = {};

private:
    Pack* pack;
};

class Provider;

class Pack {
public:
    Pack(Provider* provider, Machine* machine, ULONG index);
    Disk& AddDisk(ULONG number, ULONGLONG size);
    // A volume without extents; add them to `extents`.
    Volume& AddVolume();
    Machine& OwnerMachine() const { return *machine; }
    Provider& OwnerProvider() const { return *provider; }

    std::string name;
    VDS_PACK_STATUS status = VDS_PS_ONLINE;
    std::vector<std::shared_ptr<Disk>> disks;
    std::vector<std::shared_ptr<Volume>> volumes;
    GUID id = {};

private:
    Provider* provider;
    Machine* machine;
};

class Provider {
public:
    Provider(Machine* machine, ULONG index);
    Pack& AddPack();
    Machine& OwnerMachine() const { return *machine; }

    std::string name = "Microsoft Virtual Disk Service Basic Provider";
    std::string version = "1.0";
    bool swInterface = true;   // answers IVdsSwProvider
    std::vector<std::shared_ptr<Pack>> packs;
    GUID id = {};

private:
    Machine* machine;
};

class Machine {
public:
    Machine() = default;
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Provider& AddProvider();
    // Another device holds the letter ('D', DRIVE_CDROM).
    Machine& TakeLetter(char letter, UINT driveType);
    void Clear();

    Disk* FindDisk(ULONG number);
    Volume* FindVolumeByName(const std::string& deviceName);
    Volume* FindVolumeOnPartition(ULONG diskNumber, ULONG partitionNumber);
    // The volume whose access path is the longest prefix of `path` (case-insensitive).
    Volume* FindVolumeByPath(const std::string& path);
    // DRIVE_NO_ROOT_DIR for a free letter.
    UINT LetterType(char letter);
    ULONG NextVolumeIndex();

    std::vector<std::shared_ptr<Provider>> providers;
    std::map<char, UINT> takenLetters;
    // A new partition's volume gets the first free letter from C, as a mount
    // manager with automount would; off by default.
    bool autoAssignLetters = false;
    ULONG nextVolumeIndex = 1;
    ULONG nextObjectSerial = 1;
    // What the file's writer could not describe (a snapshot of a real
    // machine names each limit here); the service never reads them.
    std::vector<std::string> notes;
};

// Default alignment of CreatePartitionEx with ulAlign 0.
ULONGLONG DefaultAlignment(ULONGLONG diskSize);

} // namespace kxemu
