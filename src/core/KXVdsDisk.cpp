// The disk object's life: construction and destruction.
#include "core/KXVdsDisk.h"

#include "log/KXLogger.h"

CKXVdsDisk::CKXVdsDisk()
{
    GetLogger()->componentName = KXW("KXVdsDisks");
}

CKXVdsDisk::~CKXVdsDisk()
{
    ReleaseInterfaces();
    // The process logger ends with any disk or partition object; the next
    // record anywhere starts a new one.
    DeleteProcessLogger();
}

void CKXVdsDisk::ReleaseInterfaces()
{
    if (service) {
        service->Release();
        service = nullptr;
    }
    if (disk) {
        disk->Release();
        disk = nullptr;
    }
    if (advancedDisk) {
        advancedDisk->Release();
        advancedDisk = nullptr;
    }
    if (createPartition) {
        createPartition->Release();
        createPartition = nullptr;
    }
}
