// Shrinking and formatting the volume: start the service's job, then wait.
#include "log/KXLogger.h"
#include "partition/FormatUnitSize.h"
#include "partition/KXVdsPartition.h"
#include "support/KXComPtr.h"

HRESULT CKXVdsPartition::WaitForCompletion(IVdsAsync* async)
{
    HRESULT operationResult = S_OK;
    VDS_ASYNC_OUTPUT output = {};
    const HRESULT waited = async->Wait(&operationResult, &output);
    if (operationResult != S_OK) return Record(operationResult);
    if (waited != S_OK) return Record(waited);

    HRESULT status = S_OK;
    ULONG percent = 0;
    const HRESULT queried = async->QueryStatus(&status, &percent);
    if (status != S_OK) return Record(status);
    return queried;
}

HRESULT CKXVdsPartition::ShrinkVolume(ULONGLONG byteCount)
{
    if (!volume) return Record(E_NOINTERFACE);
    KXComPtr<IVdsAsync> async;
    const HRESULT hr = volume->Shrink(byteCount, async.put());
    // Any success code with a job has started it: wait for its outcome.
    if (FAILED(hr) || !async) {
        GetLogger()->LogTrace("IVdsVolume::Shrink failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }
    return WaitForCompletion(async.get());
}

HRESULT CKXVdsPartition::FormatVolume(const WCHAR* fileSystem, const WCHAR* label, int quick)
{
    if (!volume) return Record(E_NOINTERFACE);
    // The unit size follows the partition as it was listed when this object was made.
    const KXFormatChoice choice = ChooseFormat(fileSystem ? fileSystem : KXW(""), properties.ullSize);
    if (choice.refused) return Record(E_NOTIMPL);

    KXComPtr<IVdsAsync> async;
    // A null label means none; the service's label parameter must be a string.
    const HRESULT hr = volumeMF->Format(choice.type, const_cast<LPWSTR>(label ? label : KXW("")), choice.unitSize,
                                        TRUE, quick, FALSE, async.put());
    if (FAILED(hr) || !async) {
        GetLogger()->LogTrace("IVdsVolumeMF::Format or IVdsAdvancedDisk::FormatPartition failed (%u - %8.8X)", hr,
                              hr);
        return Record(hr);
    }
    return WaitForCompletion(async.get());
}
