#include "GptText.h"

#include "kxgptguids.h"

#include <cstdio>
#include <cstring>

namespace kxvds {

namespace {

struct TypeName {
    const GUID* type;
    const char* name;
};
const TypeName kTypeNames[] = {
    {&kxgpt::kEfiSystem, "EFI system"},     {&kxgpt::kMicrosoftReserved, "Microsoft reserved"},
    {&kxgpt::kBasicData, "basic data"},     {&kxgpt::kRecovery, "recovery"},
    {&kxgpt::kLdmMetadata, "LDM metadata"}, {&kxgpt::kLdmData, "LDM data"},
};

struct AttributeName {
    uint64_t bit;
    const char* name;
};
const AttributeName kAttributeNames[] = {
    {GPT_ATTRIBUTE_PLATFORM_REQUIRED, "required"},
    {GPT_BASIC_DATA_ATTRIBUTE_NO_DRIVE_LETTER, "no drive letter"},
    {GPT_BASIC_DATA_ATTRIBUTE_HIDDEN, "hidden"},
    {GPT_BASIC_DATA_ATTRIBUTE_SHADOW_COPY, "shadow copy"},
    {GPT_BASIC_DATA_ATTRIBUTE_READ_ONLY, "read-only"},
};

} // namespace

std::string GuidText(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                  guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

std::string GptTypeName(const GUID& type)
{
    for (const TypeName& t : kTypeNames)
        if (std::memcmp(t.type, &type, sizeof type) == 0) return t.name;
    return std::string();
}

std::vector<std::string> GptAttributeNames(uint64_t attributes)
{
    std::vector<std::string> names;
    for (const AttributeName& a : kAttributeNames)
        if (attributes & a.bit) names.push_back(a.name);
    return names;
}

uint64_t UnnamedGptAttributes(uint64_t attributes)
{
    for (const AttributeName& a : kAttributeNames) attributes &= ~a.bit;
    return attributes;
}

std::string AttributesHex(uint64_t attributes)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(attributes));
    return text;
}

} // namespace kxvds
