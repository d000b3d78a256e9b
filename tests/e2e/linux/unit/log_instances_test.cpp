#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "diagnostics/debug_log.h"
#include "support/temp_directory.h"

namespace vorlix {

namespace {

using testing::ReadWholeFile;
using testing::StartChild;
using testing::TempDirectory;
using testing::WaitForChild;

constexpr int Instances = 2;
constexpr int LinesEach = 2000;
constexpr int HangSeconds = 60;

const std::string StartLine = "LOG_INFO: [InitErrorMsg] DEBUG SESSION STARTED\n\n";
const std::string StopLines = "LOG_INFO: \n[StopErrorMsg] DEBUG SESSION TERMINATED\n";

std::string LineOf(int instance, int line) {
    return "[Test] instance " + std::to_string(instance) + " line " + std::to_string(line);
}

// What one instance's whole log holds.
std::string WholeLog(int instance) {
    std::string text = StartLine;
    for (int line = 0; line < LinesEach; ++line)
        text += "LOG_INFO: " + LineOf(instance, line) + "\n";
    return text + StopLines;
}

// Each child opens its log, says so, and starts writing only once every child has its log
// open: all of them write at the same time.
int RunInstance(int instance, int readyPipe, int goPipe) {
    if (!InitErrorMsg(true)) return 2;
    char byte = 1;
    if (::write(readyPipe, &byte, 1) != 1) return 3;
    if (::read(goPipe, &byte, 1) != 0) return 4;  // the end of the pipe is the signal
    for (int line = 0; line < LinesEach; ++line)
        LogMessage(LineOf(instance, line).c_str(), LOG_INFO);
    StopErrorMsg();
    return 0;
}

class LogInstances : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("XDG_STATE_HOME", logs_.Path().string().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_STATE_HOME"); }
    TempDirectory logs_;
};

// XScreenSaver starts one saver per monitor, all writing their logs at once.
TEST_F(LogInstances, EachRunningInstanceKeepsAWholeLogOfItsOwn) {
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int instance = 0; instance < Instances; ++instance) {
        children.push_back(StartChild([&, instance] {
            ::close(go[1]);
            return RunInstance(instance, ready[1], go[0]);
        }));
    }
    ::close(ready[1]);
    ::close(go[0]);
    char byte;
    int opened = 0;
    while (opened < Instances && ::read(ready[0], &byte, 1) == 1) ++opened;
    ::close(go[1]);
    ::close(ready[0]);
    EXPECT_EQ(opened, Instances);
    for (pid_t child : children) {
        testing::ChildEnd end = WaitForChild(child, HangSeconds);
        EXPECT_TRUE(end.exited);
        EXPECT_EQ(end.code, 0);
    }

    std::map<std::string, std::string> logs;
    for (const auto& entry : std::filesystem::directory_iterator(logs_.Path() / "vorlix"))
        logs[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    ASSERT_EQ(logs.size(), 2u);
    ASSERT_EQ(logs.count("vorlix_fs.log"), 1u);
    ASSERT_EQ(logs.count("vorlix_fs-2.log"), 1u);
    // Either instance may have come first.
    const std::string& first = logs["vorlix_fs.log"];
    const std::string& second = logs["vorlix_fs-2.log"];
    bool zeroFirst = first == WholeLog(0) && second == WholeLog(1);
    bool oneFirst = first == WholeLog(1) && second == WholeLog(0);
    EXPECT_TRUE(zeroFirst || oneFirst) << "vorlix_fs.log begins:\n"
                                       << first.substr(0, 300) << "\nvorlix_fs-2.log begins:\n"
                                       << second.substr(0, 300);
}

}  // namespace

}  // namespace vorlix
