#include "JsonWriter.h"

#include <cstdio>

namespace kxvds {

namespace {

std::string Quoted(const std::string& text)
{
    std::string q = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': q += "\\\""; break;
        case '\\': q += "\\\\"; break;
        case '\n': q += "\\n"; break;
        case '\r': q += "\\r"; break;
        case '\t': q += "\\t"; break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                q += escape;
            } else {
                q += static_cast<char>(c);
            }
        }
    }
    return q + "\"";
}

} // namespace

void JsonWriter::BeforeValue()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (hasItems.empty()) return;
    if (hasItems.back()) out += ',';
    hasItems.back() = true;
    out += '\n';
    out.append(2 * hasItems.size(), ' ');
}

JsonWriter& JsonWriter::BeginObject()
{
    BeforeValue();
    out += '{';
    hasItems.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    BeforeValue();
    out += '[';
    hasItems.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket)
{
    const bool items = hasItems.back();
    hasItems.pop_back();
    if (items) {
        out += '\n';
        out.append(2 * hasItems.size(), ' ');
    }
    out += bracket;
    return *this;
}

JsonWriter& JsonWriter::EndObject()
{
    return Close('}');
}

JsonWriter& JsonWriter::EndArray()
{
    return Close(']');
}

JsonWriter& JsonWriter::Key(const std::string& name)
{
    BeforeValue();
    out += Quoted(name) + ": ";
    afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& utf8)
{
    BeforeValue();
    out += Quoted(utf8);
    return *this;
}

JsonWriter& JsonWriter::Number(uint64_t value)
{
    BeforeValue();
    out += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    BeforeValue();
    out += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    out += "null";
    return *this;
}

} // namespace kxvds
