// The device provider of the portable Win32 layer: volumes open by their
// device names and answer the position IOCTLs and boot-sector reads, physical
// drives open by number and answer their layout, and the drive letters report
// their device types and free space.
#include "devices/DeviceLayer.h"

#include "devices/DevicePaths.h"
#include "devices/LayoutRecords.h"
#include "devices/MachineIndex.h"
#include "kxdevices.h"
#include "model/Layout.h"
#include "model/Text.h"

#include <algorithm>
#include <cstring>

namespace kxemu {

namespace {

const ULONGLONG kSector = 512;
const DWORD kErrorUnrecognizedVolume = 1005;

// A volume or a whole disk.
struct OpenDevice {
    std::shared_ptr<Volume> volume;
    std::shared_ptr<Disk> disk;
};

std::string WithoutTrailingBackslash(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

} // namespace

struct DeviceLayer::Impl final : public KXDeviceProvider {
    explicit Impl(std::shared_ptr<State> s) : state(std::move(s)), index(state->machine) {}

    bool Open(LPCWSTR widePath, DWORD access, void** device, DWORD* error) override
    {
        *device = nullptr;
        const std::string path = Narrow(widePath);
        Lock lock(state->mutex);
        std::shared_ptr<Volume> volume = VolumeOfDevicePath(path);
        ULONG diskNumber = 0;
        const bool isDrive = PhysicalDriveNumberOf(path, &diskNumber);
        if (!volume && !isDrive && !IsGlobalRootPath(path) && !DosDeviceLetterOf(path)) return false;
        if (Failed("CreateFileW", error)) return true;
        DeviceCall call;
        call.path = path;
        call.access = access;
        state->instrument.deviceCalls.push_back(call);
        std::shared_ptr<Disk> disk = isDrive ? DiskOfNumber(diskNumber) : nullptr;
        if (!volume && !disk) {
            *error = ERROR_FILE_NOT_FOUND;
            return true;
        }
        *device = new OpenDevice{std::move(volume), std::move(disk)};
        ++state->openDevices;
        return true;
    }

    void Close(void* device) override
    {
        delete static_cast<OpenDevice*>(device);
        --state->openDevices;
    }

    BOOL Read(void* device, uint64_t offset, void* buffer, DWORD size, DWORD* read, DWORD* error) override
    {
        Lock lock(state->mutex);
        *read = 0;
        const OpenDevice& open = *static_cast<OpenDevice*>(device);
        DeviceCall call;
        call.path = PathOf(open);
        call.outSize = size;
        call.offset = offset;
        state->instrument.deviceCalls.push_back(call);
        if (Failed("ReadFile", error)) return FALSE;
        // The model keeps no sectors of a whole disk.
        if (!open.volume) {
            *error = ERROR_INVALID_FUNCTION;
            return FALSE;
        }
        const Volume& volume = *open.volume;
        if (volume.status != VDS_VS_ONLINE) {
            *error = ERROR_NOT_READY;
            return FALSE;
        }
        // Volume handles read whole sectors of the volume's disk only.
        const ULONGLONG sector = SectorOf(volume);
        if (offset % sector || size % sector) {
            *error = ERROR_INVALID_PARAMETER;
            return FALSE;
        }
        if (offset >= volume.totalBytes) return TRUE;
        const ULONGLONG count = std::min<ULONGLONG>(size, volume.totalBytes - offset);
        auto* out = static_cast<BYTE*>(buffer);
        std::memset(out, 0, static_cast<size_t>(count));
        for (ULONGLONG i = 0; i < count; ++i)
            if (offset + i < volume.bootSector.size()) out[i] = volume.bootSector[offset + i];
        *read = static_cast<DWORD>(count);
        return TRUE;
    }

    BOOL Control(void* device, DWORD code, const void*, DWORD, void* out, DWORD outSize, DWORD* returned,
                 DWORD* error) override
    {
        Lock lock(state->mutex);
        *returned = 0;
        const OpenDevice& open = *static_cast<OpenDevice*>(device);
        DeviceCall call;
        call.path = PathOf(open);
        call.code = code;
        call.outSize = outSize;
        state->instrument.deviceCalls.push_back(call);
        if (Failed("DeviceIoControl", error)) return FALSE;
        if (open.disk) {
            if (code == IOCTL_DISK_GET_DRIVE_LAYOUT_EX)
                return FillDriveLayout(*open.disk, out, outSize, returned, error);
            *error = ERROR_INVALID_FUNCTION;
            return FALSE;
        }
        const Volume& volume = *open.volume;
        switch (code) {
        case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS:
            return DiskExtents(volume, out, outSize, returned, error);
        case IOCTL_DISK_GET_PARTITION_INFO:
            return PartitionInfo(volume, out, outSize, returned, error);
        case IOCTL_DISK_GET_PARTITION_INFO_EX:
            return PartitionInfoEx(volume, out, outSize, returned, error);
        default:
            *error = ERROR_INVALID_FUNCTION;
            return FALSE;
        }
    }

    bool DriveType(LPCWSTR wideRoot, UINT* type) override
    {
        const std::string root = Narrow(wideRoot);
        Lock lock(state->mutex);
        Fault fault;
        if (const char letter = DriveLetterOf(root)) {
            // Z: stays the system's own root unless the machine says otherwise.
            if (letter == 'Z' && index.LetterType('Z') == DRIVE_NO_ROOT_DIR) return false;
            *type = root.size() == 2 ? DRIVE_NO_ROOT_DIR : index.LetterType(letter);
        } else if (const auto volume = index.VolumeByName(WithoutTrailingBackslash(root))) {
            // A device path names a root only with its trailing backslash.
            const bool isRoot = root.back() == '\\';
            *type = isRoot && volume->status == VDS_VS_ONLINE ? volume->driveType : DRIVE_NO_ROOT_DIR;
        } else if (IsGlobalRootPath(root)) {
            *type = DRIVE_NO_ROOT_DIR;
        } else if (const auto mounted = VolumeOfFolder(root)) {
            *type = mounted->status == VDS_VS_ONLINE ? mounted->driveType : DRIVE_NO_ROOT_DIR;
        } else {
            return false;
        }
        if (state->instrument.Enter("GetDriveTypeW", &fault) && fault.kind == FaultKind::Return)
            *type = static_cast<UINT>(fault.code);
        return true;
    }

    bool FreeSpace(LPCWSTR wideRoot, BOOL* ok, ULONGLONG* freeToCaller, ULONGLONG* total, ULONGLONG* totalFree,
                   DWORD* error) override
    {
        const std::string root = Narrow(wideRoot);
        Lock lock(state->mutex);
        // A device name counts only as a root; any other path belongs to the
        // volume mounted at its longest leading access path.
        std::shared_ptr<Volume> named =
            !root.empty() && root.back() == '\\' ? index.VolumeByName(WithoutTrailingBackslash(root)) : nullptr;
        if (!named) named = index.VolumeByAccessPath(root);
        Volume* volume = named ? named.get() : state->machine.FindVolumeByPath(root);
        const char letter = root.size() >= 2 && root[1] == ':' ? DriveLetterOf(root.substr(0, 2)) : 0;
        if (!volume) {
            if (IsGlobalRootPath(root)) {
                *error = ERROR_PATH_NOT_FOUND;
            } else if (letter && letter != 'Z') {
                const UINT type = index.LetterType(letter);
                if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) return false;
                *error = type == DRIVE_NO_ROOT_DIR ? ERROR_PATH_NOT_FOUND : ERROR_NOT_READY;
            } else {
                return false;
            }
            *ok = FALSE;
            Failed("GetDiskFreeSpaceExW", error);
            return true;
        }
        *ok = FALSE;
        if (Failed("GetDiskFreeSpaceExW", error)) return true;
        if (volume->status != VDS_VS_ONLINE) {
            *error = ERROR_NOT_READY;
        } else if (!volume->HasFileSystem()) {
            *error = kErrorUnrecognizedVolume;
        } else {
            *total = volume->totalBytes;
            *totalFree = volume->FreeBytes();
            *freeToCaller = *totalFree;
            *ok = TRUE;
        }
        return true;
    }

private:
    // Counts the call; true with `error` set when an injected fault fails it.
    bool Failed(const char* method, DWORD* error)
    {
        Fault fault;
        if (!state->instrument.Enter(method, &fault) || fault.kind != FaultKind::Return) return false;
        *error = static_cast<DWORD>(fault.code);
        return true;
    }

    // A volume's own name, or "\\.\X:" of a drive letter bound to one.
    std::shared_ptr<Volume> VolumeOfDevicePath(const std::string& path)
    {
        if (auto v = index.VolumeByName(path)) return v;
        if (const char letter = DosDeviceLetterOf(path)) return index.VolumeByAccessPath(std::string(1, letter) + ":\\");
        return nullptr;
    }

    std::shared_ptr<Disk> DiskOfNumber(ULONG number)
    {
        Disk* disk = index.DiskByNumber(number);
        if (!disk) return nullptr;
        for (const auto& held : disk->OwnerPack().disks)
            if (held.get() == disk) return held;
        return nullptr;
    }

    ULONGLONG SectorOf(const Volume& volume)
    {
        const Disk* disk = volume.extents.empty() ? nullptr : index.DiskByNumber(volume.extents[0].diskNumber);
        return disk ? SectorBytes(*disk) : kSector;
    }

    static std::string PathOf(const OpenDevice& open)
    {
        return open.volume ? open.volume->name : "\\\\.\\PhysicalDrive" + std::to_string(open.disk->number);
    }

    // Only a volume's own access path is the root of a drive.
    std::shared_ptr<Volume> VolumeOfFolder(const std::string& path) { return index.VolumeByAccessPath(path); }

    const Partition* PartitionOf(const Extent& e) { return index.PartitionOf(e); }

    BOOL DiskExtents(const Volume& volume, void* out, DWORD outSize, DWORD* returned, DWORD* error)
    {
        if (!out || outSize < sizeof(VOLUME_DISK_EXTENTS)) {
            *error = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        auto* extents = static_cast<VOLUME_DISK_EXTENTS*>(out);
        const size_t n = volume.extents.size();
        const size_t room = 1 + (outSize - sizeof(VOLUME_DISK_EXTENTS)) / sizeof(DISK_EXTENT);
        extents->NumberOfDiskExtents = static_cast<DWORD>(n);
        for (size_t i = 0; i < n && i < room; ++i) {
            DISK_EXTENT& d = extents->Extents[i];
            d.DiskNumber = volume.extents[i].diskNumber;
            const Partition* p = PartitionOf(volume.extents[i]);
            d.StartingOffset.QuadPart = p ? static_cast<LONGLONG>(p->offset) : 0;
            d.ExtentLength.QuadPart = p ? static_cast<LONGLONG>(p->size) : 0;
        }
        if (n > room) {
            // As Windows does: the count tells how much room was needed.
            *returned = sizeof(VOLUME_DISK_EXTENTS);
            *error = ERROR_MORE_DATA;
            return FALSE;
        }
        *returned = static_cast<DWORD>(sizeof(VOLUME_DISK_EXTENTS) + (n > 1 ? (n - 1) * sizeof(DISK_EXTENT) : 0));
        return TRUE;
    }

    BOOL PartitionInfo(const Volume& volume, void* out, DWORD outSize, DWORD* returned, DWORD* error)
    {
        if (!out || outSize < sizeof(PARTITION_INFORMATION)) {
            *error = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        // A volume that spans disks is no partition.
        if (volume.extents.size() != 1) {
            *error = ERROR_INVALID_FUNCTION;
            return FALSE;
        }
        const Extent& e = volume.extents[0];
        const Disk* disk = index.DiskByNumber(e.diskNumber);
        const Partition* p = PartitionOf(e);
        // The call knows MBR disks only; GPT needs its _EX variant.
        if ((disk && disk->style == VDS_PST_GPT) || (p && p->style == VDS_PST_GPT)) {
            *error = ERROR_INVALID_FUNCTION;
            return FALSE;
        }
        auto* info = static_cast<PARTITION_INFORMATION*>(out);
        std::memset(info, 0, sizeof(*info));
        info->PartitionNumber = e.partitionNumber;
        if (p) {
            const ULONGLONG sector = disk ? SectorBytes(*disk) : kSector;
            info->StartingOffset.QuadPart = static_cast<LONGLONG>(p->offset);
            info->PartitionLength.QuadPart = static_cast<LONGLONG>(p->size);
            info->HiddenSectors = static_cast<DWORD>(p->offset / sector);
            info->PartitionType = p->type;
            info->BootIndicator = p->active ? TRUE : FALSE;
            info->RecognizedPartition = TRUE;
        }
        *returned = sizeof(PARTITION_INFORMATION);
        return TRUE;
    }

    BOOL PartitionInfoEx(const Volume& volume, void* out, DWORD outSize, DWORD* returned, DWORD* error)
    {
        if (!out || outSize < sizeof(PARTITION_INFORMATION_EX)) {
            *error = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        const Disk* disk = volume.extents.size() == 1 ? index.DiskByNumber(volume.extents[0].diskNumber) : nullptr;
        const Partition* p = disk ? PartitionOf(volume.extents[0]) : nullptr;
        if (!p) {
            *error = ERROR_INVALID_FUNCTION;
            return FALSE;
        }
        FillPartitionInformationEx(*disk, *p, static_cast<PARTITION_INFORMATION_EX*>(out));
        *returned = sizeof(PARTITION_INFORMATION_EX);
        return TRUE;
    }

    std::shared_ptr<State> state;
    MachineIndex index;
};

DeviceLayer::DeviceLayer(std::shared_ptr<State> state) : impl(new Impl(std::move(state)))
{
    KXSetDeviceProvider(impl.get());
}

DeviceLayer::~DeviceLayer()
{
    KXSetDeviceProvider(nullptr);
}

} // namespace kxemu
