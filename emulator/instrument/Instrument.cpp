#include "kxemu/Instrument.h"

namespace kxemu {

bool Instrument::Enter(const std::string& method, Fault* fault)
{
    const int n = ++counts[method];
    log.push_back(method);
    auto it = faults.find(method);
    if (it == faults.end()) return false;
    // A fault for this very call wins over one for every call.
    const Armed* chosen = nullptr;
    for (const Armed& armed : it->second) {
        if (armed.nth == n) {
            chosen = &armed;
            break;
        }
        if (armed.nth == 0 && !chosen) chosen = &armed;
    }
    if (!chosen) return false;
    *fault = chosen->fault;
    return true;
}

int Instrument::Calls(const std::string& method) const
{
    auto it = counts.find(method);
    return it == counts.end() ? 0 : it->second;
}

void Instrument::ResetCalls()
{
    counts.clear();
    log.clear();
    createPartitionCalls.clear();
    formatCalls.clear();
    shrinkCalls.clear();
    addAccessPathCalls.clear();
    deleteAccessPathCalls.clear();
    loadServiceMachineNames.clear();
    deviceCalls.clear();
}

void Instrument::Inject(const std::string& method, int nth, const Fault& fault)
{
    faults[method].push_back(Armed{nth, fault});
}

} // namespace kxemu
