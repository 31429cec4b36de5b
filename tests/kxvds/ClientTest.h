// A scratch machine for each test and short ways to run the client on it.
#pragma once

#include "ClientRun.h"
#include "JsonReader.h"

#include <gtest/gtest.h>

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
