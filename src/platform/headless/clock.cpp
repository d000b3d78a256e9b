#include "platform/headless/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/desktop.h"

namespace vorlix::headless {

namespace {

std::atomic<bool> Virtual{false};
std::atomic<std::uint32_t> Now{0};
std::atomic<std::uint32_t> SleepCostMicroseconds{0};
std::atomic<ClockReadHook> ReadHook{nullptr};
std::atomic<std::uint64_t> Sleeps{0};

// Milliseconds on the monotonic clock, which on Linux counts from boot like GetTickCount.
std::uint32_t RealMilliseconds() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<std::uint32_t>(ms);
}

std::uint32_t Reading() {
    if (!Virtual.load()) return RealMilliseconds();
    const std::uint32_t now = Now.load();
    if (ClockReadHook hook = ReadHook.load()) hook(now);
    return now;
}

}  // namespace

void UseVirtualClock(std::uint32_t start) {
    Now.store(start);
    Virtual.store(true);
}

void UseRealClock() {
    Virtual.store(false);
}
bool VirtualClockInUse() {
    return Virtual.load();
}
void SetVirtualTime(std::uint32_t now) {
    Now.store(now);
}
void AdvanceVirtualTime(std::uint32_t ms) {
    Now.fetch_add(ms);
}
std::uint32_t VirtualTime() {
    return Now.load();
}
void SetVirtualSleepCost(std::uint32_t microseconds) {
    SleepCostMicroseconds.store(microseconds);
}
void SetClockReadHook(ClockReadHook hook) {
    ReadHook.store(hook);
}
std::uint64_t SleepCount() {
    return Sleeps.load();
}
void ResetClock() {
    Virtual.store(false);
    Now.store(0);
    SleepCostMicroseconds.store(0);
    ReadHook.store(nullptr);
    Sleeps.store(0);
}

}  // namespace vorlix::headless

namespace vorlix::platform {

std::uint32_t TickCount() {
    return headless::Reading();
}
std::uint32_t MultimediaTime() {
    return headless::Reading();
}

void SleepMilliseconds(std::uint32_t ms) {
    headless::Sleeps.fetch_add(1);
    if (headless::Virtual.load()) {
        headless::Now.fetch_add(ms);
        const std::uint32_t cost = headless::SleepCostMicroseconds.load();
        if (cost == 0) {
            std::this_thread::yield();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(cost));
        }
        return;
    }
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace vorlix::platform
