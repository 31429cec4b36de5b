// The in-process disk service: while a KXEmulator lives, CoCreateInstance of
// CLSID_VdsLoader on this process reaches its machine model (registered as a
// class object, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE), and on systems other
// than Windows the device paths and drive roots of its volumes answer
// CreateFileW, DeviceIoControl, ReadFile, GetDriveTypeW and GetDiskFreeSpaceExW.
// One emulator at a time per process.
#pragma once

#include "kxemu/Instrument.h"
#include "kxemu/Machine.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kxemu {

struct State;
class LoaderFactory;
class DeviceLayer;

struct LiveObject {
    std::string kind;   // "Disk", "Volume", "Enum", "Async", ...
    ULONG references;
};

class KXEmulator {
public:
    // Registers the loader's class object; initialises COM on this thread first
    // when it was not (and uninitialises it again in the destructor).
    KXEmulator();
    ~KXEmulator();
    KXEmulator(const KXEmulator&) = delete;
    KXEmulator& operator=(const KXEmulator&) = delete;

    // Result of CoRegisterClassObject.
    HRESULT Registration() const { return registration; }

    kxemu::Machine& Machine();
    KXEmulator& TakeLetter(char letter, UINT driveType);

    // ---- calls
    int Calls(const std::string& method) const;
    int TotalCalls() const;
    std::vector<std::string> CallLog() const;
    void ResetCalls();
    std::vector<CreatePartitionCall> CreatePartitionCalls() const;
    std::vector<FormatCall> FormatCalls() const;
    std::vector<ULONGLONG> ShrinkCalls() const;
    std::vector<AccessPathCall> AddAccessPathCalls() const;
    std::vector<AccessPathCall> DeleteAccessPathCalls() const;
    std::vector<DeviceCall> DeviceCalls() const;

    // ---- faults (nth counts from 1; 0 means every call)
    void Inject(const std::string& method, int nth, const Fault& fault);
    void FailNth(const std::string& method, int nth, HRESULT code);
    void FailAlways(const std::string& method, HRESULT code);
    void NullObjectNth(const std::string& method, int nth);
    void EnumFailsAfter(const std::string& method, ULONG objects, HRESULT code = E_FAIL, int nth = 0);
    void OperationFailsNth(const std::string& method, int nth, HRESULT code);
    void ReportStatusNth(int nth, HRESULT status);   // IVdsAsync::QueryStatus
    void ClearFaults();

    // ---- references
    // COM objects handed out and not yet destroyed (the class object excluded).
    int LiveObjects() const;
    int LiveObjects(const std::string& kind) const;
    std::vector<LiveObject> LiveObjectList() const;
    // CoTaskMem blocks the emulator allocated for its callers.
    long TaskMemAllocated() const;
    // Blocks of the process still allocated, relative to the emulator's start;
    // -1 where the platform cannot tell (Windows).
    long LiveTaskMemBlocks() const;
    // Device handles opened on the emulator and not closed.
    int OpenDeviceHandles() const;

private:
    std::shared_ptr<State> state;
    LoaderFactory* factory = nullptr;
    std::unique_ptr<DeviceLayer> devices;
    DWORD cookie = 0;
    HRESULT registration = E_FAIL;
    bool initialisedCom = false;
    long taskMemBaseline = 0;
};

} // namespace kxemu
