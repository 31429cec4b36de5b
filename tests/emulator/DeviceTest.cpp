// The volumes as the Win32 device calls see them (native builds only: on
// Windows the real system answers these calls, and Wine knows no volume IOCTLs).
#include "EmulatorFixture.h"

#include <cstring>
#include <functional>
#include <vector>

using namespace kxemu;

namespace {

const GUID kBasicData = {0xebd0a0a2, 0xb9e5, 0x4433, {0x87, 0xc0, 0x68, 0xb6, 0xb7, 0x26, 0x99, 0xc7}};

const char kVolume1[] = "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1";
const char kVolume2[] = "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume2";
const char kVolume3[] = "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume3";

class EmulatorDevices : public EmulatorTest {
protected:
    EmulatorDevices()
    {
        Disk& d1 = pack->AddDisk(1, 64 * GiB);
        d1.AddPartition(1, 1 * MiB, 1 * GiB, 0x07, true);
        d1.AddPartition(2, 2 * GiB, 1 * GiB, 0x0C);
        Disk& d2 = pack->AddDisk(2, 64 * GiB);
        d2.AddPartition(1, 1 * MiB, 1 * GiB, 0x42);
        d1.AddVolume(1).FileSystem(VDS_FST_NTFS, "Sys").Used(300 * MiB).AccessPath("E:\\").NtfsTag("RECOVERY");
        d1.AddVolume(2).AccessPath("F:\\");                 // RAW
        Volume& spanned = pack->AddVolume();                // two extents
        spanned.extents = {Extent{1, 2}, Extent{2, 1}};
        spanned.FileSystem(VDS_FST_NTFS);
        spanned.totalBytes = 2 * GiB;
        emu.TakeLetter('C', DRIVE_FIXED).TakeLetter('D', DRIVE_CDROM);
    }

    HANDLE Open(const std::string& path)
    {
        auto text = W(path);
        return CreateFileW(text.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    }

    // Disk 3, GPT: partition 1 with volume 4.
    Partition& AddGptDisk()
    {
        Disk& gpt = pack->AddDisk(3, 64 * GiB);
        gpt.style = VDS_PST_GPT;
        Partition& p = gpt.AddGptPartition(1, 1 * MiB, 1 * GiB, kBasicData);
        p.gptAttributes = GPT_BASIC_DATA_ATTRIBUTE_NO_DRIVE_LETTER;
        gpt.AddVolume(1).FileSystem(VDS_FST_NTFS);
        return p;
    }

    UINT DriveType(const std::string& root)
    {
        auto text = W(root);
        return GetDriveTypeW(text.c_str());
    }
};

TEST_F(EmulatorDevices, DiskExtentsFitOneExtentInTheUsualBuffer)
{
    struct Row {
        const char* volume;
        BOOL ok;
        DWORD error;
        DWORD extents;
        DWORD firstDisk;
    } rows[] = {
        {kVolume1, TRUE, 0, 1, 1},
        {kVolume3, FALSE, ERROR_MORE_DATA, 2, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.volume);
        HANDLE h = Open(row.volume);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        VOLUME_DISK_EXTENTS extents = {};
        DWORD returned = 0;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(row.ok, DeviceIoControl(h, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &extents,
                                          sizeof(extents), &returned, nullptr));
        if (!row.ok) {
            EXPECT_EQ(row.error, GetLastError());
        }
        EXPECT_EQ(row.extents, extents.NumberOfDiskExtents);
        EXPECT_EQ(row.firstDisk, extents.Extents[0].DiskNumber);
        CloseHandle(h);
    }
    EXPECT_EQ(0, emu.OpenDeviceHandles());
}

TEST_F(EmulatorDevices, PartitionInfoOfAOneExtentVolume)
{
    HANDLE h = Open(kVolume1);
    PARTITION_INFORMATION info = {};
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(h, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof(info), &returned,
                                nullptr));
    EXPECT_EQ(sizeof(info), returned);
    EXPECT_EQ(1u, info.PartitionNumber);
    EXPECT_EQ(static_cast<LONGLONG>(1 * MiB), info.StartingOffset.QuadPart);
    EXPECT_EQ(static_cast<LONGLONG>(1 * GiB), info.PartitionLength.QuadPart);
    EXPECT_EQ(0x07, info.PartitionType);
    EXPECT_EQ(TRUE, info.BootIndicator);
    CloseHandle(h);

}

TEST_F(EmulatorDevices, PartitionInfoRefusesSpannedVolumesAndGptDisks)
{
    AddGptDisk();
    for (const char* name : {kVolume3, "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume4"}) {
        SCOPED_TRACE(name);
        HANDLE h = Open(name);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        PARTITION_INFORMATION info = {};
        DWORD returned = 0;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(DeviceIoControl(h, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof(info), &returned,
                                     nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), GetLastError());
        CloseHandle(h);
    }
}

TEST_F(EmulatorDevices, PartitionInfoExDescribesBothStyles)
{
    const Partition& gpt = AddGptDisk();
    struct Row {
        const char* volume;
        PARTITION_STYLE style;
        DWORD number;
        LONGLONG offset;
    } rows[] = {
        {kVolume1, PARTITION_STYLE_MBR, 1, static_cast<LONGLONG>(1 * MiB)},
        {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume4", PARTITION_STYLE_GPT, 1, static_cast<LONGLONG>(1 * MiB)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.volume);
        HANDLE h = Open(row.volume);
        PARTITION_INFORMATION_EX info;
        std::memset(&info, 0xCC, sizeof(info));
        DWORD returned = 0;
        ASSERT_TRUE(DeviceIoControl(h, IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, &info, sizeof(info), &returned,
                                    nullptr));
        EXPECT_EQ(sizeof(info), returned);
        EXPECT_EQ(row.style, info.PartitionStyle);
        EXPECT_EQ(row.number, info.PartitionNumber);
        EXPECT_EQ(row.offset, info.StartingOffset.QuadPart);
        EXPECT_EQ(static_cast<LONGLONG>(1 * GiB), info.PartitionLength.QuadPart);
        if (row.style == PARTITION_STYLE_MBR) {
            EXPECT_EQ(0x07, info.Mbr.PartitionType);
            EXPECT_EQ(TRUE, info.Mbr.BootIndicator);
            EXPECT_EQ(static_cast<DWORD>(1 * MiB / 512), info.Mbr.HiddenSectors);
        } else {
            EXPECT_TRUE(info.Gpt.PartitionType == kBasicData);
            EXPECT_TRUE(info.Gpt.PartitionId == gpt.gptId);
            EXPECT_EQ(GPT_BASIC_DATA_ATTRIBUTE_NO_DRIVE_LETTER, info.Gpt.Attributes);
        }
        CloseHandle(h);
    }
    HANDLE spanned = Open(kVolume3);
    PARTITION_INFORMATION_EX info = {};
    DWORD returned = 0;
    EXPECT_FALSE(DeviceIoControl(spanned, IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, &info, sizeof(info),
                                 &returned, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), GetLastError());
    CloseHandle(spanned);
}

TEST_F(EmulatorDevices, PhysicalDrivesAnswerTheirLayout)
{
    const Partition& gpt = AddGptDisk();
    std::vector<unsigned char> buffer(4096);
    auto* layout = reinterpret_cast<DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
    auto layoutOf = [&](const char* drive, DWORD size) {
        HANDLE h = Open(drive);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        DWORD returned = 0;
        SetLastError(0xdeadbeef);
        const BOOL ok = DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.data(), size,
                                        &returned, nullptr);
        const DWORD error = GetLastError();
        CloseHandle(h);
        return ok ? returned : error;
    };
    const PARTITION_INFORMATION_EX* entries = layout->PartitionEntry;

    // MBR: the four entries of the table, two of them unused.
    EXPECT_EQ(48u + 4 * 144u, layoutOf("\\\\.\\PhysicalDrive1", 4096));
    EXPECT_EQ(static_cast<DWORD>(PARTITION_STYLE_MBR), layout->PartitionStyle);
    ASSERT_EQ(4u, layout->PartitionCount);
    EXPECT_EQ(0x4b580001u, layout->Mbr.Signature);
    EXPECT_EQ(2u, entries[1].PartitionNumber);
    EXPECT_EQ(0x0C, entries[1].Mbr.PartitionType);
    EXPECT_EQ(0u, entries[3].PartitionNumber);
    EXPECT_EQ(0, entries[3].Mbr.PartitionType);

    EXPECT_EQ(48u + 144u, layoutOf("\\\\?\\physicaldrive3", 4096));
    EXPECT_EQ(static_cast<DWORD>(PARTITION_STYLE_GPT), layout->PartitionStyle);
    ASSERT_EQ(1u, layout->PartitionCount);
    EXPECT_EQ(128u, layout->Gpt.MaxPartitionCount);
    EXPECT_EQ(34 * 512, layout->Gpt.StartingUsableOffset.QuadPart);
    EXPECT_EQ(static_cast<LONGLONG>(64 * GiB - 67 * 512), layout->Gpt.UsableLength.QuadPart);
    EXPECT_TRUE(entries[0].Gpt.PartitionId == gpt.gptId);

    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), layoutOf("\\\\.\\PhysicalDrive1", 48 + 3 * 144));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("\\\\.\\PhysicalDrive9"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(0, emu.OpenDeviceHandles());
}

TEST_F(EmulatorDevices, UnknownDeviceIsNotFound)
{
    SetLastError(0xdeadbeef);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("\\\\?\\GLOBALROOT\\Device\\HarddiskVolume9"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    emu.FailNth("CreateFileW", 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kVolume1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

TEST_F(EmulatorDevices, BootSectorReadsInWholeSectors)
{
    HANDLE h = Open(kVolume1);
    BYTE sector[1024] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(h, sector, 512, &read, nullptr));
    EXPECT_EQ(512u, read);
    EXPECT_EQ("NTFS    ", std::string(sector + 3, sector + 11));
    EXPECT_EQ("RECOVERY", std::string(sector + 0x1F0, sector + 0x1F8));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(h, sector, 100, &read, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    CloseHandle(h);

    // On a 4K-native disk a sector is 4096 bytes.
    emu.Machine().FindDisk(1)->bytesPerSector = 4096;
    h = Open(kVolume1);
    std::vector<BYTE> large(4096);
    EXPECT_FALSE(ReadFile(h, large.data(), 512, &read, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    ASSERT_TRUE(ReadFile(h, large.data(), 4096, &read, nullptr));
    EXPECT_EQ("RECOVERY", std::string(large.begin() + 0x1F0, large.begin() + 0x1F8));
    CloseHandle(h);
}

TEST_F(EmulatorDevices, DriveTypes)
{
    struct Row {
        std::string root;
        UINT expected;
    } rows[] = {
        {"C:\\", DRIVE_FIXED},
        {"D:\\", DRIVE_CDROM},
        {"E:\\", DRIVE_FIXED},
        {"e:\\", DRIVE_FIXED},
        {"F:\\", DRIVE_FIXED},   // RAW, still a fixed volume
        {"G:\\", DRIVE_NO_ROOT_DIR},
        {std::string(kVolume1) + "\\", DRIVE_FIXED},
        {std::string(kVolume2) + "\\", DRIVE_FIXED},
        {kVolume1, DRIVE_NO_ROOT_DIR},
        {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume9\\", DRIVE_NO_ROOT_DIR},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.root);
        EXPECT_EQ(row.expected, DriveType(row.root));
    }
    pack->volumes[0]->status = VDS_VS_OFFLINE;
    EXPECT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), DriveType(std::string(kVolume1) + "\\"));
}

// The device layer finds volumes through an index of the machine, which tests
// and the service change between calls.
TEST_F(EmulatorDevices, AnswersFollowChangesToTheMachine)
{
    Volume& first = *pack->volumes[0];
    const std::string renamed = "\\\\?\\GLOBALROOT\\Device\\Renamed";
    const struct Step {
        const char* what;
        std::function<void()> change;
        std::string root;
        UINT expected;
    } steps[] = {
        {"as built", [] {}, std::string(kVolume1) + "\\", DRIVE_FIXED},
        {"renamed: the old name", [&] { first.name = renamed; }, std::string(kVolume1) + "\\", DRIVE_NO_ROOT_DIR},
        {"renamed: the new name", [] {}, renamed + "\\", DRIVE_FIXED},
        {"letter added", [&] { first.accessPaths.push_back("g:\\"); }, "G:\\", DRIVE_FIXED},
        {"letter removed", [&] { first.accessPaths.erase(first.accessPaths.begin()); }, "E:\\", DRIVE_NO_ROOT_DIR},
        {"volume added", [&] { pack->AddVolume().extents = {Extent{2, 1}}; },
         "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume4\\", DRIVE_FIXED},
        {"volumes removed", [&] { pack->volumes.clear(); }, std::string(kVolume2) + "\\", DRIVE_NO_ROOT_DIR},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        EXPECT_EQ(step.expected, DriveType(step.root));
    }
}

TEST_F(EmulatorDevices, PartitionInfoFollowsTheTableAsItChanges)
{
    Disk& disk = *pack->disks[0];
    for (int added = 0; added < 3; ++added) {
        SCOPED_TRACE(added);
        HANDLE h = Open(kVolume1);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        PARTITION_INFORMATION info = {};
        DWORD returned = 0;
        ASSERT_TRUE(DeviceIoControl(h, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof(info), &returned,
                                    nullptr));
        EXPECT_EQ(static_cast<LONGLONG>(1 * MiB), info.StartingOffset.QuadPart);
        CloseHandle(h);
        // A record put in front moves partition 1 within the table.
        Partition p;
        p.number = 10 + static_cast<ULONG>(added);
        p.offset = (10 + added) * GiB;
        p.size = 1 * GiB;
        disk.partitions.insert(disk.partitions.begin(), p);
    }
}

TEST_F(EmulatorDevices, FreeSpaceNeedsAFileSystem)
{
    struct Row {
        std::string root;
        BOOL ok;
        DWORD error;
    } rows[] = {
        {"E:\\", TRUE, 0},
        {std::string(kVolume1) + "\\", TRUE, 0},
        {"E:\\some\\folder\\", TRUE, 0},
        {std::string(kVolume2) + "\\", FALSE, 1005},
        {"F:\\", FALSE, 1005},
        {"G:\\", FALSE, ERROR_PATH_NOT_FOUND},
        {"D:\\", FALSE, ERROR_NOT_READY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.root);
        auto text = W(row.root);
        ULARGE_INTEGER caller = {}, total = {}, free = {};
        SetLastError(0xdeadbeef);
        EXPECT_EQ(row.ok, GetDiskFreeSpaceExW(text.c_str(), &caller, &total, &free));
        if (row.ok) {
            EXPECT_EQ(1 * GiB, total.QuadPart);
            EXPECT_EQ(1 * GiB - 300 * MiB, free.QuadPart);
        } else {
            EXPECT_EQ(row.error, GetLastError());
        }
    }
}

} // namespace
