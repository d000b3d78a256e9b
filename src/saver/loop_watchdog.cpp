#include "saver/loop_watchdog.h"

namespace vorlix {

void LoopWatchdog::Arm(std::uint32_t now) {
    lastBeat_.store(now);
    armed_.store(true);
}

void LoopWatchdog::Disarm() {
    armed_.store(false);
}

void LoopWatchdog::Beat(std::uint32_t now) {
    lastBeat_.store(now);
}

void LoopWatchdog::BeginUserWait() {
    userWaits_.fetch_add(1);
}

// The beat first: a watcher that sees the wait over also sees the time restarted.
void LoopWatchdog::EndUserWait(std::uint32_t now) {
    lastBeat_.store(now);
    if (userWaits_.load() > 0) userWaits_.fetch_sub(1);
}

// The difference is taken as signed: it stays right across the clock's wrap, and a beat that
// came after the asker read its clock is no age at all.
bool LoopWatchdog::Stuck(std::uint32_t now) const {
    if (!armed_.load() || userWaits_.load() > 0) return false;
    const auto age = static_cast<std::int32_t>(now - lastBeat_.load());
    return age >= static_cast<std::int32_t>(StuckAfterMs);
}

}  // namespace vorlix
