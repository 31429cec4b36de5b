// A scratch machine for each test and short ways to run the client on it.
#pragma once

#include "ClientRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using Json = nlohmann::json;

// False, with `error` set, when `text` is not exactly one JSON document.
inline bool ParseJson(const std::string& text, Json* value, std::string* error)
{
    try {
        *value = Json::parse(text);
        return true;
    } catch (const Json::parse_error& e) {
        *error = e.what();
        return false;
    }
}

inline bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class ClientTest : public ::testing::Test {
protected:
    // Runs with --json on the scratch machine; the run must succeed and print
    // one JSON document.
    Json RunJson(std::vector<std::string> args)
    {
        args.insert(args.begin(), "--json");
        const ClientResult r = scratch.Run(args);
        EXPECT_EQ(0, r.status) << r.err;
        Json value;
        std::string error;
        EXPECT_TRUE(ParseJson(r.out, &value, &error)) << error << "\n" << r.out;
        return value;
    }

    ClientScratch scratch;
};
