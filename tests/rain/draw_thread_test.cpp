#include "rain/draw_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/debug_log.h"
#include "display/ddraw_manager.h"
#include "glyphs/blitters.h"
#include "platform/desktop.h"
#include "platform/headless/directories.h"
#include "platform/headless/display_device.h"
#include "platform/headless/headless_host.h"
#include "rain/random.h"
#include "rain/thread_flags.h"
#include "support/fresh_process.h"
#include "support/wait_until.h"

namespace vorlix {
namespace {

using testing::WaitUntil;

constexpr std::int32_t Width = 320;
constexpr std::int32_t Height = 240;
constexpr char Created[] = "LOG_INFO: [DrawVorlix] Thread created. Drawing Vorlix";
constexpr char Idle[] = "LOG_INFO: [DrawVorlix] Enter idle loop";
constexpr char Resumed[] = "LOG_INFO: [DrawVorlix] Thread resumed";
constexpr char Ended[] = "LOG_INFO: [DrawVorlix] Thread ended";

// 55 flat 8x8 glyphs: enough for the blitters to draw every cell.
std::unique_ptr<Animation> MakeGlyphs() {
    auto glyphs = std::make_unique<Animation>(8, 8, 55, 0);
    for (int frame = 0; frame < 55; ++frame) {
        glyphs->frames[frame] = new std::uint16_t[64];
        for (int i = 0; i < 64; ++i)
            glyphs->frames[frame][i] = static_cast<std::uint16_t>(frame << 5);
    }
    return glyphs;
}

// Up to 64 frame starts seen by the display as frames reach the screen.
std::atomic<int> StartsSeen{0};
std::atomic<std::uint32_t> Starts[64];

// The first clock reading of the draw thread happens inside its first frame.
std::atomic<bool> HookFired{false};
void EndOnFirstReading(std::uint32_t) {
    if (!HookFired.exchange(true)) ThreadAlive.store(0);
}
void PauseOnFirstReading(std::uint32_t) {
    if (!HookFired.exchange(true)) DrawActive.store(0);
}

// The test's own records of what the thread did.
void ResetRecords() {
    HookFired.store(false);
    StartsSeen.store(0);
}

class DrawThreadTest : public testing::FreshProcessTest {
  protected:
    void SetUp() override {
        ResetRecords();
        char pattern[] = "/tmp/vorlix-rain-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory_ = pattern;
        headless::SetDirectories(directory_.c_str(), directory_.c_str(), directory_.c_str());
        ASSERT_TRUE(InitErrorMsg(true));
        window_ = headless::AddWindow(0, ScreenRect{0, 0, Width, Height}, "Screen Saver", nullptr);
        display_ = std::make_unique<DDrawManager>();
        ASSERT_TRUE(display_->CreateDirectDraw(window_, Width, Height, true));
        glyphs_ = MakeGlyphs();
        ClipRect = ClipRectangle{0, 0, Width, Height};
        SeedRandom(1);
        ASSERT_TRUE(BuildRainGrid(grid_, Width, Height, 8, 8, 200, 8));
        Drawing = DrawTargets{display_.get(), glyphs_.get(), &grid_};
        shownAtStart_ = headless::ShownFrameCount();
        flipsAtStart_ = headless::DisplayCalls(headless::DisplayOp::Flip).size();
    }

    void TearDown() override {
        // Whatever a test left running ends before its objects go.
        ThreadAlive.store(0);
        if (started_) {
            EXPECT_TRUE(WaitUntil([] { return ThreadEnded.load() != 0; }));
        }
        headless::SetClockReadHook(nullptr);
        headless::SetShownFrameHook(nullptr);
        headless::UseRealClock();
        Drawing = DrawTargets{};
        FreeRainGrid(grid_);
        display_.reset();
        StopErrorMsg();
        std::remove((directory_ + "/vorlix_fs.log").c_str());
        std::remove(directory_.c_str());
    }

    void Start() {
        ASSERT_TRUE(platform::StartThread(DrawVorlix));
        started_ = true;
    }

    std::vector<std::string> DrawLines() {
        StopErrorMsg();
        std::ifstream log(directory_ + "/vorlix_fs.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);) {
            if (line.find("[DrawVorlix]") != std::string::npos) lines.push_back(line);
        }
        return lines;
    }

    std::uint64_t ShownSinceStart() { return headless::ShownFrameCount() - shownAtStart_; }

    std::string directory_;
    WindowHandle window_ = 0;
    std::unique_ptr<DDrawManager> display_;
    std::unique_ptr<Animation> glyphs_;
    RainGrid grid_;
    bool started_ = false;
    std::uint64_t shownAtStart_ = 0;
    std::size_t flipsAtStart_ = 0;
};

TEST_F(DrawThreadTest, EachPauseLogsOneIdleAndOneResumeLine) {
    DrawActive.store(1);
    Start();
    ASSERT_TRUE(WaitUntil([] { return FramePresented.load() == 1; }));
    for (int pause = 0; pause < 3; ++pause) {
        DrawActive.store(0);
        ASSERT_TRUE(WaitUntil([] { return ThreadDrawing.load() == 0; }));
        MonitorOff.store(1);
        const std::uint64_t sleeps = headless::SleepCount();
        ASSERT_TRUE(WaitUntil([&] { return headless::SleepCount() > sleeps + 5; }));  // it sleeps
        const std::uint64_t shown = ShownSinceStart();
        DrawActive.store(1);
        ASSERT_TRUE(WaitUntil([&] { return ShownSinceStart() > shown; }));
        EXPECT_EQ(ThreadDrawing.load(), 1);
        EXPECT_EQ(MonitorOff.load(), 0);
    }
    ThreadAlive.store(0);
    ASSERT_TRUE(WaitForThreadEnd(10000));
    const std::vector<std::string> lines = DrawLines();
    const std::vector<std::string> expected = {Created, Idle, Resumed, Idle,
                                               Resumed, Idle, Resumed, Ended};
    EXPECT_EQ(lines, expected);
}

TEST_F(DrawThreadTest, ThreadAliveClearedWhileDrawingEndsAfterPresentingTheFrame) {
    headless::UseVirtualClock(5000);
    headless::SetClockReadHook(EndOnFirstReading);
    DrawActive.store(1);
    Start();
    ASSERT_TRUE(WaitUntil([] { return ThreadEnded.load() != 0; }));
    EXPECT_EQ(ShownSinceStart(), 1u);
    EXPECT_EQ(FramePresented.load(), 1);
    EXPECT_EQ(DrawLines(), (std::vector<std::string>{Created, Ended}));
}

TEST_F(DrawThreadTest, ThreadAliveClearedWhileIdleEndsWithoutAnotherIdleLine) {
    DrawActive.store(0);
    Start();
    ASSERT_TRUE(WaitUntil([] { return ThreadDrawing.load() == 0; }));
    const std::uint64_t sleeps = headless::SleepCount();
    ASSERT_TRUE(WaitUntil([&] { return headless::SleepCount() > sleeps + 5; }));
    ThreadAlive.store(0);
    ASSERT_TRUE(WaitForThreadEnd(10000));
    EXPECT_EQ(ShownSinceStart(), 0u);
    EXPECT_EQ(FramePresented.load(), 0);
    EXPECT_EQ(DrawLines(), (std::vector<std::string>{Created, Idle, Ended}));
}

TEST_F(DrawThreadTest, DrawActiveDroppingInAFramePresentsNothingAndLeavesTheGridAlone) {
    headless::UseVirtualClock(5000);
    headless::SetClockReadHook(PauseOnFirstReading);
    DrawActive.store(1);
    Start();
    ASSERT_TRUE(WaitUntil([] { return ThreadDrawing.load() == 0; }));
    EXPECT_EQ(ShownSinceStart(), 0u);
    EXPECT_EQ(headless::DisplayCalls(headless::DisplayOp::Flip).size(), flipsAtStart_);
    EXPECT_EQ(FramePresented.load(), 0);
    for (std::int32_t s = 0; s < grid_.StreamCount; ++s) EXPECT_EQ(grid_.Streams[s].StepToggle, 0);
    for (std::int32_t i = 0; i < grid_.Columns * grid_.Rows; ++i) EXPECT_EQ(grid_.Cells[i].Age, 0);

    DrawActive.store(1);  // and it goes on as before
    ASSERT_TRUE(WaitUntil([] { return FramePresented.load() == 1; }));
    ThreadAlive.store(0);
    ASSERT_TRUE(WaitUntil([] { return ThreadEnded.load() != 0; }));
    EXPECT_EQ(DrawLines(), (std::vector<std::string>{Created, Idle, Resumed, Ended}));
}

TEST_F(DrawThreadTest, FramesKeepTheirPaceAcrossTheClockWrap) {
    const std::uint32_t start = 0xFFFFFFFFu - 100;  // above 2^31, wraps after 101 ms
    headless::UseVirtualClock(start);
    headless::SetShownFrameHook(
        [](const std::uint16_t*, std::int32_t, std::int32_t, std::int32_t, std::uint64_t) {
            const int n = StartsSeen.load();
            if (n < 64) {
                Starts[n].store(LastFrameTime.load());
                StartsSeen.store(n + 1);
            }
        });
    DrawActive.store(1);
    const std::uint64_t sleeps = headless::SleepCount();
    Start();
    ASSERT_TRUE(WaitUntil([] { return StartsSeen.load() >= 10; }));
    // Each frame waits with one sleep to its deadline rather than polling the clock.
    EXPECT_LE(headless::SleepCount() - sleeps, 2u * static_cast<unsigned>(StartsSeen.load()));
    ThreadAlive.store(0);
    ASSERT_TRUE(WaitUntil([] { return ThreadEnded.load() != 0; }));
    headless::SetShownFrameHook(nullptr);

    EXPECT_EQ(Starts[0].load(), start);  // the first frame is not held back
    for (int i = 1; i < 10; ++i) {
        EXPECT_EQ(Starts[i].load() - Starts[i - 1].load(), 30u) << i;
    }
    EXPECT_LT(Starts[9].load(), 1000u);  // past the wrap
}

TEST_F(DrawThreadTest, DisplayRefusingEveryPresentStillLetsTheWindowGo) {
    headless::InjectFault(headless::DisplayOp::Flip, platform::DeviceResult::Failed,
                          headless::Always);
    DrawActive.store(1);
    Start();
    ASSERT_TRUE(WaitUntil([&] {
        return headless::DisplayCalls(headless::DisplayOp::Flip).size() > flipsAtStart_ + 20;
    }));
    ThreadAlive.store(0);  // DrawActive stays 1, as when the window goes without a close
    EXPECT_TRUE(WaitForThreadEnd(10000));
    EXPECT_EQ(FramePresented.load(), 0);
    EXPECT_EQ(ShownSinceStart(), 0u);
    EXPECT_EQ(DrawLines(), (std::vector<std::string>{Created, Ended}));
}

class DrawThreadWithoutDisplay : public testing::FreshProcessTest {};

TEST_F(DrawThreadWithoutDisplay, WaitsWithoutADisplayAndEndsOnRequest) {
    DrawActive.store(1);
    ASSERT_TRUE(platform::StartThread(DrawVorlix));
    const std::uint64_t sleeps = headless::SleepCount();
    ASSERT_TRUE(WaitUntil([&] { return headless::SleepCount() > sleeps + 5; }));
    ThreadAlive.store(0);
    EXPECT_TRUE(WaitForThreadEnd(10000));
    EXPECT_EQ(FramePresented.load(), 0);
}

TEST_F(DrawThreadWithoutDisplay, WaitForThreadEndGivesUpAfterItsTimeout) {
    EXPECT_FALSE(WaitForThreadEnd(20));
    headless::UseVirtualClock(0);  // a clock that only moves with sleeps still ends the wait
    EXPECT_FALSE(WaitForThreadEnd(20));
    ThreadEnded.store(1);
    EXPECT_TRUE(WaitForThreadEnd(0));
    headless::UseRealClock();
}

TEST_F(DrawThreadWithoutDisplay, ThreadStartCanBeMadeToFail) {
    const int starts = headless::ThreadStartCount();
    headless::FailThreadStart(true);
    EXPECT_FALSE(platform::StartThread(DrawVorlix));
    headless::FailThreadStart(false);
    EXPECT_EQ(headless::ThreadStartCount(), starts);
}

}  // namespace
}  // namespace vorlix
