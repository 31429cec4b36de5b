#include "persist/Json.h"

#include "model/Text.h"

#include <cerrno>
#include <cstdlib>

namespace kxemu {

Json Json::Boolean(bool value)
{
    Json j;
    j.type = Type::Bool;
    j.boolean = value;
    return j;
}

Json Json::Number(uint64_t value)
{
    Json j;
    j.type = Type::Number;
    j.text = std::to_string(value);
    return j;
}

Json Json::Number(int64_t value)
{
    Json j;
    j.type = Type::Number;
    j.text = std::to_string(value);
    return j;
}

Json Json::String(const std::string& value)
{
    Json j;
    j.type = Type::String;
    j.text = value;
    return j;
}

Json Json::Array()
{
    Json j;
    j.type = Type::Array;
    return j;
}

Json Json::Object()
{
    Json j;
    j.type = Type::Object;
    return j;
}

Json& Json::Set(const std::string& key, Json value)
{
    for (auto& member : members)
        if (member.first == key) {
            member.second = std::move(value);
            return member.second;
        }
    members.emplace_back(key, std::move(value));
    return members.back().second;
}

Json& Json::Push(Json value)
{
    items.push_back(std::move(value));
    return items.back();
}

const Json* Json::Find(const std::string& key) const
{
    for (const auto& member : members)
        if (member.first == key) return &member.second;
    return nullptr;
}

bool Json::Get(bool* out) const
{
    if (type != Type::Bool) return false;
    *out = boolean;
    return true;
}

bool Json::Get(uint64_t* out) const
{
    if (type != Type::Number || text.empty() || text[0] == '-') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (errno || *end) return false;
    *out = v;
    return true;
}

bool Json::Get(int64_t* out) const
{
    if (type != Type::Number) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end) return false;
    *out = v;
    return true;
}

bool Json::Get(std::string* out) const
{
    if (type != Type::String) return false;
    *out = text;
    return true;
}

namespace {

void WriteString(std::string& out, const std::string& s)
{
    static const char hex[] = "0123456789abcdef";
    out.push_back('"');
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out.push_back(hex[u >> 4]);
                out.push_back(hex[u & 15]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void Indent(std::string& out, int depth)
{
    out.push_back('\n');
    out.append(static_cast<size_t>(depth) * 2, ' ');
}

} // namespace

void Json::WriteTo(std::string& out, int depth) const
{
    switch (type) {
    case Type::Null: out += "null"; break;
    case Type::Bool: out += boolean ? "true" : "false"; break;
    case Type::Number: out += text; break;
    case Type::String: WriteString(out, text); break;
    case Type::Array:
        if (items.empty()) {
            out += "[]";
            break;
        }
        out.push_back('[');
        for (size_t i = 0; i < items.size(); ++i) {
            if (i) out.push_back(',');
            Indent(out, depth + 1);
            items[i].WriteTo(out, depth + 1);
        }
        Indent(out, depth);
        out.push_back(']');
        break;
    case Type::Object:
        if (members.empty()) {
            out += "{}";
            break;
        }
        out.push_back('{');
        for (size_t i = 0; i < members.size(); ++i) {
            if (i) out.push_back(',');
            Indent(out, depth + 1);
            WriteString(out, members[i].first);
            out += ": ";
            members[i].second.WriteTo(out, depth + 1);
        }
        Indent(out, depth);
        out.push_back('}');
        break;
    }
}

std::string Json::Write() const
{
    std::string out;
    WriteTo(out, 0);
    out.push_back('\n');
    return out;
}

class JsonParser {
public:
    explicit JsonParser(const std::string& t) : text(t) {}

    bool Document(Json* out, std::string* error)
    {
        bool ok = Value(out, 0);
        if (ok) {
            Space();
            if (at != text.size()) ok = Fail("text after the document");
        }
        if (!ok && error) *error = message + " at offset " + std::to_string(at);
        return ok;
    }

private:
    static const int kMaxDepth = 64;

    bool Fail(const char* what)
    {
        if (message.empty()) message = what;
        return false;
    }

    void Space()
    {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r' || text[at] == '\t')) ++at;
    }

    bool Literal(const char* word)
    {
        const std::string w(word);
        if (text.compare(at, w.size(), w) != 0) return Fail("unknown literal");
        at += w.size();
        return true;
    }

    bool Value(Json* out, int depth)
    {
        if (depth > kMaxDepth) return Fail("nesting too deep");
        Space();
        if (at >= text.size()) return Fail("unexpected end");
        const char c = text[at];
        if (c == '{') return ObjectValue(out, depth);
        if (c == '[') return ArrayValue(out, depth);
        if (c == '"') {
            out->type = Json::Type::String;
            return StringValue(&out->text);
        }
        if (c == 't') {
            *out = Json::Boolean(true);
            return Literal("true");
        }
        if (c == 'f') {
            *out = Json::Boolean(false);
            return Literal("false");
        }
        if (c == 'n') {
            *out = Json();
            return Literal("null");
        }
        return NumberValue(out);
    }

    bool NumberValue(Json* out)
    {
        const size_t start = at;
        if (at < text.size() && text[at] == '-') ++at;
        const size_t digits = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        if (at == digits) return Fail("number expected");
        // Fractions and exponents never occur in a machine file.
        if (at < text.size() && (text[at] == '.' || text[at] == 'e' || text[at] == 'E'))
            return Fail("only integers are supported");
        out->type = Json::Type::Number;
        out->text = text.substr(start, at - start);
        return true;
    }

    bool Hex4(unsigned* v)
    {
        if (at + 4 > text.size()) return Fail("short \\u escape");
        *v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text[at++];
            *v <<= 4;
            if (c >= '0' && c <= '9') *v |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') *v |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') *v |= static_cast<unsigned>(c - 'A' + 10);
            else return Fail("bad \\u escape");
        }
        return true;
    }

    bool StringValue(std::string* out)
    {
        ++at;  // opening quote
        out->clear();
        while (at < text.size()) {
            const char c = text[at++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in string");
            if (c != '\\') {
                out->push_back(c);
                continue;
            }
            if (at >= text.size()) break;
            const char e = text[at++];
            switch (e) {
            case '"': out->push_back('"'); break;
            case '\\': out->push_back('\\'); break;
            case '/': out->push_back('/'); break;
            case 'b': out->push_back('\b'); break;
            case 'f': out->push_back('\f'); break;
            case 'n': out->push_back('\n'); break;
            case 'r': out->push_back('\r'); break;
            case 't': out->push_back('\t'); break;
            case 'u': {
                unsigned cp;
                if (!Hex4(&cp)) return false;
                if (cp >= 0xD800 && cp < 0xDC00 && text.compare(at, 2, "\\u") == 0) {
                    at += 2;
                    unsigned low;
                    if (!Hex4(&low)) return false;
                    if (low < 0xDC00 || low >= 0xE000) return Fail("unpaired surrogate");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(*out, cp);
                break;
            }
            default: return Fail("bad escape");
            }
        }
        return Fail("unterminated string");
    }

    bool ArrayValue(Json* out, int depth)
    {
        *out = Json::Array();
        ++at;
        Space();
        if (at < text.size() && text[at] == ']') {
            ++at;
            return true;
        }
        for (;;) {
            Json item;
            if (!Value(&item, depth + 1)) return false;
            out->items.push_back(std::move(item));
            Space();
            if (at >= text.size()) return Fail("unterminated array");
            if (text[at] == ']') {
                ++at;
                return true;
            }
            if (text[at++] != ',') return Fail("',' or ']' expected");
        }
    }

    bool ObjectValue(Json* out, int depth)
    {
        *out = Json::Object();
        ++at;
        Space();
        if (at < text.size() && text[at] == '}') {
            ++at;
            return true;
        }
        for (;;) {
            Space();
            if (at >= text.size() || text[at] != '"') return Fail("member name expected");
            std::string key;
            if (!StringValue(&key)) return false;
            Space();
            if (at >= text.size() || text[at++] != ':') return Fail("':' expected");
            Json value;
            if (!Value(&value, depth + 1)) return false;
            out->Set(key, std::move(value));
            Space();
            if (at >= text.size()) return Fail("unterminated object");
            if (text[at] == '}') {
                ++at;
                return true;
            }
            if (text[at++] != ',') return Fail("',' or '}' expected");
        }
    }

    const std::string& text;
    size_t at = 0;
    std::string message;
};

bool Json::Parse(const std::string& text, Json* out, std::string* error)
{
    JsonParser parser(text);
    return parser.Document(out, error);
}

} // namespace kxemu
