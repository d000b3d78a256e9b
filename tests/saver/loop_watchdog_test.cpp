#include "saver/loop_watchdog.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vorlix {
namespace {

constexpr std::uint32_t Limit = LoopWatchdog::StuckAfterMs;

TEST(LoopWatchdog, StuckOnlyOnceArmedAndSilentForTheWholeLimit) {
    LoopWatchdog watchdog;
    EXPECT_FALSE(watchdog.Stuck(5 * Limit)) << "not armed";
    watchdog.Arm(1000);
    EXPECT_FALSE(watchdog.Stuck(1000 + Limit - 1));
    EXPECT_TRUE(watchdog.Stuck(1000 + Limit));
    watchdog.Beat(1000 + Limit);
    EXPECT_FALSE(watchdog.Stuck(1000 + 2 * Limit - 1));
    EXPECT_TRUE(watchdog.Stuck(1000 + 2 * Limit));
    watchdog.Disarm();
    EXPECT_FALSE(watchdog.Stuck(1000 + 3 * Limit));
    watchdog.Arm(1000 + 3 * Limit);
    EXPECT_FALSE(watchdog.Stuck(1000 + 3 * Limit + 1)) << "arming restarts the count";
}

TEST(LoopWatchdog, WaitsForTheUserDoNotCountAndNest) {
    LoopWatchdog watchdog;
    watchdog.Arm(0);
    watchdog.BeginUserWait();
    watchdog.BeginUserWait();
    EXPECT_FALSE(watchdog.Stuck(10 * Limit));
    watchdog.EndUserWait(10 * Limit);
    EXPECT_FALSE(watchdog.Stuck(20 * Limit)) << "one box still open";
    watchdog.EndUserWait(20 * Limit);
    EXPECT_FALSE(watchdog.Stuck(21 * Limit - 1)) << "the count restarts when the box goes";
    EXPECT_TRUE(watchdog.Stuck(21 * Limit));
    watchdog.EndUserWait(21 * Limit);  // one end too many changes nothing lasting
    watchdog.BeginUserWait();
    EXPECT_FALSE(watchdog.Stuck(30 * Limit));
}

TEST(LoopWatchdog, ClockWrapAndLateReadingsAreNoAge) {
    LoopWatchdog watchdog;
    const std::uint32_t nearWrap = 0xFFFFFFFFu - 100;
    watchdog.Arm(nearWrap);
    EXPECT_FALSE(watchdog.Stuck(nearWrap + 200));  // past the wrap, 200 ms on
    EXPECT_TRUE(watchdog.Stuck(nearWrap + Limit));
    // The asker read its clock, then the loop beat with a later reading.
    watchdog.Beat(5000);
    EXPECT_FALSE(watchdog.Stuck(4990));
}

}  // namespace
}  // namespace vorlix
