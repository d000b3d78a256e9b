#include "platform/sdl/abrupt_end.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "child_process.h"
#include "diagnostics/debug_log.h"
#include "platform/posix/file_faults.h"
#include "support/temp_directory.h"

namespace vorlix::sdl {

namespace {

using vorlix::testing::StartChild;
using vorlix::testing::TempDirectory;
using vorlix::testing::WaitForChild;

constexpr int EndCode = 7;
constexpr const char* Line = "[Test] ending now";
// Far beyond the abrupt end's own bound: only a hang reaches it.
constexpr int HangSeconds = 30;

// Fills the pipe behind stderr until one more byte would block.
void FillStderr() {
    int flags = ::fcntl(STDERR_FILENO, F_GETFL);
    ::fcntl(STDERR_FILENO, F_SETFL, flags | O_NONBLOCK);
    char block[4096] = {};
    while (::write(STDERR_FILENO, block, sizeof block) > 0) {
    }
    ::fcntl(STDERR_FILENO, F_SETFL, flags);
}

// A thread that stops inside a log line, holding the log, as on a stalled home directory.
void StallALogLine() {
    posix::StallWrites(true);
    std::thread([] { LogMessage("[Test] stuck in the middle of this line", LOG_INFO); }).detach();
    for (int i = 0; i < 10000 && posix::StalledWrites() == 0; ++i) ::usleep(1000);
}

class AbruptEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(::pipe(stderrPipe_), 0);
        ::setenv("XDG_STATE_HOME", logs_.Path().string().c_str(), 1);
    }
    void TearDown() override {
        ::close(stderrPipe_[0]);
        ::close(stderrPipe_[1]);
        ::unsetenv("XDG_STATE_HOME");
    }
    // The child's stderr is the pipe, which nobody reads while it runs.
    pid_t StartEnding(bool stallLog, bool fullStderr) {
        return StartChild([&]() -> int {
            ::dup2(stderrPipe_[1], STDERR_FILENO);
            InitErrorMsg(true);
            if (stallLog) StallALogLine();
            if (fullStderr) FillStderr();
            EndAbruptly(Line, EndCode);
        });
    }
    std::string Stderr() {
        ::close(stderrPipe_[1]);
        stderrPipe_[1] = ::open("/dev/null", O_WRONLY);
        std::string text;
        char buffer[4096];
        ::fcntl(stderrPipe_[0], F_SETFL, O_NONBLOCK);
        for (ssize_t got; (got = ::read(stderrPipe_[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(got));
        return text;
    }
    std::string Log() { return vorlix::testing::ReadWholeFile(logs_.File("vorlix/vorlix_fs.log")); }

    TempDirectory logs_;
    int stderrPipe_[2] = {-1, -1};
};

TEST_F(AbruptEnd, SaysWhyOnStderrAndInTheClosedLog) {
    vorlix::testing::ChildEnd end = WaitForChild(StartEnding(false, false), HangSeconds);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.code, EndCode);
    EXPECT_EQ(Stderr(), std::string("vorlix: ") + Line + "\n");
    std::string log = Log();
    EXPECT_NE(log.find(std::string("LOG_ERROR: ") + Line + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("DEBUG SESSION TERMINATED"), std::string::npos) << log;
}

// The watchdog's way out must not wait for the thread it gives up on.
TEST_F(AbruptEnd, EndsWithItsCodeWhileAnotherThreadIsStuckInTheLog) {
    vorlix::testing::ChildEnd end = WaitForChild(StartEnding(true, false), HangSeconds);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.code, EndCode);
    EXPECT_EQ(Stderr(), std::string("vorlix: ") + Line + "\n");
}

TEST_F(AbruptEnd, EndsWithItsCodeWhenNobodyReadsStderr) {
    vorlix::testing::ChildEnd end = WaitForChild(StartEnding(false, true), HangSeconds);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.code, EndCode);
}

TEST_F(AbruptEnd, EndsWithItsCodeWithBothHeldUp) {
    vorlix::testing::ChildEnd end = WaitForChild(StartEnding(true, true), HangSeconds);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.code, EndCode);
}

}  // namespace

}  // namespace vorlix::sdl
