#include "platform_test_support.h"

#include <cstring>
#include <map>
#include <vector>

namespace {

const char16_t kVolume[] = u"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1";

// Models one volume with a recognisable boot sector, a drive C: and a
// CD-ROM drive E:, and records what reaches it.
class FakeProvider : public KXDeviceProvider {
public:
    FakeProvider()
    {
        for (size_t i = 0; i < sector.size(); ++i)
            sector[i] = static_cast<unsigned char>(i);
    }

    bool Open(LPCWSTR path, DWORD, void** device, DWORD* error) override
    {
        std::u16string p(path);
        asked.push_back(p);
        if (p == kVolume || p == u"\\\\.\\C:") {
            *device = &sector;
            ++opened;
            return true;
        }
        if (p == u"\\\\.\\E:") {
            *device = nullptr;
            *error = ERROR_NOT_READY;
            return true;
        }
        return false;
    }
    void Close(void* device) override
    {
        EXPECT_EQ(device, &sector);
        ++closed;
    }
    BOOL Read(void*, uint64_t offset, void* buffer, DWORD size, DWORD* read, DWORD*) override
    {
        offsets.push_back(offset);
        DWORD n = offset >= sector.size() ? 0 : static_cast<DWORD>(std::min<uint64_t>(size, sector.size() - offset));
        std::memcpy(buffer, sector.data() + offset, n);
        *read = n;
        return TRUE;
    }
    BOOL Control(void*, DWORD code, const void*, DWORD, void* out, DWORD outSize, DWORD* returned,
                 DWORD* error) override
    {
        if (code != IOCTL_DISK_GET_PARTITION_INFO || outSize < sizeof(PARTITION_INFORMATION)) {
            *error = ERROR_INVALID_PARAMETER;
            return FALSE;
        }
        PARTITION_INFORMATION info = {};
        info.PartitionNumber = 1;
        info.PartitionLength.QuadPart = 1 << 20;
        std::memcpy(out, &info, sizeof info);
        *returned = sizeof info;
        return TRUE;
    }
    bool DriveType(LPCWSTR root, UINT* type) override
    {
        std::u16string r(root);
        asked.push_back(r);
        if (r == u"C:\\") *type = DRIVE_FIXED;
        else if (r == u"E:\\") *type = DRIVE_CDROM;
        else return false;
        return true;
    }
    bool FreeSpace(LPCWSTR root, BOOL* ok, ULONGLONG* freeToCaller, ULONGLONG* total, ULONGLONG* totalFree,
                   DWORD* error) override
    {
        std::u16string r(root);
        asked.push_back(r);
        if (r == u"C:\\") {
            *ok = TRUE;
            *freeToCaller = 100;
            *total = 300;
            *totalFree = 200;
            return true;
        }
        if (r == u"E:\\") {
            *ok = FALSE;
            *error = ERROR_NOT_READY;
            return true;
        }
        return false;
    }

    std::vector<unsigned char> sector = std::vector<unsigned char>(1024);
    std::vector<uint64_t> offsets;
    std::vector<std::u16string> asked;
    int opened = 0;
    int closed = 0;
};

class Devices : public ::testing::Test {
protected:
    void SetUp() override { KXSetDeviceProvider(&provider); }
    void TearDown() override { KXSetDeviceProvider(nullptr); }
    FakeProvider provider;
};

HANDLE OpenDevice(LPCWSTR path)
{
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(Devices, ReadsAdvanceAPositionPerHandle)
{
    {
        FileHandle volume(OpenDevice(kVolume));
        ASSERT_TRUE(volume.valid());
        FileHandle drive(OpenDevice(u"\\\\.\\C:"));
        ASSERT_TRUE(drive.valid());
        unsigned char buffer[512];
        DWORD n = 0;
        ASSERT_TRUE(ReadFile(volume.get(), buffer, 512, &n, nullptr));
        EXPECT_EQ(n, 512u);
        ASSERT_TRUE(ReadFile(volume.get(), buffer, 512, &n, nullptr));
        EXPECT_EQ(buffer[0], 0) << "second sector starts at byte 512 (512 % 256)";
        ASSERT_TRUE(ReadFile(drive.get(), buffer, 16, &n, nullptr));
        EXPECT_EQ(SetFilePointer(volume.get(), 3, nullptr, FILE_BEGIN), 3u);
        ASSERT_TRUE(ReadFile(volume.get(), buffer, 1, &n, nullptr));
        EXPECT_EQ(buffer[0], 3);
        EXPECT_EQ(provider.offsets, (std::vector<uint64_t>{0, 512, 0, 3}));
    }
    EXPECT_EQ(provider.opened, 2);
    EXPECT_EQ(provider.closed, 2) << "CloseHandle goes back to the provider";
}

TEST_F(Devices, RefusedOpenCarriesTheProvidersError)
{
    SetLastError(kPoison);
    EXPECT_EQ(OpenDevice(u"\\\\.\\E:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
    SetLastError(kPoison);
    EXPECT_EQ(OpenDevice(u"\\\\.\\F:"), INVALID_HANDLE_VALUE) << "unclaimed device paths are not found";
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(Devices, DeviceIoControlDispatchesToTheProvider)
{
    FileHandle volume(OpenDevice(kVolume));
    ASSERT_TRUE(volume.valid());
    PARTITION_INFORMATION info = {};
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(volume.get(), IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof info,
                                &returned, nullptr));
    EXPECT_EQ(returned, sizeof info);
    EXPECT_EQ(info.PartitionNumber, 1u);
    SetLastError(kPoison);
    EXPECT_FALSE(DeviceIoControl(volume.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &info,
                                 sizeof info, &returned, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(Devices, DeviceIoControlOnAFileIsAnInvalidFunction)
{
    char name[] = "/tmp/kxwin32-device-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    std::u16string path = u"Z:" + Wide(name);
    for (char16_t& c : path)
        if (c == u'/') c = u'\\';
    {
        FileHandle file(OpenDevice(path.c_str()));
        ASSERT_TRUE(file.valid());
        DWORD returned = 0;
        SetLastError(kPoison);
        EXPECT_FALSE(DeviceIoControl(file.get(), IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, nullptr, 0, &returned,
                                     nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
    }
    unlink(name);
}

TEST_F(Devices, DriveTypeAsksTheProviderFirst)
{
    struct Row {
        const char16_t* root;
        UINT type;
    };
    const Row rows[] = {{u"C:\\", DRIVE_FIXED},       {u"E:\\", DRIVE_CDROM},     {u"Z:\\", DRIVE_FIXED},
                        {u"G:\\", DRIVE_NO_ROOT_DIR}, {u"Z:\\tmp\\", DRIVE_NO_ROOT_DIR}};
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.root));
        EXPECT_EQ(GetDriveTypeW(row.root), row.type);
    }
    KXSetDeviceProvider(nullptr);
    EXPECT_EQ(GetDriveTypeW(u"C:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST_F(Devices, FreeSpaceComesFromTheProviderOrTheFileSystem)
{
    ULARGE_INTEGER caller, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &caller, &total, &free));
    EXPECT_EQ(caller.QuadPart, 100u);
    EXPECT_EQ(total.QuadPart, 300u);
    EXPECT_EQ(free.QuadPart, 200u);

    SetLastError(kPoison);
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"E:\\", &caller, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_NOT_READY);

    ASSERT_TRUE(GetDiskFreeSpaceExW(u"Z:\\tmp\\", &caller, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(free.QuadPart, total.QuadPart);

    SetLastError(kPoison);
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"G:\\", &caller, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// Files of the file system are no business of the provider's; drive paths
// reach it only for the drive calls.
TEST_F(Devices, OnlyDevicePathsReachTheProviderAsFiles)
{
    const struct {
        const char16_t* path;
        size_t asksAsFile;
        size_t asksAsDrive;
    } rows[] = {
        {u"KX_LOG.INI", 0, 0},
        {u"\\tmp\\KX_LOG.INI", 0, 0},
        {u"Z:\\tmp\\KX_LOG.INI", 0, 2},
        {u"\\\\?\\Volume{x}\\", 1, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Narrow(row.path));
        provider.asked.clear();
        FileHandle file(OpenDevice(row.path));
        EXPECT_EQ(provider.asked.size(), row.asksAsFile);
        provider.asked.clear();
        GetDriveTypeW(row.path);
        GetDiskFreeSpaceExW(row.path, nullptr, nullptr, nullptr);
        EXPECT_EQ(provider.asked.size(), row.asksAsDrive);
    }
}

} // namespace
