// A machine file is whatever a user left in it: the loader answers with a
// machine that saves and loads again unchanged, or with a refusal that says why.
#include "kxemu/MachineFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Broken(const std::string& what)
{
    std::fprintf(stderr, "machine file: %s\n", what.c_str());
    std::abort();
}

bool PartitionsLieOnTheirDisks(const kxemu::Machine& machine)
{
    for (const auto& provider : machine.providers)
        for (const auto& pack : provider->packs)
            for (const auto& disk : pack->disks)
                for (const kxemu::Partition& p : disk->partitions)
                    if (p.offset > disk->size || p.size > disk->size - p.offset) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    kxemu::Machine machine;
    std::string error;
    if (!kxemu::LoadMachine(text, machine, &error)) {
        if (error.empty()) Broken("refused without a reason");
        if (!machine.providers.empty()) Broken("refused, but left a machine behind");
        return 0;
    }
    if (!error.empty()) Broken("accepted with a reason to refuse: " + error);
    if (!PartitionsLieOnTheirDisks(machine)) Broken("accepted a partition beyond its disk's end");
    const std::string saved = kxemu::SaveMachine(machine);
    kxemu::Machine again;
    if (!kxemu::LoadMachine(saved, again, &error)) Broken("refused what it saved: " + error);
    if (kxemu::SaveMachine(again) != saved) Broken("saved a machine that changed on loading");
    return 0;
}
