// A clean simulated desktop for each test, and the checks every command must pass:
// nothing left open, no memory left held.
#pragma once

#include <gtest/gtest.h>

#include "host/call_allowance.h"
#include "host/client_version.h"
#include "platform/sim.h"

namespace zel::testing {

class SimTest : public ::testing::Test {
protected:
    // A freshly loaded library: no client version yet, so answers are passed through, and
    // a call with its whole allowance of waiting.
    void SetUp() override {
        sim::Reset();
        RememberClientVersion(0);
        // A call begun and ended: none under way, and the whole allowance for logic the
        // test calls directly.
        BeginCall();
        EndCall();
    }
    void TearDown() override {
        EXPECT_EQ(sim::OpenFiles(), 0) << "a file handle was left open";
        EXPECT_EQ(sim::OpenProcesses(), 0) << "a process handle was left open";
        EXPECT_EQ(sim::OpenKeys(), 0) << "a registry key was left open";
        EXPECT_EQ(sim::HeapBlocks(), 0) << "a memory block was not freed";
        sim::Reset();
        RememberClientVersion(0);
    }
};

}  // namespace zel::testing
