// The disk object behind IKXVdsDisk.
#pragma once

#include "core/KXObject.h"
#include "kxplatform.h"

#include <functional>
#include <vector>

class CKXVdsPartition;

class CKXVdsDisk final : public CKXObjectImpl<IKXVdsDisk> {
public:
    CKXVdsDisk();
    ~CKXVdsDisk();

    // The slots (KXVdsDiskSlots.cpp): each that can throw runs its body below
    // in the guard.
    void* KXDeletingDestructor(unsigned int flags) noexcept override;
    HRESULT Connect(int diskNumber) override;
    HRESULT GetDiskProperties(DiskProperties* properties) override;
    int IsConnected() noexcept override;
    int GetPartitionCount() override;
    HRESULT GetPartition(int index, IKXVdsPartition** partition) override;
    HRESULT GetPartitionByOffset(ULONGLONG offset, IKXVdsPartition** partition) override;
    HRESULT GetPartitionByNumber(unsigned int number, IKXVdsPartition** partition) override;
    HRESULT CreatePartition(ULONGLONG offset, ULONGLONG size, unsigned char type, unsigned char active,
                            ULONGLONG* newOffset) override;

private:
    HRESULT ConnectDisk(int number);
    HRESULT ReadDiskProperties(DiskProperties* properties);
    int CountPartitions();
    HRESULT OpenPartitionByIndex(int index, IKXVdsPartition** partition);
    HRESULT OpenPartitionByOffset(ULONGLONG offset, IKXVdsPartition** partition);
    HRESULT OpenPartitionByNumber(unsigned int number, IKXVdsPartition** partition);
    HRESULT CreateMbrPartition(ULONGLONG offset, ULONGLONG size, unsigned char type, unsigned char active,
                               ULONGLONG* newOffset);

    struct ExtendedBounds {
        LONGLONG start;
        LONGLONG end;
    };
    // Copies the wanted record of the disk's partition list into `chosen`
    // (left with size 0 when none matches); E_INVALIDARG for a bad index.
    using PartitionSelector =
        std::function<HRESULT(const VDS_PARTITION_PROP* records, LONG count, VDS_PARTITION_PROP& chosen)>;

    void ReleaseInterfaces();
    HRESULT LookUpPartition(const PartitionSelector& selector, IKXVdsPartition** partition);
    static ExtendedBounds GetExtendedPartitionBounds(const VDS_PARTITION_PROP* records, LONG count);
    HRESULT MakePartitionObject(ExtendedBounds bounds, IKXVdsPartition** partition, VDS_PARTITION_PROP record);
    // Null when the object cannot be made.
    KXObjectOwner<CKXVdsPartition> NewPartitionObject(const VDS_PARTITION_PROP& record);
    // Fails (creating nothing) when the list cannot be read.
    HRESULT SnapshotPartitionOffsets();
    // False when no room is left for the partition before the end of the disk.
    bool AdjustPartitionRange(ULONGLONG& offset, ULONGLONG& size);
    HRESULT FindPartition(VDS_PARTITION_PROP* record);
    bool IsKnownOffset(ULONGLONG offset) const;
    // The partition exists by now: nothing that goes wrong here, running out
    // of memory included, costs more than its letter.
    HRESULT MountNewPartition(VDS_PARTITION_PROP record);
    HRESULT GiveNewPartitionALetter(VDS_PARTITION_PROP record);
    HRESULT FindFreeMountPoint(WCHAR* buffer);
    HRESULT FindDiskInProvider(IVdsSwProvider* provider, BOOL* found);
    HRESULT FindDiskInPack(IVdsPack* pack, BOOL* found);

    // Each non-null pointer owns one reference.
    IVdsDisk* disk = nullptr;
    IVdsService* service = nullptr;
    IVdsAdvancedDisk* advancedDisk = nullptr;
    IVdsCreatePartitionEx* createPartition = nullptr;
    int diskNumber = 0;
    std::vector<ULONGLONG> OffsetSnapshot;
};
