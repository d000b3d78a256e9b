#include "platform/sdl/abrupt_end.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "diagnostics/debug_log.h"
// Last: Xlib's macros must not meet the core's names.
#include <X11/Xlib.h>

namespace vorlix::sdl {

namespace {

constexpr const char* XServerLostLine = "[XServer] Connection to the X server lost, exiting";

std::atomic<bool> Ending{false};
std::atomic<int> EndingCode{0};
static_assert(std::atomic<int>::is_always_lock_free, "the alarm handler reads it");

int OnConnectionLost(Display*) {
    EndAbruptly(XServerLostLine, ExitXServerLost);
}

void EndOnAlarm(int) {
    ::_exit(EndingCode.load());
}

// Whatever the last words meet (a full pipe on stderr, a log on a stalled file system), the
// alarm ends the process with its code when the bound has passed.
void ArmDeadline(int code) {
    EndingCode.store(code);
    struct sigaction action {};
    action.sa_handler = EndOnAlarm;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
    sigset_t alarmOnly;
    sigemptyset(&alarmOnly);
    sigaddset(&alarmOnly, SIGALRM);
    ::pthread_sigmask(SIG_UNBLOCK, &alarmOnly, nullptr);
    ::alarm(AbruptEndBoundSeconds);
}

// Straight to the descriptor: stdio's lock may be held by a thread that is stuck in a write.
void TellTerminal(const char* line) {
    char text[512];
    std::size_t length = 0;
    for (const char* part : {"vorlix: ", line, "\n"}) {
        std::size_t size = std::strlen(part);
        if (size > sizeof text - length) size = sizeof text - length;
        std::memcpy(text + length, part, size);
        length += size;
    }
    for (std::size_t done = 0; done < length;) {
        ssize_t put = ::write(STDERR_FILENO, text + done, length - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        done += static_cast<std::size_t>(put);
    }
}

}  // namespace

void EndAbruptly(const char* line, int code) {
    if (Ending.exchange(true)) {
        for (;;) ::pause();
    }
    ArmDeadline(code);
    TellTerminal(line);
    // A thread stuck while holding the log keeps it: the line is then lost, not the exit.
    LogAndStopIfFree(line, LOG_ERROR);
    ::_exit(code);
}

void CatchXServerLoss() {
    XSetIOErrorHandler(OnConnectionLost);
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace vorlix::sdl
