#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/debug_log.h"
#include "platform/headless/directories.h"
#include "support/fresh_process.h"
#include "support/temp_directory.h"

namespace vorlix {
namespace {

constexpr int LinesPerThread = 10000;

// Long enough that an unserialised write would be cut by the other thread's.
std::string Message(char thread, int line) {
    std::string text = "[Thread";
    text += thread;
    text += "] line " + std::to_string(line) + " ";
    text += std::string(80, thread);
    return text;
}

class DebugLogThreads : public testing::FreshProcessTest {};

TEST_F(DebugLogThreads, TwoThreadsLogWholeLinesInTheirOwnOrder) {
    testing::TempDirectory dir;
    headless::SetDirectories(dir.Path().c_str(), ".", ".");
    ASSERT_TRUE(InitErrorMsg(true));

    std::atomic<int> ready{0};
    std::atomic<bool> writing{true};
    std::atomic<int> tornReads{0};
    auto writer = [&](char thread) {
        ++ready;
        while (ready.load() < 2) std::this_thread::yield();
        for (int line = 0; line < LinesPerThread; ++line) {
            LogMessage(Message(thread, line).c_str(), LOG_ERROR);
        }
    };
    // The retained text read meanwhile is always some whole message.
    auto reader = [&] {
        while (writing.load()) {
            std::string seen = LastErrorText().Text();
            if (seen.rfind("[InitErrorMsg]", 0) == 0) continue;
            if (seen.size() < 80 ||
                seen.find_first_not_of(seen.back(), seen.size() - 80) != std::string::npos) {
                ++tornReads;
            }
        }
    };
    std::thread watcher(reader);
    std::thread a(writer, 'A');
    std::thread b(writer, 'B');
    a.join();
    b.join();
    writing = false;
    watcher.join();
    EXPECT_EQ(tornReads.load(), 0);

    std::string retained = LastErrorText().Text();
    EXPECT_TRUE(retained == Message('A', LinesPerThread - 1) ||
                retained == Message('B', LinesPerThread - 1))
        << retained;
    StopErrorMsg();

    std::istringstream file(testing::ReadWholeFile(dir.File("vorlix_fs.log")));
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line, "LOG_INFO: [InitErrorMsg] DEBUG SESSION STARTED");
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line, "");
    int next[2] = {0, 0};
    std::string last;
    for (int count = 0; count < 2 * LinesPerThread; ++count) {
        ASSERT_TRUE(std::getline(file, line)) << count;
        ASSERT_EQ(line.rfind("LOG_ERROR: [Thread", 0), 0u) << line;
        char thread = line[18];
        ASSERT_TRUE(thread == 'A' || thread == 'B') << line;
        int& expected = next[thread - 'A'];
        ASSERT_EQ(line, "LOG_ERROR: " + Message(thread, expected)) << count;
        ++expected;
        last = line.substr(11);
    }
    EXPECT_EQ(next[0], LinesPerThread);
    EXPECT_EQ(next[1], LinesPerThread);
    // Among equal levels the latest line written is the one kept.
    EXPECT_EQ(retained, last);
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line, "LOG_INFO: ");
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line, "[StopErrorMsg] DEBUG SESSION TERMINATED");
    EXPECT_FALSE(std::getline(file, line));
}

}  // namespace
}  // namespace vorlix
