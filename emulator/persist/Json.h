// A small JSON document: enough to keep a machine in a text file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kxemu {

class Json {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    Json() = default;
    static Json Boolean(bool value);
    static Json Number(uint64_t value);
    static Json Number(int64_t value);
    static Json String(const std::string& value);
    static Json Array();
    static Json Object();

    Type GetType() const { return type; }
    bool IsNull() const { return type == Type::Null; }

    // Object members keep their order.
    Json& Set(const std::string& key, Json value);
    Json& Push(Json value);
    const Json* Find(const std::string& key) const;
    const std::vector<Json>& Items() const { return items; }

    // False when the value is of another type or out of range.
    bool Get(bool* out) const;
    bool Get(uint64_t* out) const;
    bool Get(int64_t* out) const;
    bool Get(std::string* out) const;

    std::string Write() const;
    // False with a message that names the offset of the fault.
    static bool Parse(const std::string& text, Json* out, std::string* error);

private:
    void WriteTo(std::string& out, int depth) const;

    Type type = Type::Null;
    bool boolean = false;
    std::string text;   // a number's literal or a string's value
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    friend class JsonParser;
};

} // namespace kxemu
