// The partition object's slot table: every slot that reaches the service, the
// log or the heap runs its body inside the boundary guard; the others only
// read what the object holds.
#include "partition/KXVdsPartition.h"

void* CKXVdsPartition::KXDeletingDestructor(unsigned int flags) noexcept
{
    return KXDestroyObject(this, flags);
}

HRESULT CKXVdsPartition::GetVolumeName(WCHAR* buffer, int capacity)
{
    return Guarded([&] { return ReadVolumeName(buffer, capacity); });
}

ULONGLONG CKXVdsPartition::GetOffset() noexcept
{
    return properties.ullOffset;
}

ULONGLONG CKXVdsPartition::GetEndOffset() noexcept
{
    return properties.ullOffset + properties.ullSize;
}

ULONGLONG CKXVdsPartition::GetSize() noexcept
{
    return properties.ullSize;
}

ULONGLONG CKXVdsPartition::GetUsedSpace()
{
    return GuardedAnswer([&] { return ReadUsedSpace(); });
}

// The MBR bytes are read whatever the partition style: for a GPT record they
// are the first two bytes of its type GUID.
int CKXVdsPartition::GetPartitionType() noexcept
{
    return properties.Mbr.partitionType;
}

int CKXVdsPartition::IsActive() noexcept
{
    return properties.Mbr.bootIndicator;
}

int CKXVdsPartition::IsPrimary() noexcept
{
    return primary;
}

int CKXVdsPartition::IsRecovery()
{
    return GuardedAnswer([&] { return HasRecoveryTag(); });
}

unsigned int CKXVdsPartition::GetPartitionNumber() noexcept
{
    return properties.ulPartitionNumber;
}

HRESULT CKXVdsPartition::GetFirstAccessPath(WCHAR* buffer, int capacity)
{
    return Guarded([&] { return ReadFirstAccessPath(buffer, capacity); });
}

HRESULT CKXVdsPartition::GetNextAccessPath(WCHAR* buffer, int capacity)
{
    return Guarded([&] { return ReadNextAccessPath(buffer, capacity); });
}

HRESULT CKXVdsPartition::AddMountPoint(const WCHAR* path)
{
    return Guarded([&] { return AddAccessPath(path); });
}

HRESULT CKXVdsPartition::DeleteMountPoint(const WCHAR* path)
{
    return Guarded([&] { return DeleteAccessPath(path); });
}

HRESULT CKXVdsPartition::Shrink(ULONGLONG byteCount)
{
    return Guarded([&] { return ShrinkVolume(byteCount); });
}

HRESULT CKXVdsPartition::Format(const WCHAR* fileSystem, const WCHAR* label, int quick)
{
    return Guarded([&] { return FormatVolume(fileSystem, label, quick); });
}
