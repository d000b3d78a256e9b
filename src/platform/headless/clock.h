#pragma once
// The headless clocks. Real time by default. A test or the recorder can switch to a virtual
// clock: the readings are what it sets, and SleepMilliseconds advances them instead of
// waiting, so a run can go faster than real time and a wrap at 2^32 can be staged.
#include <cstdint>

namespace vorlix::headless {

void UseVirtualClock(std::uint32_t start);
void UseRealClock();
bool VirtualClockInUse();

void SetVirtualTime(std::uint32_t now);
void AdvanceVirtualTime(std::uint32_t ms);  // wraps at 2^32 as the real clock does
std::uint32_t VirtualTime();

// Real time each virtual sleep still takes, in microseconds; 0 only yields. Lets a waiting
// test thread keep up with a thread that polls the clock.
void SetVirtualSleepCost(std::uint32_t microseconds);

// Called on the reading thread with each virtual reading, before it is returned: a test can
// act at a known point of another thread's loop. Null to remove.
using ClockReadHook = void (*)(std::uint32_t now);
void SetClockReadHook(ClockReadHook hook);

// SleepMilliseconds calls since the process started or the last ResetClock, in either mode.
std::uint64_t SleepCount();

// Back to the start: real time, no sleep cost, no hook, no sleeps counted.
void ResetClock();

}  // namespace vorlix::headless
