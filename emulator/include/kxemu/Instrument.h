// What the emulator records about the calls made to it, and the faults a test
// asks it to inject. Methods are named "Interface::Method"
// ("IVdsPack::QueryDisks"); device calls by their Win32 name ("CreateFileW",
// "DeviceIoControl", "ReadFile", "GetDriveTypeW", "GetDiskFreeSpaceExW").
#pragma once

#include "kxplatform.h"

#include <map>
#include <string>
#include <vector>

namespace kxemu {

enum class FaultKind {
    // The call returns `code` and does nothing; object out-pointers are null.
    // A success code (S_FALSE, VDS_S_...) lets the call do its work and
    // returns that code instead of S_OK. For device calls `code` is a Win32 error.
    Return,
    // S_OK with a null object (enumeration or IVdsAsync). A job still runs.
    NullObject,
    // The enumeration hands out `objects` objects, then its Next returns `code`.
    EnumFailsAfter,
    // Job-starting calls: the job ends with `code` and changes nothing.
    OperationResult,
    // IVdsAsync::QueryStatus returns S_OK but reports `code` as the status.
    ReportedStatus,
};

struct Fault {
    FaultKind kind = FaultKind::Return;
    HRESULT code = E_FAIL;
    ULONG objects = 0;
};

struct CreatePartitionCall {
    ULONGLONG offset = 0;
    ULONGLONG size = 0;
    ULONG align = 0;
    bool hasParameters = false;
    CREATE_PARTITION_PARAMETERS parameters = {};
};

struct FormatCall {
    VDS_FILE_SYSTEM_TYPE type = VDS_FST_UNKNOWN;
    std::string label;
    bool labelNull = false;
    DWORD unitSize = 0;
    BOOL force = FALSE;
    BOOL quick = FALSE;
    BOOL compression = FALSE;
};

struct AccessPathCall {
    std::string path;
    bool pathNull = false;
    BOOL force = FALSE;   // DeleteAccessPath only
};

struct DeviceCall {
    std::string path;
    DWORD access = 0;     // CreateFileW
    DWORD code = 0;       // DeviceIoControl
    DWORD outSize = 0;    // DeviceIoControl, ReadFile
    ULONGLONG offset = 0; // ReadFile
};

class Instrument {
public:
    // Counts the call, logs it and tells which fault applies, if any.
    bool Enter(const std::string& method, Fault* fault);

    int Calls(const std::string& method) const;
    int TotalCalls() const { return static_cast<int>(log.size()); }
    // Forgets counts, log and arguments; faults stay.
    void ResetCalls();

    // nth counts from 1; 0 applies to every call from now on.
    void Inject(const std::string& method, int nth, const Fault& fault);
    void ClearFaults() { faults.clear(); }

    std::vector<std::string> log;
    std::vector<CreatePartitionCall> createPartitionCalls;
    std::vector<FormatCall> formatCalls;
    std::vector<ULONGLONG> shrinkCalls;
    std::vector<AccessPathCall> addAccessPathCalls;
    std::vector<AccessPathCall> deleteAccessPathCalls;
    std::vector<std::string> loadServiceMachineNames;
    std::vector<DeviceCall> deviceCalls;

private:
    struct Armed {
        int nth;
        Fault fault;
    };
    std::map<std::string, int> counts;
    std::map<std::string, std::vector<Armed>> faults;
};

} // namespace kxemu
