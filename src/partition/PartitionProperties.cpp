// What a partition object tells about its partition and its volume.
#include "log/KXLogger.h"
#include "partition/KXVdsPartition.h"
#include "support/KXCopyText.h"
#include "support/KXResource.h"
#include "support/KXVdsRecords.h"

namespace {

const ULONGLONG kNtfsTagOffset = 0x1F0;
const ULONGLONG kOemNameOffset = 3;
const int kTagUnits = 20;
// Volume handles read whole sectors of the disk; 4096 bytes are whole on
// every sector size up to 4K-native. The tag lies in the first 512.
const DWORD kBootReadBytes = 4096;

HRESULT LastErrorResult()
{
    return HRESULT_FROM_WIN32(GetLastError());
}

} // namespace

HRESULT CKXVdsPartition::ReadVolumeName(WCHAR* buffer, int capacity)
{
    if (!buffer && capacity > 0) return Record(E_POINTER);
    if (!volume) return E_NOINTERFACE;
    KXVolumeProp prop;
    const HRESULT hr = volume->GetProperties(prop.put());
    // Every success code (VDS_S_PROPERTIES_INCOMPLETE, S_FALSE) hands out the record.
    if (FAILED(hr)) {
        GetLogger()->LogError("IVDsVolume::GetProperties failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }
    // An incomplete record may come without a name: hand out "".
    KXCopyToCaller(buffer, capacity, prop->pwszName ? prop->pwszName : KXW(""));
    return S_OK;
}

ULONGLONG CKXVdsPartition::ReadUsedSpace()
{
    // A name of MAX_PATH - 1 units still has room for the backslash.
    WCHAR root[MAX_PATH + 1] = {};
    if (ReadVolumeName(root, MAX_PATH) != S_OK) return 0;
    PathAddBackslashW(root);
    ULARGE_INTEGER freeToCaller = {}, total = {}, totalFree = {};
    if (!GetDiskFreeSpaceExW(root, &freeToCaller, &total, &totalFree)) return 0;
    return total.QuadPart - totalFree.QuadPart;
}

int CKXVdsPartition::HasRecoveryTag()
{
    WCHAR tag[kTagUnits] = {};
    if (ReadBootSectorTag(tag) != S_OK) return 0;
    return lstrcmpiW(tag, KXW("RECOVERY")) == 0 ? 1 : 0;
}

HRESULT CKXVdsPartition::ReadBootSectorTag(WCHAR* tag)
{
    if (IsBadWritePtr(tag, kTagUnits * sizeof(WCHAR))) return Record(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    WCHAR name[MAX_PATH] = {};
    HRESULT hr = ReadVolumeName(name, MAX_PATH);
    if (hr != S_OK) return Record(hr);

    bool ntfs = false;
    if (volumeMF) {
        KXFileSystemProp fs;
        // Success codes other than S_OK fill the record as well.
        if (SUCCEEDED(volumeMF->GetFileSystemProperties(fs.put()))) ntfs = fs->type == VDS_FST_NTFS;
    }

    KXUniqueFile device(
        CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device.valid()) return Record(LastErrorResult());
    unsigned char sector[kBootReadBytes] = {};
    DWORD read = 0;
    if (!ReadFile(device.get(), sector, kBootReadBytes, &read, nullptr)) return Record(LastErrorResult());

    char bytes[9] = {};
    const unsigned char* source = sector + (ntfs ? kNtfsTagOffset : kOemNameOffset);
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(source[i]);
    WCHAR wide[10] = {};
    MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide, 10);
    KXCopyToCaller(tag, kTagUnits, wide);
    return Record(S_OK);
}
