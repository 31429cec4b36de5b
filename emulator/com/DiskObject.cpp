// A disk: IVdsDisk, and unless the model says otherwise IVdsAdvancedDisk and
// IVdsCreatePartitionEx.
#include "com/ComObject.h"
#include "com/Objects.h"
#include "core/TaskMem.h"
#include "model/Operations.h"

#include <cstring>

namespace kxemu {

namespace {

const DWORD kFileDeviceDisk = 7;
const DWORD kFixedMedia = 12;

VDS_PARTITION_PROP Record(const Disk& disk, const Partition& p)
{
    VDS_PARTITION_PROP r;
    std::memset(&r, 0, sizeof(r));
    r.PartitionStyle = p.style;
    r.ulFlags = p.flags;
    r.ulPartitionNumber = p.number;
    r.ullOffset = p.offset;
    r.ullSize = p.size;
    if (p.style == VDS_PST_GPT) {
        r.Gpt.partitionType = p.gptType;
        r.Gpt.partitionId = p.gptId;
        r.Gpt.attributes = p.gptAttributes;
    } else {
        r.Mbr.partitionType = p.type;
        r.Mbr.bootIndicator = p.active ? TRUE : FALSE;
        r.Mbr.recognizedPartition = p.type != 0 ? TRUE : FALSE;
        r.Mbr.hiddenSectors = static_cast<DWORD>(p.offset / (disk.bytesPerSector ? disk.bytesPerSector : 512));
    }
    return r;
}

class DiskObject final : public ComObject, public IVdsDisk, public IVdsAdvancedDisk, public IVdsCreatePartitionEx {
public:
    DiskObject(std::shared_ptr<State> s, std::shared_ptr<Disk> d) : ComObject(std::move(s), "Disk"), disk(std::move(d))
    {
    }

    KXEMU_IUNKNOWN

    // ---- IVdsDisk
    HRESULT STDMETHODCALLTYPE GetProperties(VDS_DISK_PROP* prop) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsDisk::GetProperties", &fault);
        if (!prop) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        std::memset(prop, 0, sizeof(*prop));
        prop->id = disk->id;
        prop->status = disk->status;
        prop->ReserveMode = VDS_LRM_NONE;
        prop->health = VDS_H_HEALTHY;
        prop->dwDeviceType = kFileDeviceDisk;
        prop->dwMediaType = kFixedMedia;
        prop->ullSize = disk->size;
        prop->ulBytesPerSector = disk->bytesPerSector;
        prop->ulSectorsPerTrack = disk->sectorsPerTrack;
        prop->ulTracksPerCylinder = disk->tracksPerCylinder;
        prop->BusType = VDSBusTypeSata;
        prop->PartitionStyle = disk->style;
        if (disk->style == VDS_PST_GPT)
            prop->DiskGuid = disk->id;
        else
            prop->dwSignature = disk->signature;
        prop->pwszDiskAddress = TaskMemString(*state, disk->diskAddress);
        prop->pwszName = disk->nameMissing ? nullptr : TaskMemString(*state, disk->name);
        prop->pwszFriendlyName = TaskMemString(*state, disk->friendlyName);
        prop->pwszAdaptorName = TaskMemString(*state, disk->adaptorName);
        prop->pwszDevicePath = TaskMemString(*state, disk->devicePath.empty() ? disk->name : disk->devicePath);
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsDisk::GetPack", &fault);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
        for (const auto& provider : state->machine.providers)
            for (const auto& pack : provider->packs)
                if (pack.get() == &disk->OwnerPack()) {
                    IUnknown* object = NewPackObject(state, pack);
                    const HRESULT hr = object->QueryInterface(IID_IVdsPack, reinterpret_cast<void**>(out));
                    object->Release();
                    return hr;
                }
        return VDS_E_OBJECT_NOT_FOUND;
    }

    HRESULT STDMETHODCALLTYPE GetIdentificationData(VDS_LUN_INFORMATION*) override
    {
        return NotModelled("IVdsDisk::GetIdentificationData");
    }
    HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DISK_EXTENT** out, LONG* count) override
    {
        NullOut(out);
        if (count) *count = 0;
        return NotModelled("IVdsDisk::QueryExtents");
    }
    HRESULT STDMETHODCALLTYPE ConvertStyle(VDS_PARTITION_STYLE) override
    {
        return NotModelled("IVdsDisk::ConvertStyle");
    }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG) override { return NotModelled("IVdsDisk::SetFlags"); }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG) override { return NotModelled("IVdsDisk::ClearFlags"); }

    // ---- IVdsAdvancedDisk
    HRESULT STDMETHODCALLTYPE GetPartitionProperties(ULONGLONG, VDS_PARTITION_PROP*) override
    {
        return NotModelled("IVdsAdvancedDisk::GetPartitionProperties");
    }

    HRESULT STDMETHODCALLTYPE QueryPartitions(VDS_PARTITION_PROP** array, LONG* count) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsAdvancedDisk::QueryPartitions", &fault);
        if (!array || !count) return E_POINTER;
        *array = nullptr;
        *count = 0;
        // A query that reports S_FALSE or an error hands out no records.
        if (faulted && fault.kind == FaultKind::Return) return fault.code;
        const size_t n = disk->partitions.size();
        if (n) {
            auto* records = static_cast<VDS_PARTITION_PROP*>(AllocTaskMem(*state, n * sizeof(VDS_PARTITION_PROP)));
            if (!records) return E_OUTOFMEMORY;
            for (size_t i = 0; i < n; ++i) records[i] = Record(*disk, disk->partitions[i]);
            *array = records;
            *count = static_cast<LONG>(n);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreatePartition(ULONGLONG, ULONGLONG, CREATE_PARTITION_PARAMETERS*,
                                              IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsAdvancedDisk::CreatePartition");
    }
    HRESULT STDMETHODCALLTYPE DeletePartition(ULONGLONG, BOOL, BOOL) override
    {
        return NotModelled("IVdsAdvancedDisk::DeletePartition");
    }
    HRESULT STDMETHODCALLTYPE ChangeAttributes(ULONGLONG, CHANGE_ATTRIBUTES_PARAMETERS*) override
    {
        return NotModelled("IVdsAdvancedDisk::ChangeAttributes");
    }
    HRESULT STDMETHODCALLTYPE AssignDriveLetter(ULONGLONG, WCHAR) override
    {
        return NotModelled("IVdsAdvancedDisk::AssignDriveLetter");
    }
    HRESULT STDMETHODCALLTYPE DeleteDriveLetter(ULONGLONG, WCHAR) override
    {
        return NotModelled("IVdsAdvancedDisk::DeleteDriveLetter");
    }
    HRESULT STDMETHODCALLTYPE GetDriveLetter(ULONGLONG, WCHAR*) override
    {
        return NotModelled("IVdsAdvancedDisk::GetDriveLetter");
    }
    HRESULT STDMETHODCALLTYPE FormatPartition(ULONGLONG, VDS_FILE_SYSTEM_TYPE, LPWSTR, DWORD, BOOL, BOOL, BOOL,
                                              IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsAdvancedDisk::FormatPartition");
    }
    HRESULT STDMETHODCALLTYPE Clean(BOOL, BOOL, BOOL, IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsAdvancedDisk::Clean");
    }

    // ---- IVdsCreatePartitionEx
    HRESULT STDMETHODCALLTYPE CreatePartitionEx(ULONGLONG offset, ULONGLONG size, ULONG align,
                                                CREATE_PARTITION_PARAMETERS* parameters, IVdsAsync** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsCreatePartitionEx::CreatePartitionEx", &fault);
        CreatePartitionCall call;
        call.offset = offset;
        call.size = size;
        call.align = align;
        call.hasParameters = parameters != nullptr;
        if (parameters) call.parameters = *parameters;
        state->instrument.createPartitionCalls.push_back(call);

        if (!out) return E_POINTER;
        *out = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;

        Partition planned;
        const HRESULT refused = PlanPartition(*disk, offset, size, align, parameters, &planned);
        if (refused != S_OK) return refused;

        VDS_ASYNC_OUTPUT output;
        std::memset(&output, 0, sizeof(output));
        output.type = VDS_ASYNCOUT_CREATEPARTITION;
        HRESULT result = S_OK;
        if (faulted && fault.kind == FaultKind::OperationResult) {
            result = fault.code;
        } else {
            Volume* volume = CommitPartition(*disk, planned);
            output.cp.ullOffset = planned.offset;
            if (volume) output.cp.volumeId = volume->id;
        }
        if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
        *out = NewJob(state, result, output);
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IVdsDisk) return static_cast<IVdsDisk*>(this);
        if (riid == IID_IVdsAdvancedDisk && disk->advancedInterface) return static_cast<IVdsAdvancedDisk*>(this);
        if (riid == IID_IVdsCreatePartitionEx && disk->createPartitionExInterface)
            return static_cast<IVdsCreatePartitionEx*>(this);
        return nullptr;
    }

    std::shared_ptr<Disk> disk;
};

} // namespace

IUnknown* NewDiskObject(const std::shared_ptr<State>& state, const std::shared_ptr<Disk>& disk)
{
    return static_cast<IVdsDisk*>(new DiskObject(state, disk));
}

} // namespace kxemu
