// The disk object's slot table: every slot that reaches the service, the log
// or the heap runs its body inside the boundary guard.
#include "core/KXVdsDisk.h"

void* CKXVdsDisk::KXDeletingDestructor(unsigned int flags) noexcept
{
    return KXDestroyObject(this, flags);
}

HRESULT CKXVdsDisk::Connect(int number)
{
    return Guarded([&] { return ConnectDisk(number); });
}

HRESULT CKXVdsDisk::GetDiskProperties(DiskProperties* properties)
{
    return Guarded([&] { return ReadDiskProperties(properties); });
}

int CKXVdsDisk::IsConnected() noexcept
{
    return disk != nullptr;
}

int CKXVdsDisk::GetPartitionCount()
{
    return GuardedAnswer([&] { return CountPartitions(); });
}

HRESULT CKXVdsDisk::GetPartition(int index, IKXVdsPartition** partition)
{
    return Guarded([&] { return OpenPartitionByIndex(index, partition); });
}

HRESULT CKXVdsDisk::GetPartitionByOffset(ULONGLONG offset, IKXVdsPartition** partition)
{
    return Guarded([&] { return OpenPartitionByOffset(offset, partition); });
}

HRESULT CKXVdsDisk::GetPartitionByNumber(unsigned int number, IKXVdsPartition** partition)
{
    return Guarded([&] { return OpenPartitionByNumber(number, partition); });
}

HRESULT CKXVdsDisk::CreatePartition(ULONGLONG offset, ULONGLONG size, unsigned char type, unsigned char active,
                                    ULONGLONG* newOffset)
{
    return Guarded([&] { return CreateMbrPartition(offset, size, type, active, newOffset); });
}
