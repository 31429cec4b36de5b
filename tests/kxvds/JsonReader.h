// A strict reader of the client's JSON (RFC 8259 subset it can produce and
// more): a document that does not parse is a test failure, not a crash.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Null;
    bool boolean = false;
    uint64_t number = 0;       // whole, non-negative numbers only: all the client prints
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& key) const;  // Null when absent
    const Json& operator[](size_t index) const;
    bool Has(const std::string& key) const { return members.count(key) != 0; }
};

// False, with `error` set, when `text` is not exactly one JSON value.
bool ParseJson(const std::string& text, Json* value, std::string* error);
