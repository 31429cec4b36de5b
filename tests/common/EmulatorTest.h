// A test with a fresh emulated machine and a new disk object; it ends by
// checking that the library handed back every reference and CoTaskMem block.
#pragma once

#include "common/DiskHandles.h"
#include "common/ScratchLog.h"
#include "kxemu/KXEmulator.h"

#include <gtest/gtest.h>

class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, emu.Registration()); }
    void TearDown() override
    {
        disk.reset();
        for (const kxemu::LiveObject& live : emu.LiveObjectList())
            ADD_FAILURE() << "live " << live.kind << " with " << live.references << " references";
        EXPECT_EQ(0, emu.LiveTaskMemBlocks());
        EXPECT_EQ(0, emu.OpenDeviceHandles());
    }

    kxemu::Machine& Machine() { return emu.Machine(); }

    // Starts a log of every record level; the disk object is made anew so
    // that its logger reads the configuration.
    ScratchLog& StartLog()
    {
        disk.reset();
        log.reset();
        log = std::make_unique<ScratchLog>();
        disk.reset(GetVdsDiskInterface());
        return *log;
    }

    kxemu::KXEmulator emu;
    std::unique_ptr<ScratchLog> log;
    DiskPtr disk{GetVdsDiskInterface()};
};
