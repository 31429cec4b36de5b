// The partition object's life.
#include "partition/KXVdsPartition.h"

#include "log/KXLogger.h"

#include <cstring>

CKXVdsPartition::CKXVdsPartition()
{
    std::memset(&properties, 0, sizeof(properties));
    GetLogger()->componentName = KXW("KXVdsDisks");
}

CKXVdsPartition::~CKXVdsPartition()
{
    ClearPathCache();
    if (service) {
        service->Release();
        service = nullptr;
    }
    if (volume) {
        volume->Release();
        volume = nullptr;
    }
    if (volumeMF) {
        volumeMF->Release();
        volumeMF = nullptr;
    }
    DeleteProcessLogger();
}

void CKXVdsPartition::SetSource(IVdsService* diskService, int number, const VDS_PARTITION_PROP& record)
{
    if (service) {
        service->Release();
        service = nullptr;
    }
    if (diskService) {
        diskService->AddRef();
        service = diskService;
    }
    diskNumber = number;
    properties = record;
}
