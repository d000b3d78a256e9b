#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>

#include "platform/desktop.h"
#include "platform/headless/clock.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

std::atomic<std::uint32_t> LastSeen{0};
void Remember(std::uint32_t now) {
    LastSeen.store(now);
}

class HeadlessClock : public testing::FreshProcessTest {};

TEST_F(HeadlessClock, VirtualTimeMovesOnlyWithSleepsAndWrapsAtTwoToThe32) {
    headless::UseVirtualClock(0xFFFFFFF0u);
    EXPECT_TRUE(headless::VirtualClockInUse());
    EXPECT_EQ(platform::MultimediaTime(), 0xFFFFFFF0u);
    EXPECT_EQ(platform::TickCount(), 0xFFFFFFF0u);
    const std::uint64_t sleeps = headless::SleepCount();
    platform::SleepMilliseconds(10);
    EXPECT_EQ(platform::MultimediaTime(), 0xFFFFFFFAu);
    platform::SleepMilliseconds(30);  // past 2^32
    EXPECT_EQ(platform::MultimediaTime(), 24u);
    EXPECT_EQ(platform::MultimediaTime() - 0xFFFFFFF0u, 40u);
    EXPECT_EQ(headless::SleepCount(), sleeps + 2);
    headless::AdvanceVirtualTime(0x80000000u);
    EXPECT_EQ(headless::VirtualTime(), 0x80000018u);
    headless::SetVirtualTime(7);
    EXPECT_EQ(platform::MultimediaTime(), 7u);
    headless::UseRealClock();
    EXPECT_FALSE(headless::VirtualClockInUse());
}

TEST_F(HeadlessClock, ReadHookSeesEachVirtualReading) {
    headless::UseVirtualClock(1234);
    headless::SetClockReadHook(Remember);
    EXPECT_EQ(platform::TickCount(), 1234u);
    EXPECT_EQ(LastSeen.load(), 1234u);
    headless::SetClockReadHook(nullptr);
    headless::SetVirtualTime(99);
    platform::MultimediaTime();
    EXPECT_EQ(LastSeen.load(), 1234u);
}

TEST_F(HeadlessClock, RealClockGoesForwardAcrossASleep) {
    const std::uint32_t before = platform::MultimediaTime();
    platform::SleepMilliseconds(5);
    EXPECT_GT(platform::MultimediaTime() - before, 0u);
}

}  // namespace
}  // namespace vorlix
