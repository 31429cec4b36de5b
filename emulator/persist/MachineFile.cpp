#include "kxemu/MachineFile.h"

#include "model/Text.h"
#include "persist/MachineCheck.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <limits>
#include <stdexcept>

namespace kxemu {

namespace {

using Json = nlohmann::ordered_json;

const char kFormat[] = "kxvds-machine";
const uint64_t kVersion = 1;

// ---- writing

template <class Bytes>
std::string HexText(const Bytes& bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const BYTE b : bytes) {
        out.push_back(hex[b >> 4]);
        out.push_back(hex[b & 15]);
    }
    return out;
}

Json PartitionJson(const Partition& p)
{
    Json j = {{"number", p.number}, {"offset", p.offset},   {"size", p.size},  {"style", p.style},
              {"type", p.type},     {"active", p.active},   {"flags", p.flags}};
    if (p.style == VDS_PST_GPT) {
        j["gptType"] = GuidText(p.gptType);
        j["gptId"] = GuidText(p.gptId);
        j["gptAttributes"] = p.gptAttributes;
    }
    return j;
}

Json DiskJson(const Disk& d)
{
    Json partitions = Json::array();
    for (const Partition& p : d.partitions) partitions.push_back(PartitionJson(p));
    return {{"number", d.number},
            {"name", d.name},
            {"friendlyName", d.friendlyName},
            {"adaptorName", d.adaptorName},
            {"devicePath", d.devicePath},
            {"diskAddress", d.diskAddress},
            {"size", d.size},
            {"bytesPerSector", d.bytesPerSector},
            {"sectorsPerTrack", d.sectorsPerTrack},
            {"tracksPerCylinder", d.tracksPerCylinder},
            {"status", d.status},
            {"style", d.style},
            {"signature", d.signature},
            {"advancedInterface", d.advancedInterface},
            {"createPartitionExInterface", d.createPartitionExInterface},
            {"nameMissing", d.nameMissing},
            {"id", GuidText(d.id)},
            {"partitions", partitions}};
}

Json VolumeJson(const Volume& v)
{
    Json extents = Json::array();
    for (const Extent& e : v.extents) extents.push_back({{"disk", e.diskNumber}, {"partition", e.partitionNumber}});
    return {{"index", v.index},
            {"name", v.name},
            {"status", v.status},
            {"propertiesResult", static_cast<uint32_t>(v.propertiesResult)},
            {"nameMissing", v.nameMissing},
            {"mfInterface", v.mfInterface},
            {"driveType", v.driveType},
            {"extents", extents},
            {"fileSystem", v.fileSystem},
            {"label", v.label},
            {"unitSize", v.unitSize},
            {"totalBytes", v.totalBytes},
            {"usedBytes", v.usedBytes},
            {"ntfsTag", HexText(v.ntfsTag)},
            {"bootSector", HexText(v.bootSector)},
            {"accessPaths", v.accessPaths},
            {"id", GuidText(v.id)}};
}

// ---- reading

// A field that does not fit, named by its place in the file:
// "providers[0].packs[0].disks[1].size".
class FieldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Reader {
public:
    Reader(const Json& object, std::string where) : j(object), at(std::move(where))
    {
        if (!j.is_object()) Fail(at.empty() ? "the document must be an object" : at + " must be an object");
    }

    template <class T>
    T Number(const char* key) const
    {
        const Json& v = Field(key);
        const uint64_t most = static_cast<uint64_t>(std::numeric_limits<T>::max());
        if (!v.is_number_unsigned() || v.get<uint64_t>() > most)
            Fail(Name(key) + " must be a whole number from 0 to " + std::to_string(most) + ", not " + v.dump());
        return static_cast<T>(v.get<uint64_t>());
    }

    // Up to the enumeration's last value: a cast of any other is undefined.
    template <class E>
    E Enum(const char* key, E last) const
    {
        const uint32_t value = Number<uint32_t>(key);
        if (value > static_cast<uint32_t>(last))
            Fail(Name(key) + " must be a whole number from 0 to " + std::to_string(last) + ", not " +
                 std::to_string(value));
        return static_cast<E>(value);
    }

    bool Flag(const char* key) const
    {
        const Json& v = Field(key);
        if (!v.is_boolean()) Fail(Name(key) + " must be true or false, not " + v.dump());
        return v.get<bool>();
    }

    std::string Text(const char* key) const
    {
        const Json& v = Field(key);
        if (!v.is_string()) Fail(Name(key) + " must be a string, not " + v.dump());
        return v.get<std::string>();
    }

    // Each item with the reader's name for it.
    std::vector<Reader> Objects(const char* key) const
    {
        std::vector<Reader> items;
        const Json& list = List(key);
        for (size_t i = 0; i < list.size(); ++i) items.emplace_back(list[i], Name(key) + "[" + std::to_string(i) + "]");
        return items;
    }

    std::vector<std::string> Texts(const char* key) const
    {
        std::vector<std::string> texts;
        const Json& list = List(key);
        for (size_t i = 0; i < list.size(); ++i) {
            if (!list[i].is_string())
                Fail(Name(key) + "[" + std::to_string(i) + "] must be a string, not " + list[i].dump());
            texts.push_back(list[i].get<std::string>());
        }
        return texts;
    }

    GUID Guid(const char* key) const
    {
        const std::string t = Text(key);
        unsigned d1, d2, d3, b[8];
        char tail;
        if (t.size() != 36 || std::sscanf(t.c_str(), "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &d1, &d2, &d3, &b[0],
                                          &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &tail) != 11)
            Fail(Name(key) + " must be a GUID such as 01234567-89ab-cdef-0123-456789abcdef, not \"" + t + "\"");
        GUID g;
        g.Data1 = d1;
        g.Data2 = static_cast<uint16_t>(d2);
        g.Data3 = static_cast<uint16_t>(d3);
        for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(b[i]);
        return g;
    }

    template <class Bytes>
    void Hex(const char* key, Bytes* out) const
    {
        const std::string t = Text(key);
        const size_t size = out->size();
        if (t.size() != 2 * size)
            Fail(Name(key) + " must hold " + std::to_string(size) + " bytes in hex, not " + std::to_string(t.size()) +
                 " digits");
        for (size_t i = 0; i < size; ++i) {
            unsigned v;
            if (std::sscanf(t.c_str() + 2 * i, "%2x", &v) != 1) Fail(Name(key) + " holds a character that is not hex");
            (*out)[i] = static_cast<BYTE>(v);
        }
    }

    [[noreturn]] static void Fail(const std::string& why) { throw FieldError(why); }

private:
    std::string Name(const char* key) const { return at.empty() ? key : at + "." + key; }

    const Json& Field(const char* key) const
    {
        const auto found = j.find(key);
        if (found == j.end()) Fail(Name(key) + " is missing");
        return *found;
    }

    const Json& List(const char* key) const
    {
        const Json& v = Field(key);
        if (!v.is_array()) Fail(Name(key) + " must be a list, not " + v.dump());
        return v;
    }

    const Json& j;
    std::string at;
};

void ReadPartition(const Reader& r, Disk& disk)
{
    Partition p;
    p.number = r.Number<ULONG>("number");
    p.offset = r.Number<ULONGLONG>("offset");
    p.size = r.Number<ULONGLONG>("size");
    p.style = r.Enum("style", VDS_PST_GPT);
    p.type = r.Number<BYTE>("type");
    p.active = r.Flag("active");
    p.flags = r.Number<ULONG>("flags");
    if (p.style == VDS_PST_GPT) {
        p.gptType = r.Guid("gptType");
        p.gptId = r.Guid("gptId");
        p.gptAttributes = r.Number<ULONGLONG>("gptAttributes");
    }
    disk.partitions.push_back(p);
}

void ReadDisk(const Reader& r, Pack& pack)
{
    Disk& d = pack.AddDisk(r.Number<ULONG>("number"), r.Number<ULONGLONG>("size"));
    d.name = r.Text("name");
    d.friendlyName = r.Text("friendlyName");
    d.adaptorName = r.Text("adaptorName");
    d.devicePath = r.Text("devicePath");
    d.diskAddress = r.Text("diskAddress");
    d.bytesPerSector = r.Number<ULONG>("bytesPerSector");
    d.sectorsPerTrack = r.Number<ULONG>("sectorsPerTrack");
    d.tracksPerCylinder = r.Number<ULONG>("tracksPerCylinder");
    d.status = r.Enum("status", VDS_DS_MISSING);
    d.style = r.Enum("style", VDS_PST_GPT);
    d.signature = r.Number<DWORD>("signature");
    d.advancedInterface = r.Flag("advancedInterface");
    d.createPartitionExInterface = r.Flag("createPartitionExInterface");
    d.nameMissing = r.Flag("nameMissing");
    d.id = r.Guid("id");
    for (const Reader& p : r.Objects("partitions")) ReadPartition(p, d);
}

void ReadVolume(const Reader& r, Pack& pack)
{
    Volume& v = pack.AddVolume();
    v.index = r.Number<ULONG>("index");
    v.name = r.Text("name");
    v.status = r.Enum("status", VDS_VS_FAILED);
    v.propertiesResult = static_cast<HRESULT>(r.Number<uint32_t>("propertiesResult"));
    v.nameMissing = r.Flag("nameMissing");
    v.mfInterface = r.Flag("mfInterface");
    v.driveType = r.Number<UINT>("driveType");
    for (const Reader& x : r.Objects("extents"))
        v.extents.push_back(Extent{x.Number<ULONG>("disk"), x.Number<ULONG>("partition")});
    v.fileSystem = r.Enum("fileSystem", VDS_FST_REFS);
    v.label = r.Text("label");
    v.unitSize = r.Number<ULONG>("unitSize");
    v.totalBytes = r.Number<ULONGLONG>("totalBytes");
    v.usedBytes = r.Number<ULONGLONG>("usedBytes");
    r.Hex("ntfsTag", &v.ntfsTag);
    v.bootSector.assign(kBootSectorSize, 0);
    r.Hex("bootSector", &v.bootSector);
    v.accessPaths = r.Texts("accessPaths");
    v.id = r.Guid("id");
}

void ReadMachine(const Json& root, Machine& machine)
{
    const Reader r(root, "");
    if (!root.contains("format") || root["format"] != kFormat)
        Reader::Fail("not a machine file: it lacks \"format\": \"" + std::string(kFormat) + "\"");
    if (r.Number<uint64_t>("version") != kVersion)
        Reader::Fail("\"version\" must be " + std::to_string(kVersion) + ": a machine file of another version");
    machine.autoAssignLetters = r.Flag("autoAssignLetters");
    for (const Reader& l : r.Objects("takenLetters")) {
        const std::string letter = l.Text("letter");
        if (letter.size() != 1) Reader::Fail("a taken \"letter\" must be one letter, not \"" + letter + "\"");
        machine.TakeLetter(letter[0], l.Number<UINT>("driveType"));
    }
    for (const Reader& pr : r.Objects("providers")) {
        Provider& provider = machine.AddProvider();
        provider.name = pr.Text("name");
        provider.version = pr.Text("version");
        provider.swInterface = pr.Flag("swInterface");
        provider.id = pr.Guid("id");
        for (const Reader& kr : pr.Objects("packs")) {
            Pack& pack = provider.AddPack();
            pack.name = kr.Text("name");
            pack.status = kr.Enum("status", VDS_PS_OFFLINE);
            pack.id = kr.Guid("id");
            for (const Reader& d : kr.Objects("disks")) ReadDisk(d, pack);
            for (const Reader& v : kr.Objects("volumes")) ReadVolume(v, pack);
        }
    }
    machine.nextVolumeIndex = r.Number<ULONG>("nextVolumeIndex");
    machine.nextObjectSerial = r.Number<ULONG>("nextObjectSerial");
    if (root.contains("notes")) machine.notes = r.Texts("notes");
}

// "[json.exception.parse_error.101] parse error at line 1, column 2: ..." without its tag.
std::string ParseMessage(const std::string& what)
{
    const size_t tag = what.find("] ");
    return tag == std::string::npos ? what : what.substr(tag + 2);
}

} // namespace

std::string SaveMachine(const Machine& machine)
{
    Json letters = Json::array();
    for (const auto& taken : machine.takenLetters)
        letters.push_back({{"letter", std::string(1, taken.first)}, {"driveType", taken.second}});
    Json providers = Json::array();
    for (const auto& provider : machine.providers) {
        Json packs = Json::array();
        for (const auto& pack : provider->packs) {
            Json disks = Json::array();
            for (const auto& disk : pack->disks) disks.push_back(DiskJson(*disk));
            Json volumes = Json::array();
            for (const auto& volume : pack->volumes) volumes.push_back(VolumeJson(*volume));
            packs.push_back({{"name", pack->name},
                             {"status", pack->status},
                             {"id", GuidText(pack->id)},
                             {"disks", disks},
                             {"volumes", volumes}});
        }
        providers.push_back({{"name", provider->name},
                             {"version", provider->version},
                             {"swInterface", provider->swInterface},
                             {"id", GuidText(provider->id)},
                             {"packs", packs}});
    }
    Json root = {{"format", kFormat}, {"version", kVersion}};
    // Optional, and first after the header, where a reader sees it.
    if (!machine.notes.empty()) root["notes"] = machine.notes;
    root["autoAssignLetters"] = machine.autoAssignLetters;
    root["nextVolumeIndex"] = machine.nextVolumeIndex;
    root["nextObjectSerial"] = machine.nextObjectSerial;
    root["takenLetters"] = letters;
    root["providers"] = providers;
    return root.dump(2) + "\n";
}

bool LoadMachine(const std::string& text, Machine& machine, std::string* error)
{
    machine.Clear();
    std::string why;
    try {
        if (text.find_first_not_of(" \t\r\n") == std::string::npos) throw FieldError("the file is empty");
        ReadMachine(Json::parse(text), machine);
        why = BrokenRule(machine);
    } catch (const Json::parse_error& e) {
        why = "not JSON: " + ParseMessage(e.what());
    } catch (const Json::out_of_range& e) {
        // A number that no JSON number here holds: "number overflow parsing '1e400'".
        why = ParseMessage(e.what());
    } catch (const FieldError& e) {
        why = e.what();
    }
    if (error) *error = why;
    if (why.empty()) return true;
    machine.Clear();
    return false;
}

} // namespace kxemu
