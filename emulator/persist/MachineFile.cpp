#include "kxemu/MachineFile.h"

#include "persist/Json.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace kxemu {

namespace {

const char kFormat[] = "kxvds-machine";
const uint64_t kVersion = 1;

// ---- writing

Json Num(uint64_t v)
{
    return Json::Number(v);
}

Json Flag(bool v)
{
    return Json::Boolean(v);
}

Json Text(const std::string& v)
{
    return Json::String(v);
}

std::string GuidText(const GUID& g)
{
    char buffer[40];
    std::snprintf(buffer, sizeof(buffer), "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}

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
    Json j = Json::Object();
    j.Set("number", Num(p.number));
    j.Set("offset", Num(p.offset));
    j.Set("size", Num(p.size));
    j.Set("style", Num(p.style));
    j.Set("type", Num(p.type));
    j.Set("active", Flag(p.active));
    j.Set("flags", Num(p.flags));
    if (p.style == VDS_PST_GPT) {
        j.Set("gptType", Text(GuidText(p.gptType)));
        j.Set("gptId", Text(GuidText(p.gptId)));
        j.Set("gptAttributes", Num(p.gptAttributes));
    }
    return j;
}

Json DiskJson(const Disk& d)
{
    Json j = Json::Object();
    j.Set("number", Num(d.number));
    j.Set("name", Text(d.name));
    j.Set("friendlyName", Text(d.friendlyName));
    j.Set("adaptorName", Text(d.adaptorName));
    j.Set("devicePath", Text(d.devicePath));
    j.Set("diskAddress", Text(d.diskAddress));
    j.Set("size", Num(d.size));
    j.Set("bytesPerSector", Num(d.bytesPerSector));
    j.Set("sectorsPerTrack", Num(d.sectorsPerTrack));
    j.Set("tracksPerCylinder", Num(d.tracksPerCylinder));
    j.Set("status", Num(d.status));
    j.Set("style", Num(d.style));
    j.Set("signature", Num(d.signature));
    j.Set("advancedInterface", Flag(d.advancedInterface));
    j.Set("createPartitionExInterface", Flag(d.createPartitionExInterface));
    j.Set("nameMissing", Flag(d.nameMissing));
    j.Set("id", Text(GuidText(d.id)));
    Json& partitions = j.Set("partitions", Json::Array());
    for (const Partition& p : d.partitions) partitions.Push(PartitionJson(p));
    return j;
}

Json VolumeJson(const Volume& v)
{
    Json j = Json::Object();
    j.Set("index", Num(v.index));
    j.Set("name", Text(v.name));
    j.Set("status", Num(v.status));
    j.Set("propertiesResult", Num(static_cast<uint32_t>(v.propertiesResult)));
    j.Set("nameMissing", Flag(v.nameMissing));
    j.Set("mfInterface", Flag(v.mfInterface));
    j.Set("driveType", Num(v.driveType));
    Json& extents = j.Set("extents", Json::Array());
    for (const Extent& e : v.extents) {
        Json x = Json::Object();
        x.Set("disk", Num(e.diskNumber));
        x.Set("partition", Num(e.partitionNumber));
        extents.Push(std::move(x));
    }
    j.Set("fileSystem", Num(v.fileSystem));
    j.Set("label", Text(v.label));
    j.Set("unitSize", Num(v.unitSize));
    j.Set("totalBytes", Num(v.totalBytes));
    j.Set("usedBytes", Num(v.usedBytes));
    j.Set("ntfsTag", Text(HexText(v.ntfsTag)));
    j.Set("bootSector", Text(HexText(v.bootSector)));
    Json& paths = j.Set("accessPaths", Json::Array());
    for (const std::string& p : v.accessPaths) paths.Push(Text(p));
    j.Set("id", Text(GuidText(v.id)));
    return j;
}

// ---- reading

class Reader {
public:
    explicit Reader(std::string* e) : error(e) {}

    bool Fail(const std::string& what)
    {
        if (error && error->empty()) *error = what;
        return false;
    }

    template <class T>
    bool Number(const Json& object, const char* key, T* out)
    {
        const Json* v = object.Find(key);
        uint64_t n = 0;
        if (!v || !v->Get(&n)) return Fail(std::string("\"") + key + "\" must be a number");
        *out = static_cast<T>(n);
        if (static_cast<uint64_t>(*out) != n) return Fail(std::string("\"") + key + "\" is out of range");
        return true;
    }

    template <class E>
    bool Enum(const Json& object, const char* key, E* out)
    {
        uint64_t n = 0;
        if (!Number(object, key, &n)) return false;
        *out = static_cast<E>(n);
        return true;
    }

    bool Flag(const Json& object, const char* key, bool* out)
    {
        const Json* v = object.Find(key);
        if (!v || !v->Get(out)) return Fail(std::string("\"") + key + "\" must be true or false");
        return true;
    }

    bool Text(const Json& object, const char* key, std::string* out)
    {
        const Json* v = object.Find(key);
        if (!v || !v->Get(out)) return Fail(std::string("\"") + key + "\" must be a string");
        return true;
    }

    bool List(const Json& object, const char* key, const std::vector<Json>** out)
    {
        const Json* v = object.Find(key);
        if (!v || v->GetType() != Json::Type::Array) return Fail(std::string("\"") + key + "\" must be a list");
        *out = &v->Items();
        return true;
    }

    bool Guid(const Json& object, const char* key, GUID* out)
    {
        std::string t;
        if (!Text(object, key, &t)) return false;
        unsigned d1, d2, d3, b[8];
        char tail;
        if (t.size() != 36 ||
            std::sscanf(t.c_str(), "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                        &b[3], &b[4], &b[5], &b[6], &b[7], &tail) != 11)
            return Fail(std::string("\"") + key + "\" must be a GUID");
        out->Data1 = d1;
        out->Data2 = static_cast<uint16_t>(d2);
        out->Data3 = static_cast<uint16_t>(d3);
        for (int i = 0; i < 8; ++i) out->Data4[i] = static_cast<uint8_t>(b[i]);
        return true;
    }

    template <class Bytes>
    bool Hex(const Json& object, const char* key, size_t size, Bytes* out)
    {
        std::string t;
        if (!Text(object, key, &t)) return false;
        if (t.size() != 2 * size)
            return Fail(std::string("\"") + key + "\" must hold " + std::to_string(size) + " bytes");
        for (size_t i = 0; i < size; ++i) {
            unsigned v;
            if (std::sscanf(t.c_str() + 2 * i, "%2x", &v) != 1) return Fail(std::string("\"") + key + "\" is not hex");
            (*out)[i] = static_cast<BYTE>(v);
        }
        return true;
    }

    bool ReadPartition(const Json& j, Disk& disk)
    {
        Partition p;
        if (!Number(j, "number", &p.number) || !Number(j, "offset", &p.offset) || !Number(j, "size", &p.size) ||
            !Enum(j, "style", &p.style) || !Number(j, "type", &p.type) || !Flag(j, "active", &p.active) ||
            !Number(j, "flags", &p.flags))
            return false;
        if (p.style == VDS_PST_GPT &&
            (!Guid(j, "gptType", &p.gptType) || !Guid(j, "gptId", &p.gptId) ||
             !Number(j, "gptAttributes", &p.gptAttributes)))
            return false;
        disk.partitions.push_back(p);
        return true;
    }

    bool ReadDisk(const Json& j, Pack& pack)
    {
        ULONG number = 0;
        ULONGLONG size = 0;
        if (!Number(j, "number", &number) || !Number(j, "size", &size)) return false;
        Disk& d = pack.AddDisk(number, size);
        const std::vector<Json>* partitions = nullptr;
        if (!Text(j, "name", &d.name) || !Text(j, "friendlyName", &d.friendlyName) ||
            !Text(j, "adaptorName", &d.adaptorName) || !Text(j, "devicePath", &d.devicePath) ||
            !Text(j, "diskAddress", &d.diskAddress) || !Number(j, "bytesPerSector", &d.bytesPerSector) ||
            !Number(j, "sectorsPerTrack", &d.sectorsPerTrack) ||
            !Number(j, "tracksPerCylinder", &d.tracksPerCylinder) || !Enum(j, "status", &d.status) ||
            !Enum(j, "style", &d.style) || !Number(j, "signature", &d.signature) ||
            !Flag(j, "advancedInterface", &d.advancedInterface) ||
            !Flag(j, "createPartitionExInterface", &d.createPartitionExInterface) ||
            !Flag(j, "nameMissing", &d.nameMissing) || !Guid(j, "id", &d.id) || !List(j, "partitions", &partitions))
            return false;
        for (const Json& p : *partitions)
            if (!ReadPartition(p, d)) return false;
        return true;
    }

    bool ReadVolume(const Json& j, Pack& pack)
    {
        Volume& v = pack.AddVolume();
        uint64_t result = 0;
        const std::vector<Json>* extents = nullptr;
        const std::vector<Json>* paths = nullptr;
        v.bootSector.assign(kBootSectorSize, 0);
        if (!Number(j, "index", &v.index) || !Text(j, "name", &v.name) || !Enum(j, "status", &v.status) ||
            !Number(j, "propertiesResult", &result) || !Flag(j, "nameMissing", &v.nameMissing) ||
            !Flag(j, "mfInterface", &v.mfInterface) || !Number(j, "driveType", &v.driveType) ||
            !List(j, "extents", &extents) || !Enum(j, "fileSystem", &v.fileSystem) || !Text(j, "label", &v.label) ||
            !Number(j, "unitSize", &v.unitSize) || !Number(j, "totalBytes", &v.totalBytes) ||
            !Number(j, "usedBytes", &v.usedBytes) || !Hex(j, "ntfsTag", v.ntfsTag.size(), &v.ntfsTag) ||
            !Hex(j, "bootSector", kBootSectorSize, &v.bootSector) || !List(j, "accessPaths", &paths) ||
            !Guid(j, "id", &v.id))
            return false;
        if (result > 0xFFFFFFFFu) return Fail("\"propertiesResult\" is out of range");
        v.propertiesResult = static_cast<HRESULT>(static_cast<uint32_t>(result));
        for (const Json& x : *extents) {
            Extent e;
            if (!Number(x, "disk", &e.diskNumber) || !Number(x, "partition", &e.partitionNumber)) return false;
            v.extents.push_back(e);
        }
        for (const Json& p : *paths) {
            std::string path;
            if (!p.Get(&path)) return Fail("access paths must be strings");
            v.accessPaths.push_back(path);
        }
        return true;
    }

    bool ReadMachine(const Json& root, Machine& machine)
    {
        if (root.GetType() != Json::Type::Object) return Fail("the document must be an object");
        std::string format;
        uint64_t version = 0;
        if (!Text(root, "format", &format) || format != kFormat) return Fail("not a machine file");
        if (!Number(root, "version", &version) || version != kVersion) return Fail("unknown machine file version");
        const std::vector<Json>* letters = nullptr;
        const std::vector<Json>* providers = nullptr;
        ULONG nextVolume = 1, nextSerial = 1;
        if (!Flag(root, "autoAssignLetters", &machine.autoAssignLetters) || !List(root, "takenLetters", &letters) ||
            !List(root, "providers", &providers) || !Number(root, "nextVolumeIndex", &nextVolume) ||
            !Number(root, "nextObjectSerial", &nextSerial))
            return false;
        for (const Json& l : *letters) {
            std::string letter;
            UINT type = 0;
            if (!Text(l, "letter", &letter) || letter.size() != 1 || !Number(l, "driveType", &type))
                return Fail("taken letters need a letter and a drive type");
            machine.TakeLetter(letter[0], type);
        }
        for (const Json& pj : *providers) {
            Provider& provider = machine.AddProvider();
            const std::vector<Json>* packs = nullptr;
            if (!Text(pj, "name", &provider.name) || !Text(pj, "version", &provider.version) ||
                !Flag(pj, "swInterface", &provider.swInterface) || !Guid(pj, "id", &provider.id) ||
                !List(pj, "packs", &packs))
                return false;
            for (const Json& kj : *packs) {
                Pack& pack = provider.AddPack();
                const std::vector<Json>* disks = nullptr;
                const std::vector<Json>* volumes = nullptr;
                if (!Text(kj, "name", &pack.name) || !Enum(kj, "status", &pack.status) || !Guid(kj, "id", &pack.id) ||
                    !List(kj, "disks", &disks) || !List(kj, "volumes", &volumes))
                    return false;
                for (const Json& d : *disks)
                    if (!ReadDisk(d, pack)) return false;
                for (const Json& v : *volumes)
                    if (!ReadVolume(v, pack)) return false;
            }
        }
        machine.nextVolumeIndex = nextVolume;
        machine.nextObjectSerial = nextSerial;
        return true;
    }

private:
    std::string* error;
};

} // namespace

std::string SaveMachine(const Machine& machine)
{
    Json root = Json::Object();
    root.Set("format", Text(kFormat));
    root.Set("version", Num(kVersion));
    root.Set("autoAssignLetters", Flag(machine.autoAssignLetters));
    root.Set("nextVolumeIndex", Num(machine.nextVolumeIndex));
    root.Set("nextObjectSerial", Num(machine.nextObjectSerial));
    Json& letters = root.Set("takenLetters", Json::Array());
    for (const auto& taken : machine.takenLetters) {
        Json l = Json::Object();
        l.Set("letter", Text(std::string(1, taken.first)));
        l.Set("driveType", Num(taken.second));
        letters.Push(std::move(l));
    }
    Json& providers = root.Set("providers", Json::Array());
    for (const auto& provider : machine.providers) {
        Json pj = Json::Object();
        pj.Set("name", Text(provider->name));
        pj.Set("version", Text(provider->version));
        pj.Set("swInterface", Flag(provider->swInterface));
        pj.Set("id", Text(GuidText(provider->id)));
        Json& packs = pj.Set("packs", Json::Array());
        for (const auto& pack : provider->packs) {
            Json kj = Json::Object();
            kj.Set("name", Text(pack->name));
            kj.Set("status", Num(pack->status));
            kj.Set("id", Text(GuidText(pack->id)));
            Json& disks = kj.Set("disks", Json::Array());
            for (const auto& disk : pack->disks) disks.Push(DiskJson(*disk));
            Json& volumes = kj.Set("volumes", Json::Array());
            for (const auto& volume : pack->volumes) volumes.Push(VolumeJson(*volume));
            packs.Push(std::move(kj));
        }
        providers.Push(std::move(pj));
    }
    return root.Write();
}

bool LoadMachine(const std::string& text, Machine& machine, std::string* error)
{
    if (error) error->clear();
    machine.Clear();
    Json root;
    Reader reader(error);
    if (!Json::Parse(text, &root, error) || !reader.ReadMachine(root, machine)) {
        machine.Clear();
        return false;
    }
    return true;
}

bool SaveMachineFile(const std::string& path, const Machine& machine, std::string* error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << SaveMachine(machine);
    out.close();
    if (!out) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool LoadMachineFile(const std::string& path, Machine& machine, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot read " + path;
        machine.Clear();
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return LoadMachine(text.str(), machine, error);
}

} // namespace kxemu
