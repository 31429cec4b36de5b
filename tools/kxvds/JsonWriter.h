// Indented JSON for --json output. The caller nests Begin/End calls and
// precedes every member of an object with Key().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kxvds {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(const std::string& name);
    JsonWriter& String(const std::string& utf8);
    JsonWriter& Number(uint64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // The document, ending in a newline.
    std::string Text() const { return out + "\n"; }

private:
    void BeforeValue();
    JsonWriter& Close(char bracket);

    std::string out;
    std::vector<bool> hasItems;  // one per open object or array
    bool afterKey = false;
};

} // namespace kxvds
