// The partition object behind IKXVdsPartition: one partition of the selected
// disk and, once Init has found it, the volume that lives on it.
#pragma once

#include "core/KXObject.h"
#include "kxplatform.h"
#include "support/KXString.h"

#include <vector>

class CKXVdsPartition final : public CKXObjectImpl<IKXVdsPartition> {
public:
    CKXVdsPartition();
    ~CKXVdsPartition();

    // What the creating disk object hands over before Init: its own service
    // reference (AddRef'd here), the disk number and the partition record.
    void SetSource(IVdsService* diskService, int number, const VDS_PARTITION_PROP& record);
    void SetPrimary(int primaryFlag) { primary = primaryFlag; }
    // Finds the volume on the partition; 0 when found.
    HRESULT Init();

    // The slots (KXVdsPartitionSlots.cpp): each that can throw runs its body
    // below in the guard.
    void* KXDeletingDestructor(unsigned int flags) noexcept override;
    HRESULT GetVolumeName(WCHAR* buffer, int capacity) override;
    ULONGLONG GetOffset() noexcept override;
    ULONGLONG GetEndOffset() noexcept override;
    ULONGLONG GetSize() noexcept override;
    ULONGLONG GetUsedSpace() override;
    int GetPartitionType() noexcept override;
    int IsActive() noexcept override;
    int IsPrimary() noexcept override;
    int IsRecovery() override;
    unsigned int GetPartitionNumber() noexcept override;
    HRESULT GetFirstAccessPath(WCHAR* buffer, int capacity) override;
    HRESULT GetNextAccessPath(WCHAR* buffer, int capacity) override;
    HRESULT AddMountPoint(const WCHAR* path) override;
    HRESULT DeleteMountPoint(const WCHAR* path) override;
    HRESULT Shrink(ULONGLONG byteCount) override;
    HRESULT Format(const WCHAR* fileSystem, const WCHAR* label, int quick) override;

private:
    HRESULT ReadVolumeName(WCHAR* buffer, int capacity);
    ULONGLONG ReadUsedSpace();
    int HasRecoveryTag();
    HRESULT ReadFirstAccessPath(WCHAR* buffer, int capacity);
    HRESULT ReadNextAccessPath(WCHAR* buffer, int capacity);
    HRESULT AddAccessPath(const WCHAR* path);
    HRESULT DeleteAccessPath(const WCHAR* path);
    HRESULT ShrinkVolume(ULONGLONG byteCount);
    HRESULT FormatVolume(const WCHAR* fileSystem, const WCHAR* label, int quick);
    bool FindVolumeInProvider(IVdsSwProvider* provider);
    bool FindVolumeInPack(IVdsPack* pack);
    bool IsVolumeOnPartition(const VDS_VOLUME_PROP& prop);
    HRESULT ReadBootSectorTag(WCHAR* tag);
    HRESULT RereadAccessPaths(const char* failureMessage);
    void ClearPathCache();
    HRESULT WaitForCompletion(IVdsAsync* async);

    IVdsService* service = nullptr;
    VDS_PARTITION_PROP properties;
    int primary = 0;
    IVdsVolume* volume = nullptr;
    IVdsVolumeMF* volumeMF = nullptr;
    int diskNumber = -1;
    std::vector<CKXString> pathCache;
    int pathCount = 0;
    int pathCursor = 0;
};
