// Creating an MBR partition: place it clear of existing partitions and the
// disk's end, try up to three times, recognise the new partition by its start
// offset, then give its volume a drive letter.
#include "core/KXVdsDisk.h"
#include "disk/PartitionRecord.h"
#include "log/KXLogger.h"
#include "support/KXComPtr.h"
#include "support/KXVdsRecords.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const LONGLONG kPhaseStep = 0x200000;   // 2 MiB
const LONGLONG kEndReserve = 0x400000;  // 4 MiB
const int kPhases = 3;
const HRESULT kNewOffsetNotWritable = static_cast<HRESULT>(0x10000006);

bool FitsSigned(ULONGLONG offset, ULONGLONG size)
{
    const ULONGLONG limit = static_cast<ULONGLONG>(INT64_MAX);
    return offset <= limit && size <= limit - offset;
}

struct Extent {
    LONGLONG start;
    LONGLONG end;
};

// Extended containers are transparent: logical drives go inside them. A
// record that starts beyond the signed range, or holds nothing, is no obstacle.
std::vector<Extent> ObstaclesInOffsetOrder(const KXPartitionArray& records)
{
    std::vector<Extent> obstacles;
    for (const VDS_PARTITION_PROP& p : records) {
        if (IsExtendedType(p.Mbr.partitionType) || p.ullOffset > static_cast<ULONGLONG>(INT64_MAX)) continue;
        const LONGLONG start = static_cast<LONGLONG>(p.ullOffset);
        const LONGLONG end = SignedEnd(start, p.ullSize);
        if (start < end) obstacles.push_back({start, end});
    }
    std::stable_sort(obstacles.begin(), obstacles.end(),
                     [](const Extent& a, const Extent& b) { return a.start < b.start; });
    return obstacles;
}

} // namespace

HRESULT CKXVdsDisk::CreateMbrPartition(ULONGLONG offset, ULONGLONG size, unsigned char type, unsigned char active,
                                       ULONGLONG* newOffset)
{
    if (!disk) {
        Record(E_NOINTERFACE);
        GetLogger()->LogError("No IVdsDisk interface");
        return E_NOINTERFACE;
    }
    if (!advancedDisk) {
        Record(E_NOINTERFACE);
        GetLogger()->LogError("No IVdsAdvancedDisk interface");
        return E_NOINTERFACE;
    }
    if (!createPartition) {
        Record(E_NOINTERFACE);
        GetLogger()->LogError("No IVdsCreatePartitionEx interface");
        return E_NOINTERFACE;
    }
    if (IsBadWritePtr(newOffset, sizeof(*newOffset))) return Record(kNewOffsetNotWritable);
    // Placement compares signed 64-bit positions: refuse what does not fit them.
    if (!FitsSigned(offset, size)) return Record(E_INVALIDARG);

    GetLogger()->LogTrace("Create partition (VDS) at %I64u - Size: %I64u", offset, size);
    // Without the list as it was, the new partition could not be told from
    // the others afterwards: create nothing.
    HRESULT hr = SnapshotPartitionOffsets();
    if (hr != S_OK) {
        GetLogger()->LogTrace("IVdsAdvancedDisk::QueryPartitions failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }
    if (!AdjustPartitionRange(offset, size)) {
        GetLogger()->LogTrace("No room for the partition at %I64u", offset);
        return Record(E_INVALIDARG);
    }

    CREATE_PARTITION_PARAMETERS parameters = {};
    parameters.style = VDS_PST_MBR;
    parameters.MbrPartInfo.partitionType = type;
    parameters.MbrPartInfo.bootIndicator = active;

    HRESULT attempt = S_OK;
    for (int phase = 1; phase <= kPhases; ++phase) {
        GetLogger()->LogTrace("IVdsCreatePartitionEx::CreatePartitionEx(%I64u,%I64u) - phase %d", offset, size,
                              phase);
        KXComPtr<IVdsAsync> async;
        attempt = createPartition->CreatePartitionEx(offset, size, 0, &parameters, async.put());
        if (FAILED(attempt) || !async) {
            GetLogger()->LogTrace("No IVdsAsync interface (%u - %8.8X)", attempt, attempt);
            Record(attempt);
            // Accepted without a job to wait for: the partition list tells.
            if (SUCCEEDED(attempt)) attempt = S_OK;
        } else {
            // Any success code has started the job: its own outcome decides.
            HRESULT operationResult = S_OK;
            VDS_ASYNC_OUTPUT output = {};
            const HRESULT waited = async->Wait(&operationResult, &output);
            bool failed = operationResult != S_OK || waited != S_OK;
            if (!failed) {
                HRESULT status = S_OK;
                ULONG percent = 0;
                attempt = async->QueryStatus(&status, &percent);
                failed = status != S_OK;
                // The job has ended well; a success code of the query changes nothing.
                if (!failed && SUCCEEDED(attempt)) attempt = S_OK;
            }
            if (failed) {
                attempt = E_UNEXPECTED;
                Record(attempt);
                GetLogger()->LogTrace("IVdsCreatePartitionEx::CreatePartitionEx failed (%u - %8.8X)", attempt,
                                      attempt);
            }
        }
        if (attempt == S_OK) break;
        // The next try starts further on and keeps the same end; stop when
        // nothing would be left.
        if (phase == kPhases || static_cast<LONGLONG>(size) <= kPhaseStep) return attempt;
        offset += kPhaseStep;
        size -= kPhaseStep;
    }

    VDS_PARTITION_PROP created = {};
    hr = FindPartition(&created);
    // A list that could not be read (S_FALSE), or a creation that left no new
    // start offset behind: the new partition cannot be told apart.
    if (hr == S_FALSE || (hr == S_OK && created.ullSize == 0)) hr = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (hr != S_OK) {
        GetLogger()->LogTrace("FindPartition failed (%u - %8.8X)", hr, hr);
        return Record(hr);
    }
    *newOffset = created.ullOffset;
    // A partition without a drive letter is still created.
    if (!IsExtendedType(created.Mbr.partitionType)) MountNewPartition(created);
    return Record(S_OK);
}

bool CKXVdsDisk::AdjustPartitionRange(ULONGLONG& offsetInOut, ULONGLONG& sizeInOut)
{
    KXDiskProp diskProp;
    // Every success code hands out the record; a size it lacks (0) is no limit.
    if (FAILED(disk->GetProperties(diskProp.put()))) return true;
    // A size beyond the signed range is no limit.
    const LONGLONG diskSize = static_cast<LONGLONG>(std::min<ULONGLONG>(diskProp->ullSize, INT64_MAX));
    diskProp.reset();

    LONGLONG offset = static_cast<LONGLONG>(offsetInOut);
    LONGLONG size = static_cast<LONGLONG>(sizeInOut);

    KXPartitionArray records;
    if (records.Query(advancedDisk) == S_OK) {
        // The service lists MBR partitions in table-entry order, which is not
        // offset order once entries were deleted and reused.
        const std::vector<Extent> obstacles = ObstaclesInOffsetOrder(records);
        // A start moved past one partition may land inside the next.
        for (bool moved = true; moved;) {
            moved = false;
            for (const Extent& e : obstacles) {
                if (e.start <= offset && offset < e.end) {
                    offset = e.end;
                    moved = true;
                    GetLogger()->LogTrace("Adjust start offset to %I64u", offset);
                }
            }
        }
        // A start moved forward must not carry the end past the signed range.
        if (size > INT64_MAX - offset) {
            size = INT64_MAX - offset;
            GetLogger()->LogTrace("Adjust size to %I64u", size);
        }
        // From the last start down, so that the range ends at the first
        // partition it reaches into or holds.
        for (auto e = obstacles.rbegin(); e != obstacles.rend(); ++e) {
            const LONGLONG end = offset + size;
            const bool holdsEnd = e->start <= end && end < e->end;
            const bool inside = offset < e->start && e->end <= end;
            if (holdsEnd || inside) {
                size = e->start - offset;
                GetLogger()->LogTrace("Adjust size to %I64u", size);
            }
        }
    }
    if (diskSize != 0 && offset + size >= diskSize) {
        // On a disk smaller than the reserve nothing is left wherever the start lies.
        const LONGLONG room = diskSize - kEndReserve;
        size = room < 0 ? room : room - offset;
        GetLogger()->LogTrace("Adjust size to %I64u", size);
    }
    offsetInOut = static_cast<ULONGLONG>(offset);
    sizeInOut = static_cast<ULONGLONG>(size);
    return size > 0;
}

HRESULT CKXVdsDisk::SnapshotPartitionOffsets()
{
    OffsetSnapshot.clear();
    KXPartitionArray records;
    const HRESULT hr = records.Query(advancedDisk);
    // S_FALSE lists nothing, which says nothing about the disk.
    if (hr == S_FALSE) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (hr != S_OK) return hr;
    for (const VDS_PARTITION_PROP& p : records) OffsetSnapshot.push_back(p.ullOffset);
    return S_OK;
}

HRESULT CKXVdsDisk::FindPartition(VDS_PARTITION_PROP* record)
{
    KXPartitionArray records;
    const HRESULT hr = records.Query(advancedDisk);
    if (hr != S_OK) return hr;
    for (const VDS_PARTITION_PROP& p : records) {
        if (!IsKnownOffset(p.ullOffset)) {
            *record = p;
            break;
        }
    }
    OffsetSnapshot.clear();
    return S_OK;
}

bool CKXVdsDisk::IsKnownOffset(ULONGLONG offset) const
{
    return std::find(OffsetSnapshot.begin(), OffsetSnapshot.end(), offset) != OffsetSnapshot.end();
}
