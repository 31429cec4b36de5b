#include "PartitionInfo.h"

#include "Failure.h"
#include "GptText.h"
#include "WideText.h"

#include <cstdio>

namespace kxvds {

namespace {

const KXHRESULT kNoMoreItems = static_cast<KXHRESULT>(0x80070103u);
const KXHRESULT kNoInterface = static_cast<KXHRESULT>(0x80004002u);
const int kTextCapacity = 1024;
// The service lists each path once; a longer list means the walk never ends.
const int kMostPaths = 1024;

std::string GptFlags(const PartitionInfo& info)
{
    std::vector<std::string> names;
    if (info.gpt) {
        names = GptAttributeNames(info.gpt->attributes);
        if (const uint64_t rest = UnnamedGptAttributes(info.gpt->attributes)) names.push_back(AttributesHex(rest));
    }
    if (info.recovery) names.push_back("recovery");
    std::string flags;
    for (const std::string& n : names) flags += (flags.empty() ? "" : ", ") + n;
    return flags;
}

} // namespace

std::vector<std::string> ReadAccessPaths(IKXVdsPartition& partition)
{
    std::vector<std::string> paths;
    KXWCHAR buffer[kTextCapacity] = {};
    KXHRESULT hr = partition.GetFirstAccessPath(buffer, kTextCapacity);
    while (hr == 0 && paths.size() < kMostPaths) {
        paths.push_back(ToUtf8(buffer));
        hr = partition.GetNextAccessPath(buffer, kTextCapacity);
    }
    if (hr != 0 && hr != kNoMoreItems && hr != kNoInterface)
        throw OperationFailed(static_cast<uint32_t>(hr), "list the access paths of partition " +
                                                             std::to_string(partition.GetPartitionNumber()));
    return paths;
}

PartitionInfo ReadPartition(IKXVdsPartition& partition, int index, const DiskLayout& layout)
{
    PartitionInfo info;
    info.index = index;
    info.number = partition.GetPartitionNumber();
    info.offset = partition.GetOffset();
    info.end = partition.GetEndOffset();
    info.size = partition.GetSize();
    info.style = layout.style;
    if (info.IsGpt()) {
        if (const GptEntry* entry = layout.FindGpt(info.number)) info.gpt = *entry;
    } else {
        info.type = partition.GetPartitionType();
        info.active = partition.IsActive() != 0;
        info.primary = partition.IsPrimary() != 0;
        info.extended = IsExtendedType(info.type);
    }

    KXWCHAR name[kTextCapacity] = {};
    info.hasVolume = partition.GetVolumeName(name, kTextCapacity) == 0;
    if (info.hasVolume) {
        info.volumeName = ToUtf8(name);
        info.usedBytes = partition.GetUsedSpace();
        info.recovery = partition.IsRecovery() != 0;
        info.accessPaths = ReadAccessPaths(partition);
    }
    return info;
}

std::string Flags(const PartitionInfo& info)
{
    if (info.IsGpt()) return GptFlags(info);
    std::string flags = info.primary ? "primary" : "logical";
    if (info.extended) flags += ", extended";
    if (info.active) flags += ", active";
    if (info.recovery) flags += ", recovery";
    return flags;
}

std::string TypeText(int type)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(type) & 0xFFu);
    return text;
}

std::string TypeOf(const PartitionInfo& info)
{
    if (!info.IsGpt()) return TypeText(info.type);
    if (!info.gpt) return "(not in the disk's layout)";
    const std::string name = GptTypeName(info.gpt->type);
    return name.empty() ? GuidText(info.gpt->type) : name;
}

bool IsExtendedType(int type)
{
    return type == 0x05 || type == 0x0F;
}

Json PartitionJson(const PartitionInfo& info)
{
    Json json;
    if (info.index >= 0) json["index"] = info.index;
    json.update({{"number", info.number}, {"offset", info.offset}, {"end", info.end}, {"size", info.size}});
    if (info.IsGpt()) {
        const std::optional<GptEntry>& gpt = info.gpt;
        const std::string name = gpt ? GptTypeName(gpt->type) : std::string();
        json.update({{"gptType", gpt ? Json(GuidText(gpt->type)) : nullptr},
                     {"gptTypeName", name.empty() ? nullptr : Json(name)},
                     {"gptId", gpt ? Json(GuidText(gpt->id)) : nullptr},
                     {"gptAttributes", gpt ? Json(gpt->attributes) : nullptr},
                     {"gptAttributeNames", gpt ? GptAttributeNames(gpt->attributes) : std::vector<std::string>()}});
    } else {
        json.update({{"type", info.type & 0xFF}, {"active", info.active}, {"primary", info.primary}});
    }
    json.update({{"recovery", info.recovery},
                 {"volume", nullptr},
                 {"usedBytes", info.usedBytes},
                 {"accessPaths", info.accessPaths}});
    if (info.hasVolume) json["volume"] = info.volumeName;
    return json;
}

} // namespace kxvds
