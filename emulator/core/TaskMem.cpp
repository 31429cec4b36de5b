#include "core/TaskMem.h"

#include "model/Text.h"

#include <cstring>

namespace kxemu {

void* AllocTaskMem(State& state, size_t bytes)
{
    void* p = CoTaskMemAlloc(bytes);
    if (p) ++state.taskMemAllocated;
    return p;
}

LPWSTR TaskMemString(State& state, const std::string& utf8)
{
    const WString wide = Widen(utf8);
    auto* p = static_cast<LPWSTR>(AllocTaskMem(state, (wide.size() + 1) * sizeof(WCHAR)));
    if (!p) return nullptr;
    std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return p;
}

} // namespace kxemu
