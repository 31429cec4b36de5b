#include "JsonReader.h"

#include <cctype>
#include <stdexcept>

namespace {

class Reader {
public:
    explicit Reader(const std::string& t) : text(t) {}

    Json Document()
    {
        Json value = Value();
        Space();
        if (at != text.size()) Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& why)
    {
        throw std::runtime_error(why + " at offset " + std::to_string(at));
    }

    void Space()
    {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r' || text[at] == '\t')) ++at;
    }

    bool Take(char c)
    {
        Space();
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }

    void Expect(char c)
    {
        if (!Take(c)) Fail(std::string("expected '") + c + "'");
    }

    bool Word(const char* word)
    {
        const std::string w = word;
        if (text.compare(at, w.size(), w) != 0) return false;
        at += w.size();
        return true;
    }

    std::string StringBody()
    {
        Expect('"');
        std::string out;
        for (;;) {
            if (at >= text.size()) Fail("unterminated string");
            const char c = text[at++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at >= text.size()) Fail("unterminated escape");
            const char e = text[at++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                if (at + 4 > text.size()) Fail("short \\u escape");
                const unsigned code = static_cast<unsigned>(std::stoul(text.substr(at, 4), nullptr, 16));
                at += 4;
                if (code >= 0x80) Fail("non-ASCII \\u escape not expected from the client");
                out += static_cast<char>(code);
                break;
            }
            default: Fail("bad escape");
            }
        }
    }

    Json Value()
    {
        Space();
        if (at >= text.size()) Fail("missing value");
        Json v;
        const char c = text[at];
        if (c == '{') {
            ++at;
            v.kind = Json::Object;
            if (Take('}')) return v;
            do {
                Space();
                const std::string key = StringBody();
                Expect(':');
                if (v.members.count(key)) Fail("duplicate key " + key);
                v.members[key] = Value();
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++at;
            v.kind = Json::Array;
            if (Take(']')) return v;
            do v.items.push_back(Value());
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            v.kind = Json::String;
            v.text = StringBody();
        } else if (Word("true")) {
            v.kind = Json::Bool;
            v.boolean = true;
        } else if (Word("false")) {
            v.kind = Json::Bool;
        } else if (Word("null")) {
            v.kind = Json::Null;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            v.kind = Json::Number;
            if (c == '0' && at + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[at + 1])))
                Fail("leading zero");
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
                v.number = v.number * 10 + static_cast<uint64_t>(text[at++] - '0');
        } else {
            Fail(std::string("unexpected '") + c + "'");
        }
        return v;
    }

    const std::string& text;
    size_t at = 0;
};

const Json kNull;

} // namespace

const Json& Json::operator[](const std::string& key) const
{
    auto found = members.find(key);
    return found == members.end() ? kNull : found->second;
}

const Json& Json::operator[](size_t index) const
{
    return index < items.size() ? items[index] : kNull;
}

bool ParseJson(const std::string& text, Json* value, std::string* error)
{
    try {
        *value = Reader(text).Document();
        return true;
    } catch (const std::exception& e) {
        *error = e.what();
        return false;
    }
}
