#pragma once
// An Xvfb of the test's own, on a display number it picks itself (-displayfd), so tests never
// meet another suite's server. DISPLAY names it while it runs.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vorlix::testing {

class OwnXServer {
  public:
    OwnXServer() {
        int numberPipe[2];
        if (::pipe(numberPipe) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(numberPipe[0]);
            std::string fd = std::to_string(numberPipe[1]);
            // A test process that dies takes its server with it.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::execlp("Xvfb", "Xvfb", "-noreset", "-displayfd", fd.c_str(), "-screen", "0",
                     "320x240x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(numberPipe[1]);
        display_ = ReadNumber(numberPipe[0]);
        ::close(numberPipe[0]);
        if (!display_.empty()) ::setenv("DISPLAY", display_.c_str(), 1);
    }
    ~OwnXServer() {
        ::unsetenv("DISPLAY");
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    bool Running() const { return !display_.empty(); }

  private:
    // Xvfb writes its number and a newline once it takes connections; nothing if it fails.
    static std::string ReadNumber(int descriptor) {
        std::string number;
        char c;
        while (::read(descriptor, &c, 1) == 1 && c != '\n') number.push_back(c);
        return number.empty() ? number : ":" + number;
    }

    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace vorlix::testing
