#include "kxemu/KXEmulator.h"

#include "com/ComObject.h"
#include "com/Loader.h"
#include "core/State.h"
#include "devices/DeviceLayer.h"

namespace kxemu {

KXEmulator::KXEmulator() : state(std::make_shared<State>())
{
    taskMemBaseline = DeviceLayer::ProcessTaskMemBlocks();
    factory = new LoaderFactory(state);
    registration = CoRegisterClassObject(CLSID_VdsLoader, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    if (registration == CO_E_NOTINITIALIZED) {
        initialisedCom = SUCCEEDED(CoInitialize(nullptr));
        registration =
            CoRegisterClassObject(CLSID_VdsLoader, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    }
    devices.reset(new DeviceLayer(state));
}

KXEmulator::~KXEmulator()
{
    devices.reset();
    if (SUCCEEDED(registration)) CoRevokeClassObject(cookie);
    factory->Release();
    if (initialisedCom) CoUninitialize();
}

kxemu::Machine& KXEmulator::Machine()
{
    return state->machine;
}

KXEmulator& KXEmulator::TakeLetter(char letter, UINT driveType)
{
    Lock lock(state->mutex);
    state->machine.TakeLetter(letter, driveType);
    return *this;
}

int KXEmulator::Calls(const std::string& method) const
{
    Lock lock(state->mutex);
    return state->instrument.Calls(method);
}

int KXEmulator::TotalCalls() const
{
    Lock lock(state->mutex);
    return state->instrument.TotalCalls();
}

std::vector<std::string> KXEmulator::CallLog() const
{
    Lock lock(state->mutex);
    return state->instrument.log;
}

void KXEmulator::ResetCalls()
{
    Lock lock(state->mutex);
    state->instrument.ResetCalls();
}

std::vector<CreatePartitionCall> KXEmulator::CreatePartitionCalls() const
{
    Lock lock(state->mutex);
    return state->instrument.createPartitionCalls;
}

std::vector<FormatCall> KXEmulator::FormatCalls() const
{
    Lock lock(state->mutex);
    return state->instrument.formatCalls;
}

std::vector<ULONGLONG> KXEmulator::ShrinkCalls() const
{
    Lock lock(state->mutex);
    return state->instrument.shrinkCalls;
}

std::vector<AccessPathCall> KXEmulator::AddAccessPathCalls() const
{
    Lock lock(state->mutex);
    return state->instrument.addAccessPathCalls;
}

std::vector<AccessPathCall> KXEmulator::DeleteAccessPathCalls() const
{
    Lock lock(state->mutex);
    return state->instrument.deleteAccessPathCalls;
}

std::vector<DeviceCall> KXEmulator::DeviceCalls() const
{
    Lock lock(state->mutex);
    return state->instrument.deviceCalls;
}

void KXEmulator::Inject(const std::string& method, int nth, const Fault& fault)
{
    Lock lock(state->mutex);
    state->instrument.Inject(method, nth, fault);
}

void KXEmulator::FailNth(const std::string& method, int nth, HRESULT code)
{
    Inject(method, nth, Fault{FaultKind::Return, code, 0});
}

void KXEmulator::FailAlways(const std::string& method, HRESULT code)
{
    Inject(method, 0, Fault{FaultKind::Return, code, 0});
}

void KXEmulator::NullObjectNth(const std::string& method, int nth)
{
    Inject(method, nth, Fault{FaultKind::NullObject, S_OK, 0});
}

void KXEmulator::EnumFailsAfter(const std::string& method, ULONG objects, HRESULT code, int nth)
{
    Inject(method, nth, Fault{FaultKind::EnumFailsAfter, code, objects});
}

void KXEmulator::OperationFailsNth(const std::string& method, int nth, HRESULT code)
{
    Inject(method, nth, Fault{FaultKind::OperationResult, code, 0});
}

void KXEmulator::ReportStatusNth(int nth, HRESULT status)
{
    Inject("IVdsAsync::QueryStatus", nth, Fault{FaultKind::ReportedStatus, status, 0});
}

void KXEmulator::ClearFaults()
{
    Lock lock(state->mutex);
    state->instrument.ClearFaults();
}

int KXEmulator::LiveObjects() const
{
    Lock lock(state->mutex);
    return static_cast<int>(state->live.size());
}

int KXEmulator::LiveObjects(const std::string& kind) const
{
    Lock lock(state->mutex);
    int n = 0;
    for (const ComObject* o : state->live)
        if (kind == o->Kind()) ++n;
    return n;
}

std::vector<LiveObject> KXEmulator::LiveObjectList() const
{
    Lock lock(state->mutex);
    std::vector<LiveObject> list;
    for (const ComObject* o : state->live) list.push_back(LiveObject{o->Kind(), o->References()});
    return list;
}

long KXEmulator::TaskMemAllocated() const
{
    return state->taskMemAllocated.load();
}

long KXEmulator::LiveTaskMemBlocks() const
{
    const long now = DeviceLayer::ProcessTaskMemBlocks();
    return now < 0 ? -1 : now - taskMemBaseline;
}

int KXEmulator::OpenDeviceHandles() const
{
    return state->openDevices.load();
}

} // namespace kxemu
