#include "diagnostics/debug_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "diagnostics/diagnostics_reset.h"
#include "diagnostics/message_names.h"
#include "platform/file_system.h"
#include "platform/headless/directories.h"
#include "platform/headless/message_boxes.h"
#include "platform/posix/file_faults.h"
#include "platform/window_messages.h"
#include "support/fresh_process.h"
#include "support/temp_directory.h"

namespace vorlix {
namespace {

using testing::ReadWholeFile;
using testing::TempDirectory;
using testing::WriteWholeFile;

const std::string StartLine = "LOG_INFO: [InitErrorMsg] DEBUG SESSION STARTED\n\n";
const std::string StopLines = "LOG_INFO: \n[StopErrorMsg] DEBUG SESSION TERMINATED\n";

class DebugLog : public testing::FreshProcessTest {
  protected:
    void SetUp() override {
        headless::SetDirectories(dir_.Path().c_str(), ".", ".");
    }
    void TearDown() override { StopErrorMsg(); }

    std::string FullScreenLog() const { return ReadWholeFile(dir_.File("vorlix_fs.log")); }
    std::string PreviewLog() const { return ReadWholeFile(dir_.File("vorlix.log")); }

    TempDirectory dir_;
};

TEST_F(DebugLog, FreshLogHoldsOnlyThe48ByteStartLine) {
    ASSERT_TRUE(InitErrorMsg(true));
    EXPECT_EQ(StartLine.size(), 48u);
    EXPECT_EQ(FullScreenLog(), StartLine);
}

TEST_F(DebugLog, ResetClosesWithoutTheEndLineAndForgetsTheError) {
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("kept", LOG_PANIC);
    GetMessageName(0xBEEF);
    ResetDiagnosticsState();
    EXPECT_EQ(FullScreenLog(), StartLine + "LOG_PANIC: kept\n");
    EXPECT_STREQ(LastErrorText().Text(), "No Error");
    EXPECT_EQ(LastErrorLevel(), 0u);
    EXPECT_STREQ(SharedTitleBuffer, "");
    LogMessage("after", LOG_ERROR);  // closed: neither written nor retained
    EXPECT_EQ(FullScreenLog(), StartLine + "LOG_PANIC: kept\n");
    EXPECT_EQ(LastErrorLevel(), 0u);
}

TEST_F(DebugLog, EachModeWritesItsOwnFile) {
    ASSERT_TRUE(InitErrorMsg(false));
    LogMessage("[WM_CREATE] preview", LOG_GOSSIP);
    StopErrorMsg();
    EXPECT_EQ(PreviewLog(), StartLine + "LOG_GOSSIP: [WM_CREATE] preview\n" + StopLines);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("vorlix_fs.log")));
}

TEST_F(DebugLog, EveryLevelHasItsPrefixAndLinesAreExact) {
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("spam", LOG_SPAM);
    LogMessage("gossip", LOG_GOSSIP);
    LogMessage("info", LOG_INFO);
    LogMessage("warning", LOG_WARNING);
    LogMessage("error", LOG_ERROR);
    LogMessage("panic", LOG_PANIC);
    LogMessage("six", 6);
    LogMessage("x", 9);
    LogMessage("first\nsecond\r\nthird", LOG_INFO);
    LogMessage("", LOG_INFO);
    StopErrorMsg();
    EXPECT_EQ(FullScreenLog(), StartLine +
                                   "LOG_SPAM: spam\n"
                                   "LOG_GOSSIP: gossip\n"
                                   "LOG_INFO: info\n"
                                   "LOG_WARNING: warning\n"
                                   "LOG_ERROR: error\n"
                                   "LOG_PANIC: panic\n"
                                   "LOG_PANIC (UNRECONGNIZED STATE): six\n"
                                   "LOG_PANIC (UNRECONGNIZED STATE): x\n"
                                   "LOG_INFO: first\nsecond\r\nthird\n"
                                   "LOG_INFO: \n" +
                                   StopLines);
    EXPECT_STREQ(LastErrorText().Text(), "x");
    EXPECT_EQ(LastErrorLevel(), 9u);
}

TEST_F(DebugLog, StringFormWritesTheStringsOwnText) {
    ASSERT_TRUE(InitErrorMsg(true));
    String message("[GraphicsLoader::LoadAnimation] version ");
    message.Append(3);
    LogMessage(message, LOG_ERROR);
    EXPECT_EQ(FullScreenLog(),
              StartLine + "LOG_ERROR: [GraphicsLoader::LoadAnimation] version 3\n");
    EXPECT_STREQ(LastErrorText().Text(), message.Text());
}

TEST_F(DebugLog, ReopeningLeavesOnlyTheSecondRun) {
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("first run", LOG_INFO);
    StopErrorMsg();
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("second run", LOG_INFO);
    StopErrorMsg();
    EXPECT_EQ(FullScreenLog(), StartLine + "LOG_INFO: second run\n" + StopLines);
}

// XScreenSaver runs one saver per monitor, all at once: a log another running instance holds
// is neither emptied nor written, and the next free name is taken.
TEST_F(DebugLog, AnotherRunningInstancesLogIsLeftToIt) {
    bool busy = false;
    int other = platform::OpenForWritingAlone(dir_.File("vorlix_fs.log").c_str(), busy);
    ASSERT_GE(other, 0);
    ASSERT_EQ(platform::WriteDescriptor(other, "theirs\n", 7), 7);

    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("mine", LOG_INFO);
    StopErrorMsg();
    EXPECT_EQ(FullScreenLog(), "theirs\n");
    EXPECT_EQ(ReadWholeFile(dir_.File("vorlix_fs-2.log")),
              StartLine + "LOG_INFO: mine\n" + StopLines);

    // Once it has ended, its name is the first free one again.
    platform::CloseDescriptor(other);
    ASSERT_TRUE(InitErrorMsg(true));
    StopErrorMsg();
    EXPECT_EQ(FullScreenLog(), StartLine + StopLines);
}

TEST_F(DebugLog, WithEveryNameHeldThereIsNoLogAndNothingIsEmptied) {
    std::vector<int> held;
    for (const char* name :
         {"vorlix.log", "vorlix-2.log", "vorlix-3.log", "vorlix-4.log", "vorlix-5.log",
          "vorlix-6.log", "vorlix-7.log", "vorlix-8.log", "vorlix-9.log"}) {
        bool busy = false;
        held.push_back(platform::OpenForWritingAlone(dir_.File(name).c_str(), busy));
        ASSERT_GE(held.back(), 0) << name;
        ASSERT_EQ(platform::WriteDescriptor(held.back(), "x", 1), 1);
    }
    EXPECT_FALSE(InitErrorMsg(false));
    LogMessage("dropped", LOG_ERROR);
    StopErrorMsg();
    EXPECT_EQ(PreviewLog(), "x");
    EXPECT_EQ(ReadWholeFile(dir_.File("vorlix-9.log")), "x");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("vorlix-10.log")));
    for (int descriptor : held) platform::CloseDescriptor(descriptor);
}

// The abrupt end's way of logging: never waits for a thread stuck inside a line.
TEST_F(DebugLog, LoggingAtTheEndOnlyTakesAFreeLog) {
    ASSERT_TRUE(InitErrorMsg(true));
    posix::StallWrites(true);
    std::thread stuck([] { LogMessage("stuck", LOG_INFO); });
    for (int i = 0; i < 10000 && posix::StalledWrites() == 0; ++i) ::usleep(1000);
    bool stalled = posix::StalledWrites() == 1;
    bool logged = LogAndStopIfFree("last words", LOG_ERROR);
    posix::StallWrites(false);
    EXPECT_TRUE(stalled);
    EXPECT_FALSE(logged);
    stuck.join();

    EXPECT_TRUE(LogAndStopIfFree("last words", LOG_ERROR));
    EXPECT_EQ(FullScreenLog(), StartLine + "LOG_INFO: stuck\nLOG_ERROR: last words\n" + StopLines);
    LogMessage("after", LOG_INFO);  // closed
    EXPECT_EQ(FullScreenLog(), StartLine + "LOG_INFO: stuck\nLOG_ERROR: last words\n" + StopLines);
}

TEST_F(DebugLog, LatestOfTheMostSevereIsRetained) {
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("A", LOG_ERROR);
    LogMessage("B", LOG_INFO);
    EXPECT_STREQ(LastErrorText().Text(), "A");
    LogMessage("C", LOG_ERROR);
    EXPECT_STREQ(LastErrorText().Text(), "C");
    EXPECT_EQ(LastErrorLevel(), LOG_ERROR);

    ShowErrorMsg(42);
    auto boxes = headless::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, 42u);
    EXPECT_EQ(boxes[0].text, "C");
    EXPECT_EQ(boxes[0].caption, "Vorlix");
    EXPECT_EQ(boxes[0].style, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL | MB_SETFOREGROUND);
    EXPECT_STREQ(LastErrorText().Text(), "No Error");
    EXPECT_EQ(LastErrorLevel(), 0u);

    // Reset, so nothing is shown a second time.
    ShowErrorMsg(42);
    EXPECT_EQ(headless::RecordedMessageBoxes().size(), 1u);
}

TEST_F(DebugLog, LowLevelsNeverShowABoxAndAreReset) {
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("warning", LOG_WARNING);
    EXPECT_STREQ(LastErrorText().Text(), "warning");
    ShowErrorMsg(0);
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
    EXPECT_STREQ(LastErrorText().Text(), "No Error");
    EXPECT_EQ(LastErrorLevel(), 0u);
}

TEST_F(DebugLog, LongErrorIsWrittenWholeButRetainedAs254) {
    ASSERT_TRUE(InitErrorMsg(true));
    std::string message(300, 'e');
    message[0] = '[';
    LogMessage(message.c_str(), LOG_ERROR);
    EXPECT_EQ(FullScreenLog(), StartLine + "LOG_ERROR: " + message + "\n");
    ShowErrorMsg(0);
    auto boxes = headless::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, message.substr(0, 254));
}

TEST_F(DebugLog, BoxThatCannotAppearIsLoggedButNotRetained) {
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("[DDrawManager::CreateDirectDraw] failed", LOG_PANIC);
    headless::SetMessageBoxAnswer(0);
    ShowErrorMsg(7);
    EXPECT_EQ(headless::RecordedMessageBoxes().size(), 1u);
    EXPECT_STREQ(LastErrorText().Text(), "No Error");
    EXPECT_EQ(LastErrorLevel(), 0u);
    EXPECT_EQ(FullScreenLog(), StartLine +
                                   "LOG_PANIC: [DDrawManager::CreateDirectDraw] failed\n"
                                   "LOG_ERROR: [ShowErrorMsg] Unable to display error message\n");
}

TEST_F(DebugLog, OpeningClearsTheRetainedError) {
    ASSERT_TRUE(InitErrorMsg(true));
    LogMessage("old", LOG_PANIC);
    StopErrorMsg();
    // Closing keeps it, so teardown can still show it.
    EXPECT_STREQ(LastErrorText().Text(), "old");
    EXPECT_EQ(LastErrorLevel(), LOG_PANIC);
    ASSERT_TRUE(InitErrorMsg(false));
    EXPECT_EQ(LastErrorLevel(), LOG_INFO);
    EXPECT_STREQ(LastErrorText().Text(), "[InitErrorMsg] DEBUG SESSION STARTED\n");
}

class DebugLogClosed : public testing::FreshProcessTest {};

TEST_F(DebugLogClosed, NothingIsWrittenOrRetainedWhileClosed) {
    TempDirectory dir;
    headless::SetDirectories(dir.Path().c_str(), ".", ".");
    LogMessage("lost", LOG_PANIC);
    EXPECT_STREQ(LastErrorText().Text(), "No Error");
    EXPECT_EQ(LastErrorLevel(), 0u);
    ShowErrorMsg(0);
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
    StopErrorMsg();
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(DebugLogClosed, UnwritableDirectoryRunsWithoutALog) {
    TempDirectory dir;
    headless::SetDirectories(dir.File("missing").c_str(), ".", ".");
    EXPECT_FALSE(InitErrorMsg(true));
    LogMessage("dropped", LOG_ERROR);
    EXPECT_STREQ(LastErrorText().Text(), "No Error");
    ShowErrorMsg(0);
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
    StopErrorMsg();
}

TEST_F(DebugLogClosed, FailedOpenStillEmptiesTheOldFile) {
    TempDirectory dir;
    headless::SetDirectories(dir.Path().c_str(), ".", ".");
    WriteWholeFile(dir.File("vorlix_fs.log"), "last run's lines\n");
    posix::FailOpensForWriting(1);
    EXPECT_FALSE(InitErrorMsg(true));
    LogMessage("dropped", LOG_ERROR);
    StopErrorMsg();
    EXPECT_EQ(ReadWholeFile(dir.File("vorlix_fs.log")), "");
}

TEST_F(DebugLogClosed, UnreadableOrOverlongDirectoryOpensNoFile) {
    headless::SetDirectories(nullptr, ".", ".");
    EXPECT_FALSE(InitErrorMsg(true));

    TempDirectory dir;
    // A path the 254-character text would cut must not become some other file.
    std::string deep = dir.Path().string() + "/" + std::string(240, 'd');
    std::filesystem::create_directories(deep);
    headless::SetDirectories(deep.c_str(), ".", ".");
    EXPECT_FALSE(InitErrorMsg(true));
    StopErrorMsg();
    EXPECT_TRUE(std::filesystem::is_empty(deep));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace vorlix
