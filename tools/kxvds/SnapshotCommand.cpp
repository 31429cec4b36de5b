// snapshot: the disks as the library sees them, as a machine file that the
// emulated service replays.
#include "Commands.h"

#include "Failure.h"
#include "Output.h"
#include "kxemu/MachineFile.h"
#include "snapshot/MachineSnapshot.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace kxvds {

namespace {

const uint32_t kAccessDenied = 0x80070005u;

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (out) out.close();
    if (!out) throw HostFailure("cannot write the snapshot to " + path + ": " + std::strerror(errno));
}

size_t CountOf(const kxemu::Machine& m, bool disks)
{
    size_t n = 0;
    for (const auto& provider : m.providers)
        for (const auto& pack : provider->packs) n += disks ? pack->disks.size() : pack->volumes.size();
    return n;
}

} // namespace

void RunSnapshot(const CommandLine& line)
{
    kxemu::Machine machine;
    SnapshotFailure failure;
    if (!TakeSnapshot(machine, &failure)) {
        const uint32_t code = static_cast<uint32_t>(failure.code);
        throw OperationFailed(code, "take a snapshot (" + failure.call + ")",
                              code == kAccessDenied ? "the disk service answers only administrators: run kxvds from "
                                                      "an elevated prompt"
                                                    : std::string());
    }
    if (line.Has("--redact")) RedactMachine(machine);
    const std::string text = kxemu::SaveMachine(machine);
    if (line.positional.empty()) {
        Print(text);
        return;
    }
    const std::string& file = line.positional[0];
    WriteFile(file, text);
    if (line.json) {
        PrintJson({{"file", file},
                   {"bytes", text.size()},
                   {"disks", CountOf(machine, true)},
                   {"volumes", CountOf(machine, false)},
                   {"notes", machine.notes}});
        return;
    }
    Print("Wrote " + file + ": " + std::to_string(CountOf(machine, true)) + " disks, " +
          std::to_string(CountOf(machine, false)) + " volumes, " + std::to_string(text.size()) + " bytes" +
          (line.Has("--redact") ? ", redacted" : "") + ".\n");
    for (const std::string& note : machine.notes) Print("note: " + note + "\n");
}

} // namespace kxvds
