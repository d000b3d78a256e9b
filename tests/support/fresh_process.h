#pragma once
// The unit tests share one process. A fixture that touches a process-wide value (settings,
// thread flags, saver state, the log, the blitters' clip, the headless host) starts from the
// state a fresh process has, whatever test ran before it.
#include <gtest/gtest.h>

namespace vorlix::testing {

// Every subsystem's process-wide values back to their start-of-process state. Only while no
// saver window and no draw thread are left from an earlier test.
void ResetProcessState();

// Resets in its constructor, before a derived fixture's constructor or SetUp sets anything.
class FreshProcessTest : public ::testing::Test {
protected:
    FreshProcessTest() { ResetProcessState(); }
};

}  // namespace vorlix::testing
