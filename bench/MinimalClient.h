// A client written straight against the disk service and the volume devices,
// with nothing but what the answers need: no objects, no log, no caller-buffer
// rules. It makes exactly the calls the library makes for the same request, so
// the time the library takes beyond it is the library's own.
#pragma once

#include "kxplatform.h"

#include <memory>

namespace minimal {

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using Ref = std::unique_ptr<T, ComRelease>;

// What the logger of every disk and partition object must do however little
// it then logs: take the current directory and try to open KX_LOG.INI there
// for reading and writing.
void LookForLogConfiguration();

class Client {
public:
    // With `lookForLog`, each lookup and each partition of a walk also makes
    // the logger's KX_LOG.INI lookup, as the library's partition objects do.
    explicit Client(bool lookForLog = false) : lookForLog(lookForLog) {}

    // The service, then "PhysicalDrive" `number` among providers, packs and disks.
    HRESULT Connect(int number);
    // As GetPartitionByNumber: the record, then the partition's volume. True
    // when the volume was found.
    bool LookUpByNumber(ULONG number);
    // As a client's table walk: the count, then every partition by index with
    // its volume's name, used bytes and recovery tag. Returns the recovery
    // volumes seen.
    int WalkTable();

private:
    struct FoundVolume {
        Ref<IVdsVolume> volume;
        Ref<IVdsVolumeMF> volumeMF;
    };
    bool Record(LONG index, ULONG number, VDS_PARTITION_PROP* record);
    FoundVolume FindVolume(ULONG partitionNumber);
    bool IsOnPartition(const WCHAR* name, VDS_VOLUME_STATUS status, ULONG partitionNumber);

    Ref<IVdsService> service;
    Ref<IVdsDisk> disk;
    Ref<IVdsAdvancedDisk> advancedDisk;
    Ref<IVdsCreatePartitionEx> createPartition;
    int diskNumber = -1;
    bool lookForLog;
};

} // namespace minimal
