// Owners for what the disk service hands out: a record's strings, a partition
// list, an access-path list. Everything is freed on destruction or the next
// query, whatever code the call returned: success codes other than S_OK
// (S_FALSE, VDS_S_PROPERTIES_INCOMPLETE) hand out memory too.
#pragma once

#include "kxplatform.h"
#include "support/KXResource.h"

#include <cstring>

inline void KXFreeRecordStrings(VDS_DISK_PROP& record) noexcept
{
    CoTaskMemFree(record.pwszDiskAddress);
    CoTaskMemFree(record.pwszName);
    CoTaskMemFree(record.pwszFriendlyName);
    CoTaskMemFree(record.pwszAdaptorName);
    CoTaskMemFree(record.pwszDevicePath);
}
inline void KXFreeRecordStrings(VDS_VOLUME_PROP& record) noexcept
{
    CoTaskMemFree(record.pwszName);
}
inline void KXFreeRecordStrings(VDS_FILE_SYSTEM_PROP& record) noexcept
{
    CoTaskMemFree(record.pwszLabel);
}
inline void KXFreeRecordStrings(VDS_PROVIDER_PROP& record) noexcept
{
    CoTaskMemFree(record.pwszName);
    CoTaskMemFree(record.pwszVersion);
}
inline void KXFreeRecordStrings(VDS_PACK_PROP& record) noexcept
{
    CoTaskMemFree(record.pwszName);
}

// A zero-filled record; put() lends it to the GetProperties-style call.
template <class Record>
class KXVdsRecord {
public:
    KXVdsRecord() noexcept { std::memset(&record, 0, sizeof(record)); }
    ~KXVdsRecord() { reset(); }
    KXVdsRecord(const KXVdsRecord&) = delete;
    KXVdsRecord& operator=(const KXVdsRecord&) = delete;

    const Record& get() const noexcept { return record; }
    const Record* operator->() const noexcept { return &record; }
    Record* put() noexcept
    {
        reset();
        return &record;
    }
    void reset() noexcept
    {
        KXFreeRecordStrings(record);
        std::memset(&record, 0, sizeof(record));
    }

private:
    Record record;
};

using KXDiskProp = KXVdsRecord<VDS_DISK_PROP>;
using KXVolumeProp = KXVdsRecord<VDS_VOLUME_PROP>;
using KXFileSystemProp = KXVdsRecord<VDS_FILE_SYSTEM_PROP>;
using KXProviderProp = KXVdsRecord<VDS_PROVIDER_PROP>;
using KXPackProp = KXVdsRecord<VDS_PACK_PROP>;

// The disk's partition list as IVdsAdvancedDisk::QueryPartitions hands it out.
class KXPartitionArray {
public:
    HRESULT Query(IVdsAdvancedDisk* disk) noexcept
    {
        count = 0;
        const HRESULT hr = disk->QueryPartitions(records.put(), &count);
        if (!records.get() || count < 0) count = 0;
        return hr;
    }
    LONG size() const noexcept { return count; }
    const VDS_PARTITION_PROP& operator[](LONG i) const noexcept { return records.get()[i]; }
    const VDS_PARTITION_PROP* begin() const noexcept { return records.get(); }
    const VDS_PARTITION_PROP* end() const noexcept { return records.get() + count; }

private:
    KXUniqueTaskMem<VDS_PARTITION_PROP> records;
    LONG count = 0;
};

// A volume's access paths as IVdsVolumeMF::QueryAccessPaths hands them out:
// the strings and the array.
class KXAccessPathArray {
public:
    KXAccessPathArray() = default;
    ~KXAccessPathArray() { reset(); }
    KXAccessPathArray(const KXAccessPathArray&) = delete;
    KXAccessPathArray& operator=(const KXAccessPathArray&) = delete;

    HRESULT Query(IVdsVolumeMF* volume) noexcept
    {
        reset();
        const HRESULT hr = volume->QueryAccessPaths(&paths, &count);
        if (!paths || count < 0) count = 0;
        return hr;
    }
    LONG size() const noexcept { return count; }
    // Null for a string the service left out.
    const WCHAR* operator[](LONG i) const noexcept { return paths[i]; }
    void reset() noexcept
    {
        if (paths) {
            for (LONG i = 0; i < count; ++i) CoTaskMemFree(paths[i]);
            CoTaskMemFree(paths);
        }
        paths = nullptr;
        count = 0;
    }

private:
    LPWSTR* paths = nullptr;
    LONG count = 0;
};
