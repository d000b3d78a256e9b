// The saver where the host offers "Desktop size": the picture built from every monitor, a mode
// on the primary one, and a window at the zoom rule, as the display device is told of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/ddraw_manager.h"
#include "glyphs/blitters.h"
#include "platform/headless/display_device.h"
#include "platform/headless/headless_host.h"
#include "platform/headless/message_boxes.h"
#include "platform/window_messages.h"
#include "saver/screen_saver_proc.h"
#include "saver_test_support.h"
#include "settings/resolution_table.h"
#include "settings/settings_override.h"
#include "settings/settings_store.h"

namespace vorlix {
namespace {

using testing::SaverTest;

MonitorInfo Monitor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    MonitorInfo monitor;
    monitor.bounds = ScreenRect{x, y, x + width, y + height};
    monitor.dotsPerInch = 96;
    return monitor;
}

class DesktopSizeRun : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        ClearSettingsOverrides();
        headless::OfferDesktopSize(true);
        headless::SetMonitors({Monitor(0, 0, 1920, 1080), Monitor(1920, -200, 3840, 2160)});
    }
    void TearDown() override {
        SaverTest::TearDown();
        ClearSettingsOverrides();
        headless::ResetDisplay();
    }
    LResult Send(MessageId message, WParam w = 0, LParam l = 0) {
        return headless::DeliverMessage(saver, message, w, l);
    }
};

TEST_F(DesktopSizeRun, ThePictureIsEveryMonitorAtItsOwnZoom) {
    StoreSettings("Desktop size", 300, 8);
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_EQ(Settings.ScreenWidth, 1920 + 1920);
    EXPECT_EQ(Settings.ScreenHeight, 1080);
    ASSERT_NE(WindowObjects.display, nullptr);
    EXPECT_EQ(WindowObjects.display->BackView(0).width, 3840);
    EXPECT_GE(WindowObjects.grid.Columns * WindowObjects.grid.CellWidth, 3840);
    ScreenPlan plan = headless::LastScreenPlan();
    ASSERT_EQ(plan.count, 2);
    EXPECT_EQ(plan.screens[1].zoom, 2);
    EXPECT_EQ(plan.screens[1].source.left, 1920);
    EXPECT_TRUE(Contains(LogLines(true),
                         "[WM_CREATE] Screen 1: 3840x2160 at 1920,-200, picture part 1920x1080, "
                         "zoom 2"));
}

TEST_F(DesktopSizeRun, AOneRunZoomAppliesToEveryMonitor) {
    StoreSettings("Desktop size", 300, 8);
    OverrideZoom(4);
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_EQ(Settings.ScreenWidth, 480 + 960);
    EXPECT_EQ(Settings.ScreenHeight, 540);
}

TEST_F(DesktopSizeRun, AModeShowsOnThePrimaryAndTheOthersStayBlack) {
    StoreSettings("1280x1024", 300, 8);
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_EQ(Settings.ScreenWidth, 1280);
    EXPECT_EQ(Settings.ScreenHeight, 1024);
    ScreenPlan plan = headless::LastScreenPlan();
    ASSERT_EQ(plan.count, 2);
    EXPECT_EQ(plan.screens[0].source.right, 1280);
    EXPECT_EQ(plan.screens[1].source.right, plan.screens[1].source.left);
}

TEST_F(DesktopSizeRun, APreviewFollowsTheZoomRuleAcrossResizes) {
    OverrideZoom(2);
    ASSERT_NE(CreatePreview(AddPreviewParent()), 0u);
    EXPECT_EQ(Settings.ScreenWidth, 76);
    EXPECT_EQ(Settings.ScreenHeight, 56);
    EXPECT_EQ(headless::LastScreenPlan().screens[0].zoom, 2);

    Send(WM_SIZE, 0, MakeLParam(304, 224));
    EXPECT_EQ(Settings.ScreenWidth, 152);
    EXPECT_EQ(Settings.ScreenHeight, 112);
    ASSERT_NE(WindowObjects.display, nullptr);
    EXPECT_EQ(WindowObjects.display->BackView(0).width, 152);
    EXPECT_EQ(ClipRect.right, 152);

    // The window's own size, not the picture's, tells whether anything changed.
    auto rebuilds = [this] {
        int count = 0;
        for (const std::string& line : LogLines(false))
            if (line.find("[WM_SIZE] Preview window resized, rebuilding") != std::string::npos)
                ++count;
        return count;
    };
    EXPECT_EQ(rebuilds(), 1);
    Send(WM_SIZE, 0, MakeLParam(304, 224));
    EXPECT_EQ(rebuilds(), 1);
    Send(WM_SIZE, 0, MakeLParam(152, 112));
    EXPECT_EQ(rebuilds(), 2);
    EXPECT_EQ(Settings.ScreenWidth, 76);
}

TEST_F(DesktopSizeRun, AMonitorChangeUnderFullScreenPlansAndBuildsAnew) {
    StoreSettings("Desktop size", 300, 8);
    ASSERT_NE(CreateFullScreen(), 0u);
    headless::SetMonitors({Monitor(0, 0, 1920, 1080)});
    Send(WM_DISPLAYCHANGE);
    EXPECT_EQ(Settings.ScreenWidth, 1920);
    EXPECT_EQ(headless::LastScreenPlan().count, 1);
    ASSERT_NE(WindowObjects.display, nullptr);
    EXPECT_EQ(WindowObjects.display->BackView(0).width, 1920);
    EXPECT_EQ(ClipRect.right, 1920);
    EXPECT_TRUE(
        Contains(LogLines(true), "[WM_DISPLAYCHANGE] Monitors changed: 1 covered, rebuilding"));
    EXPECT_TRUE(Contains(LogLines(true),
                         "[WM_DISPLAYCHANGE] Screen 0: 1920x1080 at 0,0, picture part 1920x1080, "
                         "zoom 1"));

    // Back to two, the second a mirror of the first: still one screen.
    headless::SetMonitors(
        {Monitor(0, 0, 1920, 1080), Monitor(0, 0, 1920, 1080), Monitor(1920, 0, 1280, 1024)});
    Send(WM_DISPLAYCHANGE);
    EXPECT_EQ(headless::LastScreenPlan().count, 2);
    EXPECT_EQ(Settings.ScreenWidth, 1920 + 1280);
    EXPECT_EQ(WindowObjects.display->BackView(0).width, 1920 + 1280);
}

TEST_F(DesktopSizeRun, APreviewIgnoresMonitorChanges) {
    ASSERT_NE(CreatePreview(AddPreviewParent()), 0u);
    const std::int32_t width = Settings.ScreenWidth;
    headless::SetMonitors({Monitor(0, 0, 800, 600)});
    Send(WM_DISPLAYCHANGE);
    EXPECT_EQ(Settings.ScreenWidth, width);
    EXPECT_FALSE(Contains(LogLines(true), "[WM_DISPLAYCHANGE] Monitors changed"));
}

TEST_F(DesktopSizeRun, NoMonitorFailsTheStartWithTheUsualBox) {
    StoreSettings("Desktop size", 300, 8);
    headless::SetMonitors({});
    EXPECT_EQ(CreateFullScreen(), 0u);
    EXPECT_TRUE(Contains(LogLines(true), "[WM_CREATE] No monitor found to run full screen on"));
    const auto boxes = headless::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("No monitor found"), std::string::npos) << boxes[0].text;
}

TEST_F(DesktopSizeRun, WithoutDesktopSizeNothingIsPlanned) {
    headless::OfferDesktopSize(false);
    StoreSettings("Desktop size", 300, 8);
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_EQ(headless::LastScreenPlan().count, 0);
    EXPECT_EQ(WindowObjects.plan.count, 0);
    // An unknown text keeps the row held before.
    EXPECT_EQ(Settings.ScreenWidth, ResolutionRowOf(Settings.ResolutionIndex).width);
}

}  // namespace
}  // namespace vorlix
