// Volumes: properties, format, shrink and access paths.
#include "EmulatorFixture.h"

#include <cstring>

using namespace kxemu;

namespace {

const char kVolume1[] = "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1";

class EmulatorVolumes : public EmulatorTest {
protected:
    EmulatorVolumes()
    {
        disk = &pack->AddDisk(1, 64 * GiB);
        disk->AddPartition(1, 1 * MiB, 1 * GiB, 0x07);
        volume = &disk->AddVolume(1).FileSystem(VDS_FST_NTFS, "Data").Used(100 * MiB);
    }

    Ref<IVdsVolume> Vol() { return As<IVdsVolume>(VolumeObject(kVolume1).get(), IID_IVdsVolume); }
    Ref<IVdsVolumeMF> MF() { return As<IVdsVolumeMF>(VolumeObject(kVolume1).get(), IID_IVdsVolumeMF); }

    HRESULT Format(VDS_FILE_SYSTEM_TYPE type, const char* label, DWORD unit, HRESULT* result = nullptr)
    {
        auto text = W(label);
        Ref<IVdsAsync> job;
        const HRESULT hr = MF()->Format(type, &text[0], unit, TRUE, TRUE, FALSE, job.put());
        if (job && result) {
            VDS_ASYNC_OUTPUT output = {};
            job->Wait(result, &output);
        }
        return hr;
    }

    HRESULT Shrink(ULONGLONG bytes)
    {
        Ref<IVdsAsync> job;
        return Vol()->Shrink(bytes, job.put());
    }

    HRESULT AddPath(const std::string& path)
    {
        auto text = W(path);
        return MF()->AddAccessPath(&text[0]);
    }

    std::vector<std::string> Paths()
    {
        LPWSTR* array = nullptr;
        LONG count = 0;
        EXPECT_EQ(S_OK, MF()->QueryAccessPaths(&array, &count));
        std::vector<std::string> paths;
        for (LONG i = 0; i < count; ++i) {
            paths.push_back(N(array[i]));
            CoTaskMemFree(array[i]);
        }
        CoTaskMemFree(array);
        return paths;
    }

    Disk* disk;
    Volume* volume;
};

TEST_F(EmulatorVolumes, PropertiesReportTheModel)
{
    VDS_VOLUME_PROP prop = {};
    ASSERT_EQ(S_OK, Vol()->GetProperties(&prop));
    EXPECT_EQ(VDS_VS_ONLINE, prop.status);
    EXPECT_EQ(1 * GiB, prop.ullSize);
    EXPECT_EQ(kVolume1, N(prop.pwszName));
    CoTaskMemFree(prop.pwszName);

    VDS_FILE_SYSTEM_PROP fs = {};
    ASSERT_EQ(S_OK, MF()->GetFileSystemProperties(&fs));
    EXPECT_EQ(VDS_FST_NTFS, fs.type);
    EXPECT_EQ("Data", N(fs.pwszLabel));
    EXPECT_EQ(4096u, fs.ulAllocationUnitSize);
    EXPECT_EQ((1 * GiB - 100 * MiB) / 4096, fs.ullAvailableAllocationUnits);
    CoTaskMemFree(fs.pwszLabel);
}

TEST_F(EmulatorVolumes, IncompletePropertiesMayLackTheName)
{
    volume->propertiesResult = VDS_S_PROPERTIES_INCOMPLETE;
    volume->nameMissing = true;
    auto v = As<IVdsVolume>(VolumeObject("").get(), IID_IVdsVolume);
    ASSERT_TRUE(v);
    VDS_VOLUME_PROP prop = {};
    prop.pwszName = reinterpret_cast<LPWSTR>(0xdeadbeef);
    EXPECT_EQ(VDS_S_PROPERTIES_INCOMPLETE, v->GetProperties(&prop));
    EXPECT_EQ(nullptr, prop.pwszName);
    EXPECT_EQ(VDS_VS_ONLINE, prop.status);
}

TEST_F(EmulatorVolumes, FormatWritesTheBootSector)
{
    struct Row {
        VDS_FILE_SYSTEM_TYPE type;
        DWORD unit;
        const char* oem;
    } rows[] = {
        {VDS_FST_NTFS, 4096, "NTFS    "},
        {VDS_FST_FAT32, 4096, "MSDOS5.0"},
        {VDS_FST_FAT, 32768, "MSDOS5.0"},
    };
    volume->NtfsTag("RECOVERY");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.oem);
        HRESULT result = E_FAIL;
        ASSERT_EQ(S_OK, Format(row.type, "NEW", row.unit, &result));
        EXPECT_EQ(S_OK, result);
        const std::vector<BYTE>& s = volume->bootSector;
        EXPECT_EQ(row.oem, std::string(s.begin() + 3, s.begin() + 11));
        EXPECT_EQ(0x55, s[510]);
        EXPECT_EQ(0xAA, s[511]);
        const std::string tag(s.begin() + 0x1F0, s.begin() + 0x1F8);
        EXPECT_EQ(row.type == VDS_FST_NTFS ? std::string("RECOVERY") : std::string(8, '\0'), tag);
        EXPECT_EQ(row.type, volume->fileSystem);
        EXPECT_EQ(row.unit, volume->unitSize);
        EXPECT_EQ("NEW", volume->label);
    }
    const auto calls = emu.FormatCalls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(VDS_FST_FAT, calls[2].type);
    EXPECT_EQ(32768u, calls[2].unitSize);
    EXPECT_EQ(TRUE, calls[2].quick);
    EXPECT_EQ(TRUE, calls[2].force);
    EXPECT_EQ(FALSE, calls[2].compression);
}

TEST_F(EmulatorVolumes, DefaultUnitIsNeverBelowTheSector)
{
    // A small FAT volume takes 512-byte clusters, a 4K-native disk's sector is larger.
    disk->partitions[0].size = 20 * MiB;
    volume->totalBytes = 20 * MiB;
    for (const ULONG sector : {512u, 4096u}) {
        SCOPED_TRACE(sector);
        disk->bytesPerSector = sector;
        HRESULT result = E_FAIL;
        ASSERT_EQ(S_OK, Format(VDS_FST_FAT, "", 0, &result));
        EXPECT_EQ(S_OK, result);
        EXPECT_EQ(sector, volume->unitSize);
        EXPECT_EQ(sector, static_cast<ULONG>(volume->bootSector[11] | volume->bootSector[12] << 8));
    }
}

TEST_F(EmulatorVolumes, FormatRefusesUnitSizesTheFileSystemCannotHold)
{
    struct Row {
        const char* name;
        ULONGLONG size;
        VDS_FILE_SYSTEM_TYPE type;
        DWORD unit;
        HRESULT expected;
    } rows[] = {
        {"FAT beyond 64 KiB clusters", 1 * GiB, VDS_FST_FAT, 131072, VDS_E_CLUSTER_SIZE_TOO_BIG},
        {"FAT with too many clusters", 1 * GiB, VDS_FST_FAT, 2048, VDS_E_CLUSTER_SIZE_TOO_SMALL},
        {"FAT with too few clusters", 10 * MiB, VDS_FST_FAT, 65536, VDS_E_CLUSTER_SIZE_TOO_BIG},
        {"FAT of 100 MiB in 2 KiB", 100 * MiB, VDS_FST_FAT, 2048, S_OK},
        {"FAT32 with too few clusters", 300 * MiB, VDS_FST_FAT32, 32768, VDS_E_VOLUME_TOO_SMALL},
        {"FAT32 above 32 GiB", 33 * GiB, VDS_FST_FAT32, 32768, VDS_E_VOLUME_TOO_BIG},
        {"FAT32 of 8 GiB in 8 KiB", 8 * GiB, VDS_FST_FAT32, 8192, S_OK},
        {"NTFS unit not a power of two", 1 * GiB, VDS_FST_NTFS, 3000, E_INVALIDARG},
        {"NTFS unit below a sector", 1 * GiB, VDS_FST_NTFS, 256, VDS_E_CLUSTER_SIZE_TOO_SMALL},
        {"NTFS with the default unit", 1 * GiB, VDS_FST_NTFS, 0, S_OK},
        {"unknown file system", 1 * GiB, VDS_FST_UDF, 4096, VDS_E_INVALID_FS_TYPE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        volume->totalBytes = row.size;
        volume->FileSystem(VDS_FST_RAW);
        EXPECT_EQ(row.expected, Format(row.type, "X", row.unit));
        EXPECT_EQ(row.expected == S_OK ? row.type : VDS_FST_RAW, volume->fileSystem);
    }
}

TEST_F(EmulatorVolumes, FormatRefusesLongLabelsAndOfflineVolumes)
{
    EXPECT_EQ(VDS_E_BAD_LABEL, Format(VDS_FST_FAT32, "TWELVE_CHARS", 4096));
    EXPECT_EQ(S_OK, Format(VDS_FST_NTFS, "TWELVE_CHARS", 4096));
    volume->status = VDS_VS_OFFLINE;
    EXPECT_EQ(VDS_E_VOLUME_NOT_ONLINE, Format(VDS_FST_NTFS, "X", 4096));
}

TEST_F(EmulatorVolumes, ShrinkStopsAtTheFreeBytes)
{
    struct Row {
        const char* name;
        ULONGLONG bytes;
        HRESULT expected;
    } rows[] = {
        {"a cluster more than free", 1 * GiB - 100 * MiB + 4096, VDS_E_SHRINK_SIZE_TOO_BIG},
        {"nothing", 0, E_INVALIDARG},
        {"less than a cluster", 4095, VDS_E_SHRINK_SIZE_LESS_THAN_MIN},
        {"a cluster and a byte: the cluster", 4097, S_OK},
        {"the rest of the free bytes", 1 * GiB - 100 * MiB - 4096, S_OK},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, Shrink(row.bytes));
    }
    EXPECT_EQ(100 * MiB, volume->totalBytes);
    EXPECT_EQ(100 * MiB, disk->partitions[0].size);
    EXPECT_EQ(1 * MiB, disk->partitions[0].offset);
    EXPECT_EQ(5u, emu.ShrinkCalls().size());
}

TEST_F(EmulatorVolumes, ShrinkNeedsNtfsOrRaw)
{
    volume->FileSystem(VDS_FST_FAT32);
    EXPECT_EQ(VDS_E_CANNOT_SHRINK, Shrink(1 * MiB));
    // A RAW volume has no data to move, and gives up whole sectors.
    volume->FileSystem(VDS_FST_RAW);
    EXPECT_EQ(VDS_E_SHRINK_SIZE_LESS_THAN_MIN, Shrink(511));
    EXPECT_EQ(S_OK, Shrink(1 * MiB + 511));
    EXPECT_EQ(1 * GiB - 1 * MiB, volume->totalBytes);
}

TEST_F(EmulatorVolumes, FailedShrinkJobChangesNothing)
{
    emu.OperationFailsNth("IVdsVolume::Shrink", 1, VDS_E_SHRINK_OVER_DATA);
    Ref<IVdsAsync> job;
    ASSERT_EQ(S_OK, Vol()->Shrink(10 * MiB, job.put()));
    HRESULT result = S_OK;
    VDS_ASYNC_OUTPUT output = {};
    EXPECT_EQ(S_OK, job->Wait(&result, &output));
    EXPECT_EQ(VDS_E_SHRINK_OVER_DATA, result);
    EXPECT_EQ(1 * GiB, volume->totalBytes);
}

TEST_F(EmulatorVolumes, DriveLetterBindsOnlyWhenFree)
{
    pack->disks[0]->AddPartition(2, 2 * GiB, 1 * GiB, 0x07);
    pack->disks[0]->AddVolume(2).FileSystem(VDS_FST_NTFS).AccessPath("G:\\");
    emu.TakeLetter('D', DRIVE_CDROM);
    struct Row {
        const char* path;
        HRESULT expected;
    } rows[] = {
        {"E:\\a*b\\", HRESULT_FROM_WIN32(ERROR_INVALID_NAME)},
        {"E:\\a\x01\\", HRESULT_FROM_WIN32(ERROR_INVALID_NAME)},
        {"E:\\a\\\\", HRESULT_FROM_WIN32(ERROR_INVALID_NAME)},
        {"D:\\", VDS_E_DRIVE_LETTER_NOT_FREE},
        {"G:\\", VDS_E_DRIVE_LETTER_NOT_FREE},
        {"E", E_INVALIDARG},
        {"E:\\", S_OK},
        {"F:\\", VDS_E_OBJECT_EXISTS},
        {"G:\\mnt\\", S_OK},
        {"G:\\mnt\\", HRESULT_FROM_WIN32(145)},
        {"Q:\\mnt\\", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(row.expected, AddPath(row.path));
    }
    EXPECT_EQ((std::vector<std::string>{"E:\\", "G:\\mnt\\"}), Paths());
    EXPECT_EQ(DRIVE_FIXED, emu.Machine().LetterType('E'));
}

TEST_F(EmulatorVolumes, DriveLetterComesFirstInTheList)
{
    emu.TakeLetter('C', DRIVE_FIXED);
    ASSERT_EQ(S_OK, AddPath("C:\\data\\"));
    ASSERT_EQ(S_OK, AddPath("F:\\"));
    EXPECT_EQ((std::vector<std::string>{"F:\\", "C:\\data\\"}), Paths());
}

TEST_F(EmulatorVolumes, DeleteAccessPathRefusesAPathTheVolumeLacks)
{
    volume->AccessPath("E:\\").AccessPath("C:\\x\\");
    auto missing = W("F:\\");
    EXPECT_EQ(VDS_E_OBJECT_NOT_FOUND, MF()->DeleteAccessPath(&missing[0], TRUE));
    auto present = W("e:\\");
    EXPECT_EQ(S_OK, MF()->DeleteAccessPath(&present[0], FALSE));
    EXPECT_EQ(std::vector<std::string>{"C:\\x\\"}, Paths());
    const auto calls = emu.DeleteAccessPathCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("F:\\", calls[0].path);
    EXPECT_EQ(TRUE, calls[0].force);
    EXPECT_EQ(FALSE, calls[1].force);
}

TEST_F(EmulatorVolumes, NoAccessPathGivesNoArray)
{
    LPWSTR* array = reinterpret_cast<LPWSTR*>(0xdeadbeef);
    LONG count = -1;
    EXPECT_EQ(S_OK, MF()->QueryAccessPaths(&array, &count));
    EXPECT_EQ(nullptr, array);
    EXPECT_EQ(0, count);
}

} // namespace
