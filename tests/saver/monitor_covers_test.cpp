// Full screen where the host covers the other monitors with windows of their own (Windows):
// rain on each from its own grid, input on any of them handled as on the saver window, pauses
// shared, and every monitor covered, black where its rain cannot be had.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "display/cover_plan.h"
#include "platform/desktop.h"
#include "platform/headless/headless_host.h"
#include "platform/window_messages.h"
#include "rain/thread_flags.h"
#include "saver/framework.h"
#include "saver/screen_saver_proc.h"
#include "saver_test_support.h"

namespace vorlix {
namespace {

using headless::CoverState;
using headless::InputStep;
using testing::SaverTest;
using testing::WaitFor;

MonitorInfo Monitor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    MonitorInfo monitor;
    monitor.bounds = ScreenRect{x, y, x + width, y + height};
    return monitor;
}

InputStep Action(std::function<void()> action) {
    InputStep step;
    step.action = std::move(action);
    return step;
}

std::vector<CoverState> Covers() {
    return headless::CoverWindows();
}

// Input given to the cover window of the first monitor beside the primary.
InputStep OnCover(MessageId message, WParam w = 0) {
    return Action([message, w] {
        auto covers = Covers();
        ASSERT_FALSE(covers.empty());
        headless::DeliverMessage(covers[0].handle, message, w, 0);
    });
}

bool CoverShowsRain(int index, int shows) {
    auto covers = Covers();
    return static_cast<int>(covers.size()) > index && covers[index].shows >= shows &&
           covers[index].inkedPixels > 0;
}

class MonitorCovers : public SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        headless::OfferCoverWindows(true);
        headless::SetMonitors(
            {Monitor(0, 0, 640, 480), Monitor(640, 0, 1280, 1024), Monitor(-2560, 0, 2560, 2160)});
    }
    void TearDown() override {
        SaverTest::TearDown();
        headless::ResetCoverWindows();
        headless::ResetDisplay();
    }
    static std::vector<std::string> StateLines(const std::vector<std::string>& lines) {
        std::vector<std::string> states;
        for (const std::string& line : lines)
            if (line.find("[STATE]") != std::string::npos) states.push_back(line);
        return states;
    }
};

TEST_F(MonitorCovers, EachMonitorBesideThePrimaryShowsItsOwnRain) {
    ASSERT_NE(CreateFullScreen(), 0u);
    auto covers = Covers();
    ASSERT_EQ(covers.size(), 2u);
    EXPECT_EQ(covers[0].layout.monitor.left, 640);
    EXPECT_EQ(covers[0].layout.width, 1280);
    EXPECT_EQ(covers[0].layout.zoom, 1);
    EXPECT_EQ(covers[1].layout.width, 1280);  // 2560x2160 at zoom 2
    EXPECT_EQ(covers[1].layout.height, 1080);
    EXPECT_EQ(covers[1].layout.zoom, 2);
    EXPECT_TRUE(covers[0].layout.rgb565);
    EXPECT_TRUE(WaitFor([] { return CoverShowsRain(0, 3) && CoverShowsRain(1, 3); }));
    // The primary keeps its own mode and picture.
    EXPECT_EQ(WindowObjects.display->BackView(0).width, 640);
    EXPECT_EQ(headless::CurrentDisplayMode().width, 640);

    auto lines = LogLines(true);
    EXPECT_TRUE(InOrder(lines, {"[WM_CREATE] Glyph images loaded",
                                "[WM_CREATE] Monitor 0: 640x480 at 0,0, the saver's own display",
                                "[WM_CREATE] Monitor 1: 1280x1024 at 640,0, rain 1280x1024, zoom 1",
                                "[WM_CREATE] Monitor 2: 2560x2160 at -2560,0, rain 1280x1080, "
                                "zoom 2",
                                "[WM_CREATE] All object created, run Vorlix"}));
    DestroySaver();
    EXPECT_TRUE(Covers().empty());
    EXPECT_EQ(headless::WindowCount(), 0);
}

TEST_F(MonitorCovers, InputOnACoverEndsTheSaverAsOnThePrimary) {
    auto run = [this](std::vector<InputStep> input) {
        headless::ResetWindowManager();
        std::filesystem::remove(directory / "vorlix_fs.log");
        TrapFirstClose = 1;
        headless::ScriptInput(input);
        EXPECT_EQ(RunModeDispatcher("/s"), 0);
        EXPECT_TRUE(Covers().empty());
        return StateLines(LogLines(true));
    };
    auto waitForRain = Action([] { EXPECT_TRUE(WaitFor([] { return CoverShowsRain(0, 2); })); });
    InputStep primaryKey;
    primaryKey.message = WM_KEYDOWN;
    auto onPrimary = run({waitForRain, primaryKey, primaryKey});
    ASSERT_GE(onPrimary.size(), 3u);
    EXPECT_EQ(run({waitForRain, OnCover(WM_KEYDOWN), OnCover(WM_KEYDOWN)}), onPrimary);
    EXPECT_EQ(run({waitForRain, OnCover(WM_LBUTTONDOWN), OnCover(WM_RBUTTONDOWN)}), onPrimary);
    EXPECT_TRUE(InOrder(
        onPrimary, {"[STATE] WM_CLOSE detected", "[STATE] Trapped WM_CLOSE message (NT bugfix)",
                    "[STATE] WM_CLOSE detected", "[STATE] WM_DESTROY detected"}));
}

TEST_F(MonitorCovers, Win9xAsksForThePasswordOnInputOnACover) {
    headless::SetWin9xFamily(true);
    headless::InstallPasswordVerifier(true);
    headless::ScriptPasswordAnswers({0, 1});
    auto waitForRain = Action([] { EXPECT_TRUE(WaitFor([] { return CoverShowsRain(0, 2); })); });
    headless::ScriptInput({
        waitForRain,
        OnCover(WM_KEYDOWN),  // trapped
        OnCover(WM_KEYDOWN),  // the password is wrong: the rain pauses, the covers with it
        Action([] {
            EXPECT_EQ(headless::PasswordChecks(), 1);
            EXPECT_EQ(DrawActive.load(), 0);
            EXPECT_EQ(Covers().size(), 2u);
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }),
        OnCover(WM_MBUTTONDOWN),  // the password is right
    });
    EXPECT_EQ(RunModeDispatcher("/s"), 0);
    EXPECT_EQ(headless::PasswordChecks(), 2);
    EXPECT_TRUE(Covers().empty());
}

TEST_F(MonitorCovers, ACoverRefusesActivationMessagesAndPassesItsOwnOn) {
    ASSERT_NE(CreateFullScreen(), 0u);
    WindowHandle cover = Covers().at(0).handle;
    headless::ClearRecordedWindowCalls();
    // Its own destruction, paint and activation are its own, never the saver window's.
    headless::DeliverMessage(cover, WM_ACTIVATE, WA_INACTIVE, 0);
    headless::DeliverMessage(cover, WM_PAINT, 0, 0);
    EXPECT_EQ(DrawActive.load(), 1);
    EXPECT_TRUE(headless::RecordedWindowCalls("SendWindowMessage").empty());
    // The cursor over it is hidden as over the saver window.
    int hides = headless::CursorImageHides();
    headless::DeliverMessage(cover, WM_SETCURSOR, cover, 0);
    EXPECT_EQ(headless::CursorImageHides(), hides + 1);
    EXPECT_TRUE(platform::IsWindowHandle(saver));
}

TEST_F(MonitorCovers, MonitorPowerPausesTheCoversAndAResumeRestartsThem) {
    ASSERT_NE(CreateFullScreen(), 0u);
    ASSERT_TRUE(WaitFor([] { return CoverShowsRain(0, 2); }));
    headless::DeliverMessage(saver, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    ASSERT_TRUE(WaitFor([] { return ThreadDrawing.load() == 0; }));
    const int paused = Covers().at(0).shows;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Covers().at(0).shows, paused);
    headless::DeliverMessage(saver, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(WaitFor([paused] { return Covers().at(0).shows >= paused + 2; }));
}

TEST_F(MonitorCovers, ACoverWithoutWindowPictureOrDrawingIsLoggedAndTheRestRuns) {
    headless::FailCoverWindow(0);
    ASSERT_NE(CreateFullScreen(), 0u);
    auto covers = Covers();
    ASSERT_EQ(covers.size(), 1u);
    EXPECT_TRUE(WaitFor([] { return CoverShowsRain(0, 2); }));
    EXPECT_TRUE(Contains(LogLines(true),
                         "[WM_CREATE] Monitor 1: 1280x1024 at 640,0, no window could be made"));
    DestroySaver();
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());

    headless::ResetCoverWindows();
    headless::OfferCoverWindows(true);
    headless::FailCoverPixels(0);
    headless::FailCoverShow(1);
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_TRUE(WaitFor([] {
        auto covers = Covers();
        return covers.size() == 2 && covers[0].black && covers[1].black;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    covers = Covers();
    EXPECT_FALSE(covers[0].hasPixels);
    EXPECT_EQ(covers[0].shows, 0);
    EXPECT_EQ(covers[1].shows, 0);
    EXPECT_EQ(DrawActive.load(), 1);  // the primary runs on
    DestroySaver();
    auto lines = LogLines(true);
    EXPECT_TRUE(Contains(lines, "[WM_CREATE] Monitor 1: 1280x1024 at 640,0, black: no memory"));
    EXPECT_TRUE(Contains(lines, "[DrawVorlix] Monitor 2 could not be drawn: left black"));
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
}

TEST_F(MonitorCovers, MonitorsBeyondThePlanAreBlack) {
    std::vector<MonitorInfo> monitors;
    for (int i = 0; i < MaxMonitors + 1; ++i) monitors.push_back(Monitor(i * 320, 0, 320, 240));
    headless::SetMonitors(monitors);
    ASSERT_NE(CreateFullScreen(), 0u);
    auto covers = Covers();
    ASSERT_EQ(covers.size(), static_cast<std::size_t>(MaxMonitors));
    EXPECT_EQ(covers.back().layout.width, 0);
    const std::string last = "[WM_CREATE] Monitor " + std::to_string(MaxMonitors) +
                             ": 320x240 at " + std::to_string(MaxMonitors * 320) + ",0, black";
    EXPECT_TRUE(Contains(LogLines(true), last));
}

TEST_F(MonitorCovers, NoMonitorFailsTheStartWithTheUsualBox) {
    headless::SetMonitors({});
    EXPECT_EQ(RunModeDispatcher("/s"), RunSaverFailed);
    auto boxes = headless::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "[WM_CREATE] No monitor found to show the saver on");
    EXPECT_TRUE(Covers().empty());
    EXPECT_EQ(headless::CurrentDisplayMode().width, 1024);  // the desktop's mode is back
}

TEST_F(MonitorCovers, ThePreviewMakesNoCover) {
    ASSERT_NE(CreatePreview(AddPreviewParent()), 0u);
    EXPECT_TRUE(Covers().empty());
    EXPECT_FALSE(Contains(LogLines(false), "Monitor"));
}

}  // namespace
}  // namespace vorlix
