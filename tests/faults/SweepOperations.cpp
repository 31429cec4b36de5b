#include "faults/SweepOperations.h"

#include "faults/SweepMachine.h"

#include "kxemu/MachineFile.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using kxemu::GiB;
using kxemu::MiB;

namespace {

std::string Narrow(const WCHAR* text)
{
    std::string s;
    for (; *text; ++text) s += static_cast<char>(*text);
    return s;
}

void Returned(Outcome& out, HRESULT hr)
{
    out.succeeded = SUCCEEDED(hr);
    out.result = out.succeeded ? "ok" : Hex(static_cast<unsigned>(hr));
}

// Offset, size, type, flags and number of a partition object; its volume apart.
void Describe(IKXVdsPartition* p, Outcome& out)
{
    out.output = Hex(p->GetOffset()) + " " + Hex(p->GetSize()) + " " + std::to_string(p->GetPartitionType()) + " " +
                 std::to_string(p->IsActive()) + " " + std::to_string(p->IsPrimary()) + " " +
                 std::to_string(p->GetPartitionNumber());
    WCHAR name[MAX_PATH] = {};
    if (p->GetVolumeName(name, MAX_PATH) == S_OK) out.volume = Narrow(name);
}

void Create(Session& s, Outcome& out, ULONGLONG offset, ULONGLONG size)
{
    ULONGLONG newOffset = 0x5A5A5A5A5A5A5A5AULL;
    Returned(out, s.disk->CreatePartition(offset, size, 0x07, 0, &newOffset));
    out.output = Hex(newOffset);
}

void Lookup(Outcome& out, const std::function<HRESULT(IKXVdsPartition**)>& lookUp)
{
    IKXVdsPartition* made = nullptr;
    const HRESULT hr = lookUp(&made);
    Returned(out, hr);
    PartitionPtr object(hr == S_OK ? made : nullptr);
    if (object) Describe(object.get(), out);
}

} // namespace

const std::vector<Operation>& SweepOperations()
{
    static const std::vector<Operation> operations = {
        {"Connect", -1, 0, Shape::Call,
         [](Session& s, Outcome& out) {
             Returned(out, s.disk->Connect(1));
             out.output = std::to_string(s.disk->IsConnected());
         }},
        {"GetDiskProperties", 1, 0, Shape::Call,
         [](Session& s, Outcome& out) {
             DiskProperties p = {};
             Returned(out, s.disk->GetDiskProperties(&p));
             out.output = Hex(p.ullSize) + " " + std::to_string(p.ulBytesPerSector) + " " +
                          std::to_string(p.ulSectorsPerTrack) + " " + std::to_string(p.ulTracksPerCylinder);
         }},
        {"GetPartitionCount", 1, 0, Shape::Getter,
         [](Session& s, Outcome& out) { out.result = std::to_string(s.disk->GetPartitionCount()); }},
        {"GetPartition", 1, 0, Shape::Lookup,
         [](Session& s, Outcome& out) {
             Lookup(out, [&](IKXVdsPartition** p) { return s.disk->GetPartition(2, p); });
         }},
        {"GetPartitionByOffset", 1, 0, Shape::Lookup,
         [](Session& s, Outcome& out) {
             Lookup(out, [&](IKXVdsPartition** p) { return s.disk->GetPartitionByOffset(1 * MiB, p); });
         }},
        {"GetPartitionByNumber", 1, 0, Shape::Lookup,
         [](Session& s, Outcome& out) {
             Lookup(out, [&](IKXVdsPartition** p) { return s.disk->GetPartitionByNumber(6, p); });
         }},
        {"CreatePrimaryPartition", 1, 0, Shape::Creation,
         [](Session& s, Outcome& out) { Create(s, out, 6 * GiB, 1 * GiB); }},
        {"CreateLogicalDrive", 1, 0, Shape::Creation,
         [](Session& s, Outcome& out) { Create(s, out, 4 * GiB, 512 * MiB); }},
        {"CreatePartitionOnBlankDisk", 2, 0, Shape::Creation,
         [](Session& s, Outcome& out) { Create(s, out, 1 * MiB, 1 * GiB); }},
        {"GetVolumeName", 1, 5, Shape::Call,
         [](Session& s, Outcome& out) {
             WCHAR name[MAX_PATH] = {'#', 0};
             Returned(out, s.partition->GetVolumeName(name, MAX_PATH));
             out.output = Narrow(name);
         }},
        {"GetUsedSpace", 1, 5, Shape::Getter,
         [](Session& s, Outcome& out) { out.result = Hex(s.partition->GetUsedSpace()); }},
        {"IsRecovery", 1, 5, Shape::Getter,
         [](Session& s, Outcome& out) { out.result = std::to_string(s.partition->IsRecovery()); }},
        {"AccessPathWalk", 1, 1, Shape::Call,
         [](Session& s, Outcome& out) {
             WCHAR path[MAX_PATH] = {'#', 0};
             Returned(out, s.partition->GetFirstAccessPath(path, MAX_PATH));
             out.output = Narrow(path);
             while (s.partition->GetNextAccessPath(path, MAX_PATH) == S_OK) out.output += "|" + Narrow(path);
         }},
        {"AddMountPoint", 1, 6, Shape::Call,
         [](Session& s, Outcome& out) { Returned(out, s.partition->AddMountPoint(KXW("G:\\"))); }},
        {"DeleteMountPoint", 1, 1, Shape::Call,
         [](Session& s, Outcome& out) { Returned(out, s.partition->DeleteMountPoint(KXW("C:\\mnt\\media\\"))); }},
        {"Shrink", 1, 5, Shape::Call,
         [](Session& s, Outcome& out) { Returned(out, s.partition->Shrink(100 * MiB)); }},
        {"Format", 1, 6, Shape::Call,
         [](Session& s, Outcome& out) { Returned(out, s.partition->Format(KXW("NTFS"), KXW("Fresh"), 1)); }},
    };
    return operations;
}

void PrintTo(const Operation& op, std::ostream* os)
{
    *os << op.name;
}

std::string Hex(ULONGLONG v)
{
    std::ostringstream text;
    text << std::uppercase << std::hex << v;
    return text.str();
}

Outcome RunStep(Session& s, const Step& step)
{
    std::set<std::string> before;
    for (const auto& provider : s.emu.Machine().providers)
        for (const auto& pack : provider->packs)
            for (const auto& v : pack->volumes) before.insert(v->name);
    Outcome out;
    step(s, out);
    for (const auto& provider : s.emu.Machine().providers)
        for (const auto& pack : provider->packs)
            for (const auto& v : pack->volumes)
                if (!before.count(v->name)) {
                    for (const std::string& p : v->accessPaths) out.newPaths += p + "|";
                    v->accessPaths.clear();
                }
    out.machine = kxemu::SaveMachine(s.emu.Machine());
    return out;
}

Outcome RunOnFreshMachine(const Operation& op, const Step& run, const std::function<void(Session&)>& afterwards)
{
    Outcome out;
    kxemu::KXEmulator emu;
    EXPECT_EQ(S_OK, emu.Registration());
    BuildSweepMachine(emu.Machine());
    {
        Session s{emu, DiskPtr(GetVdsDiskInterface()), PartitionPtr()};
        if (!s.disk) {
            ADD_FAILURE() << "no disk object";
            return out;
        }
        if (op.disk >= 0) {
            EXPECT_EQ(S_OK, s.disk->Connect(op.disk));
        }
        if (op.partition) {
            IKXVdsPartition* p = nullptr;
            EXPECT_EQ(S_OK, s.disk->GetPartitionByNumber(op.partition, &p));
            s.partition.reset(p);
        }
        out = RunStep(s, run);
        if (afterwards) afterwards(s);
    }
    // Every object of the library is gone: the service must have all back.
    for (const kxemu::LiveObject& live : emu.LiveObjectList())
        ADD_FAILURE() << "live " << live.kind << " with " << live.references << " references";
    EXPECT_EQ(0, emu.LiveTaskMemBlocks()) << "CoTaskMem blocks left";
    EXPECT_EQ(0, emu.OpenDeviceHandles());
    return out;
}

const char* const kFallbackNames[kFallbacks] = {"none", "getter answers 0", "object without its volume",
                                                "partition without the clean run's letter", "later attempt"};

Fallback Judge(const Operation& op, const Outcome& clean, const Outcome& run, const Excuses& excuses)
{
    if (!run.succeeded || run == clean) return Fallback::None;
    switch (op.shape) {
    case Shape::Getter:
        if (run.result == "0") return Fallback::GetterAnswersZero;
        break;
    case Shape::Lookup:
        if (run.volume.empty() && run.output == clean.output && run.machine == clean.machine)
            return Fallback::ObjectWithoutVolume;
        break;
    case Shape::Creation:
        if (run.output == clean.output && run.machine == clean.machine &&
            (run.newPaths.empty() || excuses.letterTaken))
            return Fallback::PartitionWithoutLetter;
        if (excuses.laterAttempt && run.output == Hex(std::stoull(clean.output, nullptr, 16) + 2 * MiB))
            return Fallback::LaterAttempt;
        break;
    case Shape::Call:
        break;
    }
    ADD_FAILURE() << "success with another outcome: " << run.result << " " << run.output << " [" << run.volume
                  << "] new paths " << run.newPaths << (run.machine == clean.machine ? "" : ", machine differs")
                  << "\n clean: " << clean.result << " " << clean.output << " [" << clean.volume << "] new paths "
                  << clean.newPaths;
    return Fallback::None;
}

std::string FallbackSummary(const int (&fallbacks)[kFallbacks])
{
    std::string text;
    for (int f = 1; f < kFallbacks; ++f)
        if (fallbacks[f]) text += std::string(", ") + kFallbackNames[f] + ": " + std::to_string(fallbacks[f]);
    return text;
}
