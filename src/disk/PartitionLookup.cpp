// Counting the disk's partitions and handing out partition objects. Every
// call asks the service afresh; nothing is cached.
#include "core/KXVdsDisk.h"
#include "disk/PartitionRecord.h"
#include "log/KXLogger.h"
#include "partition/KXVdsPartition.h"
#include "support/KXVdsRecords.h"

int CKXVdsDisk::CountPartitions()
{
    if (!advancedDisk) return 0;
    KXPartitionArray records;
    if (records.Query(advancedDisk) != S_OK) return 0;
    return records.size();
}

HRESULT CKXVdsDisk::OpenPartitionByIndex(int index, IKXVdsPartition** partition)
{
    return LookUpPartition(
        [index](const VDS_PARTITION_PROP* records, LONG count, VDS_PARTITION_PROP& chosen) {
            if (index < 0 || index >= count) return E_INVALIDARG;
            chosen = records[index];
            return S_OK;
        },
        partition);
}

HRESULT CKXVdsDisk::OpenPartitionByOffset(ULONGLONG offset, IKXVdsPartition** partition)
{
    return LookUpPartition(
        [offset](const VDS_PARTITION_PROP* records, LONG count, VDS_PARTITION_PROP& chosen) {
            for (LONG i = 0; i < count; ++i)
                if (records[i].ullOffset == offset) {
                    chosen = records[i];
                    break;
                }
            return S_OK;
        },
        partition);
}

HRESULT CKXVdsDisk::OpenPartitionByNumber(unsigned int number, IKXVdsPartition** partition)
{
    return LookUpPartition(
        [number](const VDS_PARTITION_PROP* records, LONG count, VDS_PARTITION_PROP& chosen) {
            for (LONG i = 0; i < count; ++i)
                if (records[i].ulPartitionNumber == number) {
                    chosen = records[i];
                    break;
                }
            return S_OK;
        },
        partition);
}

HRESULT CKXVdsDisk::LookUpPartition(const PartitionSelector& selector, IKXVdsPartition** partition)
{
    // Without a place to put it, a new object could only leak.
    if (!partition) return Record(E_POINTER);
    if (!advancedDisk) return Record(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    VDS_PARTITION_PROP chosen = {};
    ExtendedBounds bounds = {-1, -1};
    {
        KXPartitionArray records;
        HRESULT hr = records.Query(advancedDisk);
        if (hr == S_FALSE) hr = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (hr != S_OK) return Record(hr);

        bounds = GetExtendedPartitionBounds(records.begin(), records.size());
        hr = selector(records.begin(), records.size(), chosen);
        if (hr != S_OK) return Record(hr);
    }
    // Size 0 marks "nothing selected"; a partition of length 0 is not handed out either.
    if (chosen.ullSize == 0) return Record(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    IKXVdsPartition* made = nullptr;
    const HRESULT hr = MakePartitionObject(bounds, &made, chosen);
    if (hr != S_OK) return Record(hr);
    *partition = made;
    return Record(S_OK);
}

CKXVdsDisk::ExtendedBounds CKXVdsDisk::GetExtendedPartitionBounds(const VDS_PARTITION_PROP* records, LONG count)
{
    for (LONG i = 0; i < count; ++i) {
        if (IsExtendedType(records[i].Mbr.partitionType)) {
            const LONGLONG start = static_cast<LONGLONG>(records[i].ullOffset);
            return {start, SignedEnd(start, records[i].ullSize)};
        }
    }
    return {-1, -1};
}

KXObjectOwner<CKXVdsPartition> CKXVdsDisk::NewPartitionObject(const VDS_PARTITION_PROP& record)
{
    // Its callers tell the client (E_OUTOFMEMORY), each in its own way.
    KXObjectOwner<CKXVdsPartition> object(
        KXBoundaryGuard([] { return new CKXVdsPartition; }, [] { return static_cast<CKXVdsPartition*>(nullptr); }));
    if (object) object->SetSource(service, diskNumber, record);
    return object;
}

HRESULT CKXVdsDisk::MakePartitionObject(ExtendedBounds bounds, IKXVdsPartition** partition, VDS_PARTITION_PROP record)
{
    const LONGLONG offset = static_cast<LONGLONG>(record.ullOffset);
    const int primary = record.Mbr.partitionType == 0x05 || offset <= bounds.start || offset >= bounds.end;

    KXObjectOwner<CKXVdsPartition> object = NewPartitionObject(record);
    if (!object) return E_OUTOFMEMORY;
    object->SetPrimary(primary);
    const HRESULT hr = object->Init();
    // A partition without a volume is still a partition: hand it out.
    if (hr != S_OK) GetLogger()->LogTrace("IKXVdsPartition::Init failed (%u - %8.8X)", hr, hr);
    *partition = object.release();
    return S_OK;
}
