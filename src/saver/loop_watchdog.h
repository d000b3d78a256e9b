#pragma once
// When the window thread counts as stuck: it has not come back to its message loop for
// StuckAfterMs while nothing waits for the user. The window thread reports, another thread
// asks; times are the caller's millisecond clock readings, so the rule needs no clock of its own.
#include <atomic>
#include <cstdint>

namespace vorlix {

class LoopWatchdog {
  public:
    static constexpr std::uint32_t StuckAfterMs = 10000;

    // Watching starts (again) from now.
    void Arm(std::uint32_t now);
    void Disarm();
    // The loop came back.
    void Beat(std::uint32_t now);
    // A dialog or message box waits for the user: the time it takes does not count. These nest.
    void BeginUserWait();
    void EndUserWait(std::uint32_t now);

    bool Stuck(std::uint32_t now) const;

  private:
    std::atomic<bool> armed_{false};
    std::atomic<int> userWaits_{0};
    std::atomic<std::uint32_t> lastBeat_{0};
};

}  // namespace vorlix
