// A volume: IVdsVolume and, unless the model says otherwise, IVdsVolumeMF.
#include "com/ComObject.h"
#include "com/Objects.h"
#include "core/TaskMem.h"
#include "model/Operations.h"
#include "model/Text.h"

#include <cstring>

namespace kxemu {

namespace {

class VolumeObject final : public ComObject, public IVdsVolume, public IVdsVolumeMF {
public:
    VolumeObject(std::shared_ptr<State> s, std::shared_ptr<Volume> v)
        : ComObject(std::move(s), "Volume"), volume(std::move(v))
    {
    }

    KXEMU_IUNKNOWN

    // ---- IVdsVolume
    HRESULT STDMETHODCALLTYPE GetProperties(VDS_VOLUME_PROP* prop) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolume::GetProperties", &fault);
        if (!prop) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        if (FAILED(volume->propertiesResult)) return volume->propertiesResult;
        std::memset(prop, 0, sizeof(*prop));
        prop->id = volume->id;
        prop->type = volume->extents.size() > 1 ? VDS_VT_SPAN : VDS_VT_SIMPLE;
        prop->status = volume->status;
        prop->health = VDS_H_HEALTHY;
        prop->TransitionState = VDS_TS_STABLE;
        prop->ullSize = volume->totalBytes;
        prop->ulFlags = volume->fileSystem == VDS_FST_NTFS ? VDS_VF_CAN_SHRINK : 0;
        prop->RecommendedFileSystemType = VDS_FST_NTFS;
        prop->pwszName = volume->nameMissing ? nullptr : TaskMemString(*state, volume->name);
        if (faulted && fault.kind == FaultKind::Return) return fault.code;
        return volume->propertiesResult;
    }

    HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolume::GetPack", &fault);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
        for (const auto& provider : state->machine.providers)
            for (const auto& pack : provider->packs)
                if (pack.get() == &volume->OwnerPack()) {
                    IUnknown* object = NewPackObject(state, pack);
                    const HRESULT hr = object->QueryInterface(IID_IVdsPack, reinterpret_cast<void**>(out));
                    object->Release();
                    return hr;
                }
        return VDS_E_OBJECT_NOT_FOUND;
    }

    HRESULT STDMETHODCALLTYPE QueryPlexes(IEnumVdsObject** out) override
    {
        NullOut(out);
        return NotModelled("IVdsVolume::QueryPlexes");
    }
    HRESULT STDMETHODCALLTYPE Extend(VDS_INPUT_DISK*, LONG, IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsVolume::Extend");
    }

    HRESULT STDMETHODCALLTYPE Shrink(ULONGLONG bytes, IVdsAsync** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolume::Shrink", &fault);
        state->instrument.shrinkCalls.push_back(bytes);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        ULONGLONG removed = 0;
        const HRESULT refused = CheckShrink(*volume, bytes, &removed);
        if (refused != S_OK) return refused;

        VDS_ASYNC_OUTPUT output;
        std::memset(&output, 0, sizeof(output));
        output.type = VDS_ASYNCOUT_SHRINKVOLUME;
        HRESULT result = S_OK;
        if (faulted && fault.kind == FaultKind::OperationResult) {
            result = fault.code;
        } else {
            ApplyShrink(*volume, removed);
            output.sv.ullReclaimedBytes = removed;
        }
        return Job(faulted, fault, result, output, out);
    }

    HRESULT STDMETHODCALLTYPE AddPlex(VDS_OBJECT_ID, IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsVolume::AddPlex");
    }
    HRESULT STDMETHODCALLTYPE BreakPlex(VDS_OBJECT_ID, IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsVolume::BreakPlex");
    }
    HRESULT STDMETHODCALLTYPE RemovePlex(VDS_OBJECT_ID, IVdsAsync** out) override
    {
        NullOut(out);
        return NotModelled("IVdsVolume::RemovePlex");
    }
    HRESULT STDMETHODCALLTYPE Delete(BOOL) override { return NotModelled("IVdsVolume::Delete"); }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG, BOOL) override { return NotModelled("IVdsVolume::SetFlags"); }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG) override { return NotModelled("IVdsVolume::ClearFlags"); }

    // ---- IVdsVolumeMF
    HRESULT STDMETHODCALLTYPE GetFileSystemProperties(VDS_FILE_SYSTEM_PROP* prop) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolumeMF::GetFileSystemProperties", &fault);
        if (!prop) return E_POINTER;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        std::memset(prop, 0, sizeof(*prop));
        prop->type = volume->HasFileSystem() ? volume->fileSystem : VDS_FST_RAW;
        prop->volumeId = volume->id;
        if (volume->HasFileSystem() && volume->unitSize) {
            prop->ulAllocationUnitSize = volume->unitSize;
            prop->ullTotalAllocationUnits = volume->totalBytes / volume->unitSize;
            prop->ullAvailableAllocationUnits = volume->FreeBytes() / volume->unitSize;
        }
        prop->pwszLabel = TaskMemString(*state, volume->label);
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Format(VDS_FILE_SYSTEM_TYPE type, LPWSTR label, DWORD unitSize, BOOL force,
                                     BOOL quick, BOOL compression, IVdsAsync** out) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolumeMF::Format", &fault);
        FormatCall call;
        call.type = type;
        call.label = Narrow(label);
        call.labelNull = label == nullptr;
        call.unitSize = unitSize;
        call.force = force;
        call.quick = quick;
        call.compression = compression;
        state->instrument.formatCalls.push_back(call);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        const HRESULT refused = CheckFormat(*volume, type, call.label, unitSize);
        if (refused != S_OK) return refused;

        VDS_ASYNC_OUTPUT output;
        std::memset(&output, 0, sizeof(output));
        output.type = VDS_ASYNCOUT_FORMAT;
        HRESULT result = S_OK;
        if (faulted && fault.kind == FaultKind::OperationResult)
            result = fault.code;
        else
            ApplyFormat(*volume, type, call.label, unitSize);
        return Job(faulted, fault, result, output, out);
    }

    HRESULT STDMETHODCALLTYPE AddAccessPath(LPWSTR path) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolumeMF::AddAccessPath", &fault);
        AccessPathCall call;
        call.path = Narrow(path);
        call.pathNull = path == nullptr;
        state->instrument.addAccessPathCalls.push_back(call);
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        if (!path) return E_INVALIDARG;
        const HRESULT refused = CheckAddAccessPath(state->machine, *volume, call.path);
        if (refused != S_OK) return refused;
        ApplyAddAccessPath(*volume, call.path);
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryAccessPaths(LPWSTR** array, LONG* count) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolumeMF::QueryAccessPaths", &fault);
        if (!array || !count) return E_POINTER;
        *array = nullptr;
        *count = 0;
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        const size_t n = volume->accessPaths.size();
        if (n) {
            auto* paths = static_cast<LPWSTR*>(AllocTaskMem(*state, n * sizeof(LPWSTR)));
            if (!paths) return E_OUTOFMEMORY;
            for (size_t i = 0; i < n; ++i) paths[i] = TaskMemString(*state, volume->accessPaths[i]);
            *array = paths;
            *count = static_cast<LONG>(n);
        }
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryReparsePoints(VDS_REPARSE_POINT_PROP** out, LONG* count) override
    {
        NullOut(out);
        if (count) *count = 0;
        return NotModelled("IVdsVolumeMF::QueryReparsePoints");
    }

    HRESULT STDMETHODCALLTYPE DeleteAccessPath(LPWSTR path, BOOL force) override
    {
        Lock lock = Hold();
        Fault fault;
        const bool faulted = Enter("IVdsVolumeMF::DeleteAccessPath", &fault);
        AccessPathCall call;
        call.path = Narrow(path);
        call.pathNull = path == nullptr;
        call.force = force;
        state->instrument.deleteAccessPathCalls.push_back(call);
        if (faulted && fault.kind == FaultKind::Return && FAILED(fault.code)) return fault.code;
        if (!path) return E_INVALIDARG;
        const HRESULT refused = CheckDeleteAccessPath(*volume, call.path);
        if (refused != S_OK) return refused;
        ApplyDeleteAccessPath(*volume, call.path);
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Mount() override { return NotModelled("IVdsVolumeMF::Mount"); }
    HRESULT STDMETHODCALLTYPE Dismount(BOOL, BOOL) override { return NotModelled("IVdsVolumeMF::Dismount"); }
    HRESULT STDMETHODCALLTYPE SetFileSystemFlags(ULONG) override
    {
        return NotModelled("IVdsVolumeMF::SetFileSystemFlags");
    }
    HRESULT STDMETHODCALLTYPE ClearFileSystemFlags(ULONG) override
    {
        return NotModelled("IVdsVolumeMF::ClearFileSystemFlags");
    }

private:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IVdsVolume) return static_cast<IVdsVolume*>(this);
        if (riid == IID_IVdsVolumeMF && volume->mfInterface) return static_cast<IVdsVolumeMF*>(this);
        return nullptr;
    }

    // Hands out the job of an operation that has run, as the call's fault allows.
    HRESULT Job(bool faulted, const Fault& fault, HRESULT result, const VDS_ASYNC_OUTPUT& output, IVdsAsync** out)
    {
        if (faulted && fault.kind == FaultKind::NullObject) return S_OK;
        *out = NewJob(state, result, output);
        return faulted && fault.kind == FaultKind::Return ? fault.code : S_OK;
    }

    std::shared_ptr<Volume> volume;
};

} // namespace

IUnknown* NewVolumeObject(const std::shared_ptr<State>& state, const std::shared_ptr<Volume>& volume)
{
    return static_cast<IVdsVolume*>(new VolumeObject(state, volume));
}

} // namespace kxemu
