// Every public operation on a realistic machine, run once cleanly and then
// once per call it made to the service or the devices, with that one call
// failed in each way that applies, each run on a fresh machine. Every run
// must end with nothing left behind, and a run that reports success must
// leave the outcome of the clean run, or one of the fallbacks that the
// library promises.
#include "faults/SweepOperations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

namespace {

using kxemu::Fault;
using kxemu::FaultKind;

bool HandsOutEnumeration(const std::string& m)
{
    return m == "IVdsService::QueryProviders" || m == "IVdsSwProvider::QueryPacks" || m == "IVdsPack::QueryDisks" ||
           m == "IVdsPack::QueryVolumes";
}

bool StartsJob(const std::string& m)
{
    return m == "IVdsCreatePartitionEx::CreatePartitionEx" || m == "IVdsVolume::Shrink" || m == "IVdsVolumeMF::Format";
}

// Every way in which one call can go wrong, or answer a success code that
// the service documents.
std::vector<Fault> FaultsFor(const std::string& m)
{
    auto ret = [](HRESULT code) { return Fault{FaultKind::Return, code, 0}; };
    // Device calls: the code is a Win32 error, or the drive type reported.
    if (m == "GetDriveTypeW") return {ret(DRIVE_UNKNOWN), ret(DRIVE_NO_ROOT_DIR)};
    if (m == "CreateFileW" || m == "DeviceIoControl" || m == "ReadFile" || m == "GetDiskFreeSpaceExW")
        return {ret(ERROR_ACCESS_DENIED), ret(ERROR_NOT_READY)};

    std::vector<Fault> faults = {ret(E_FAIL), ret(E_OUTOFMEMORY)};
    if (m != "IEnumVdsObject::Next") faults.push_back(ret(S_FALSE));
    if (m.find("GetProperties") != std::string::npos || m == "IVdsVolumeMF::GetFileSystemProperties")
        faults.push_back(ret(VDS_S_PROPERTIES_INCOMPLETE));
    if (HandsOutEnumeration(m) || StartsJob(m) || m == "IVdsServiceLoader::LoadService")
        faults.push_back(Fault{FaultKind::NullObject, S_OK, 0});
    if (HandsOutEnumeration(m)) {
        faults.push_back(Fault{FaultKind::EnumFailsAfter, E_FAIL, 0});
        faults.push_back(Fault{FaultKind::EnumFailsAfter, E_FAIL, 1});
    }
    if (StartsJob(m)) faults.push_back(Fault{FaultKind::OperationResult, E_FAIL, 0});
    if (m == "IVdsAsync::QueryStatus") faults.push_back(Fault{FaultKind::ReportedStatus, E_FAIL, 0});
    return faults;
}

struct Injected {
    std::string method;
    int nth = 0;
    Fault fault;
};

std::string Text(const Injected& i)
{
    const char* const kinds[] = {"returns", "null object", "enumeration fails after", "job fails", "status"};
    std::ostringstream text;
    text << i.method << " #" << i.nth << " " << kinds[static_cast<int>(i.fault.kind)] << " ";
    if (i.fault.kind == FaultKind::EnumFailsAfter) text << i.fault.objects << " with ";
    text << Hex(static_cast<unsigned>(i.fault.code));
    return text.str();
}

// One run on a fresh machine; `calls` receives the operation's own call log.
Outcome RunOnce(const Operation& op, const Injected* injected, std::vector<std::string>* calls)
{
    return RunOnFreshMachine(op, [&](Session& s, Outcome& out) {
        s.emu.ResetCalls();
        if (injected) s.emu.Inject(injected->method, injected->nth, injected->fault);
        op.run(s, out);
        if (calls) *calls = s.emu.CallLog();
        s.emu.ClearFaults();
    });
}

Excuses ExcusesFor(const Injected& injected)
{
    Excuses excuses;
    // A drive type other than "no root directory" says the letter is in use.
    excuses.letterTaken = injected.method == "GetDriveTypeW";
    excuses.laterAttempt = StartsJob(injected.method) || injected.method.rfind("IVdsAsync::", 0) == 0;
    return excuses;
}

class FaultSweep : public testing::TestWithParam<Operation> {};

TEST_P(FaultSweep, EverySingleFaultIsSurvivedAndNeverCalledSuccess)
{
    const Operation& op = GetParam();
    std::vector<std::string> calls;
    const Outcome clean = RunOnce(op, nullptr, &calls);
    ASSERT_TRUE(clean.succeeded) << clean.result;
    ASSERT_FALSE(calls.empty());

    std::map<std::string, int> seen;
    int runs = 0;
    int fallbacks[kFallbacks] = {};
    for (const std::string& method : calls) {
        const int nth = ++seen[method];
        for (const Fault& fault : FaultsFor(method)) {
            const Injected injected{method, nth, fault};
            SCOPED_TRACE(Text(injected));
            const Outcome run = RunOnce(op, &injected, nullptr);
            ++fallbacks[static_cast<int>(Judge(op, clean, run, ExcusesFor(injected)))];
            ++runs;
            if (HasFailure()) return;
        }
    }
    std::printf("%s: %d calls, %d faults injected%s\n", op.name, static_cast<int>(calls.size()), runs,
                FallbackSummary(fallbacks).c_str());
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep, testing::ValuesIn(SweepOperations()),
                         [](const testing::TestParamInfo<Operation>& info) { return info.param.name; });

} // namespace
