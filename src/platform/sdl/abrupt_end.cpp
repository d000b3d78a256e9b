#include "platform/sdl/abrupt_end.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "diagnostics/debug_log.h"
// Last: Xlib's macros must not meet the core's names.
#include <X11/Xlib.h>

namespace vorlix::sdl {

namespace {

constexpr const char* XServerLostLine = "[XServer] Connection to the X server lost, exiting";

std::atomic<bool> Ending{false};

int OnConnectionLost(Display*) {
    EndAbruptly(XServerLostLine, ExitXServerLost);
}

}  // namespace

void EndAbruptly(const char* line, int code) {
    if (Ending.exchange(true)) {
        for (;;) ::pause();
    }
    std::fprintf(stderr, "vorlix: %s\n", line);
    LogMessage(line, LOG_ERROR);
    StopErrorMsg();
    ::_exit(code);
}

void CatchXServerLoss() {
    XSetIOErrorHandler(OnConnectionLost);
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace vorlix::sdl
