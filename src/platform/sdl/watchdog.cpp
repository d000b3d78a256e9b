#include "platform/sdl/watchdog.h"

#include "platform/desktop.h"
#include "platform/sdl/abrupt_end.h"
#include "platform/sdl/wayland_display.h"
#include "platform/sdl/x11_windows.h"
#include "saver/loop_watchdog.h"

namespace vorlix::sdl {

namespace {

constexpr std::uint32_t LookEveryMs = 250;
// The draw thread may be the one held by a server that stopped answering while the loop only
// waits for events that cannot come: asking the server now and then makes the loop notice.
constexpr std::uint32_t AskServerEveryMs = 1000;
std::uint32_t LastAsked = 0;  // window thread only
constexpr const char* StuckLine =
    "[Watchdog] Window thread away from its message loop for 10 seconds, exiting";

LoopWatchdog& Watchdog() {
    static LoopWatchdog watchdog;
    return watchdog;
}

void Watch() {
    for (;;) {
        platform::SleepMilliseconds(LookEveryMs);
        if (Watchdog().Stuck(platform::TickCount())) EndAbruptly(StuckLine, ExitWindowThreadStuck);
    }
}

}  // namespace

void StartWatchdog() {
    Watchdog().Arm(platform::TickCount());
    // Without the thread the saver runs unguarded, as it did before there was one.
    static const bool started = platform::StartThread(Watch);
    (void)started;
}

void WatchdogBeat() {
    std::uint32_t now = platform::TickCount();
    Watchdog().Beat(now);
    WaylandBeat(now);
    if (now - LastAsked < AskServerEveryMs) return;
    LastAsked = now;
    X11RoundTrip();
}

UserWait::UserWait() {
    Watchdog().BeginUserWait();
}
UserWait::~UserWait() {
    Watchdog().EndUserWait(platform::TickCount());
}

}  // namespace vorlix::sdl
