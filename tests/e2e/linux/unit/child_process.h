#pragma once
// Child processes for the tests of what happens between processes, or at a process's end.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vorlix::testing {

// body runs in a forked child, whose exit code is body's result (body may end it sooner).
inline pid_t StartChild(const std::function<int()>& body) {
    pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    return child;
}

struct ChildEnd {
    bool exited = false;  // on its own, with a code; false: by a signal, or killed past the bound
    int code = -1;
};

// A child that hangs is killed once boundSeconds have passed: the test then fails instead of
// hanging with it.
inline ChildEnd WaitForChild(pid_t child, int boundSeconds) {
    ChildEnd end;
    if (child <= 0) return end;
    int status = 0;
    for (int waited = 0; waited < boundSeconds * 100; ++waited) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            end.exited = WIFEXITED(status);
            end.code = end.exited ? WEXITSTATUS(status) : -1;
            return end;
        }
        ::usleep(10000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return end;
}

}  // namespace vorlix::testing
