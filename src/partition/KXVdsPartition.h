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

    void* KXDeletingDestructor(unsigned int flags) override;
    HRESULT GetVolumeName(WCHAR* buffer, int capacity) override;
    ULONGLONG GetOffset() override;
    ULONGLONG GetEndOffset() override;
    ULONGLONG GetSize() override;
    ULONGLONG GetUsedSpace() override;
    int GetPartitionType() override;
    int IsActive() override;
    int IsPrimary() override;
    int IsRecovery() override;
    unsigned int GetPartitionNumber() override;
    HRESULT GetFirstAccessPath(WCHAR* buffer, int capacity) override;
    HRESULT GetNextAccessPath(WCHAR* buffer, int capacity) override;
    HRESULT AddMountPoint(const WCHAR* path) override;
    HRESULT DeleteMountPoint(const WCHAR* path) override;
    HRESULT Shrink(ULONGLONG byteCount) override;
    HRESULT Format(const WCHAR* fileSystem, const WCHAR* label, int quick) override;

private:
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
