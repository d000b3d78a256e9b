#include <gtest/gtest.h>

#include <vector>

#include "display/screen_plan.h"

namespace vorlix {
namespace {

MonitorInfo Monitor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                    std::int32_t dotsPerInch = 96) {
    MonitorInfo monitor;
    monitor.bounds = ScreenRect{x, y, x + width, y + height};
    monitor.dotsPerInch = dotsPerInch;
    return monitor;
}

void ExpectRect(const ScreenRect& rect, std::int32_t left, std::int32_t top, std::int32_t right,
                std::int32_t bottom) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

bool IsBlack(const PlannedScreen& screen) {
    return screen.source.right <= screen.source.left || screen.source.bottom <= screen.source.top;
}

TEST(GlyphZoom, FollowsTheShorterSideAndTheDensity) {
    EXPECT_EQ(AutoZoom(3840, 2160, 96), 2);
    EXPECT_EQ(AutoZoom(3840, 2160, 0), 2);
    EXPECT_EQ(AutoZoom(2160, 3840, 96), 2);  // portrait
    EXPECT_EQ(AutoZoom(1920, 1080, 96), 1);
    EXPECT_EQ(AutoZoom(2560, 1440, 109), 1);
    EXPECT_EQ(AutoZoom(1920, 1080, 166), 2);  // a dense laptop panel
    EXPECT_EQ(AutoZoom(5120, 2880, 0), 2);
    EXPECT_EQ(AutoZoom(7680, 4320, 96), 4);
    EXPECT_EQ(AutoZoom(15360, 8640, 96), 4);  // never above four
}

TEST(GlyphZoom, NeverLeavesTooFewRowsNorGoesBelowOne) {
    EXPECT_EQ(AutoZoom(1024, 768, 300), 1);  // 768 / 2 would be under 480 rows
    EXPECT_EQ(AutoZoom(1920, 1080, 400), 2);
    EXPECT_EQ(AutoZoom(320, 200, 96), 1);
    EXPECT_EQ(AutoZoom(0, 0, 96), 1);
    EXPECT_EQ(AutoZoom(-5, 100, 96), 1);
}

TEST(GlyphZoom, AChosenZoomWinsOverTheAutomaticOne) {
    EXPECT_EQ(ChooseZoom(3, 1920, 1080, 96), 3);
    EXPECT_EQ(ChooseZoom(1, 3840, 2160, 96), 1);
    EXPECT_EQ(ChooseZoom(0, 3840, 2160, 96), 2);
    EXPECT_EQ(ChooseZoom(5, 3840, 2160, 96), 2);  // out of range: automatic
}

TEST(DesktopSizePlan, OneMonitorFillsItExactly) {
    MonitorInfo monitor = Monitor(0, 0, 3840, 2160);
    ScreenPlan plan = PlanDesktopSize(&monitor, 1, AutoGlyphZoom);
    ASSERT_EQ(plan.count, 1);
    EXPECT_EQ(plan.width, 1920);
    EXPECT_EQ(plan.height, 1080);
    EXPECT_EQ(plan.screens[0].zoom, 2);
    ExpectRect(plan.screens[0].source, 0, 0, 1920, 1080);
    ExpectRect(plan.screens[0].target, 0, 0, 3840, 2160);
}

TEST(DesktopSizePlan, MonitorsOfMixedSizesGetTheirOwnZoomSideBySide) {
    std::vector<MonitorInfo> monitors = {Monitor(0, 0, 1920, 1080), Monitor(1920, 0, 3840, 2160),
                                         Monitor(-1080, -400, 1080, 1920)};
    ScreenPlan plan = PlanDesktopSize(monitors.data(), 3, AutoGlyphZoom);
    ASSERT_EQ(plan.count, 3);
    EXPECT_EQ(plan.width, 1920 + 1920 + 1080);
    EXPECT_EQ(plan.height, 1920);
    ExpectRect(plan.screens[0].monitor, 0, 0, 1920, 1080);
    ExpectRect(plan.screens[0].source, 0, 0, 1920, 1080);
    ExpectRect(plan.screens[1].source, 1920, 0, 3840, 1080);
    ExpectRect(plan.screens[1].target, 0, 0, 3840, 2160);
    EXPECT_EQ(plan.screens[1].zoom, 2);
    ExpectRect(plan.screens[2].monitor, -1080, -400, 0, 1520);
    ExpectRect(plan.screens[2].source, 3840, 0, 4920, 1920);
    ExpectRect(plan.screens[2].target, 0, 0, 1080, 1920);
}

TEST(DesktopSizePlan, ASizeTheZoomDoesNotDivideIsCentredWithEvenPixels) {
    MonitorInfo monitor = Monitor(0, 0, 1367, 769);
    ScreenPlan plan = PlanDesktopSize(&monitor, 1, 2);
    ASSERT_EQ(plan.count, 1);
    EXPECT_EQ(plan.width, 683);
    EXPECT_EQ(plan.height, 384);
    ExpectRect(plan.screens[0].target, 0, 0, 1366, 768);
    EXPECT_EQ(plan.screens[0].zoom, 2);
}

TEST(DesktopSizePlan, MonitorsPastTheWidestPictureStayBlack) {
    std::vector<MonitorInfo> monitors;
    for (int i = 0; i < 5; ++i) monitors.push_back(Monitor(i * 1920, 0, 1920, 1080));
    ScreenPlan plan = PlanDesktopSize(monitors.data(), 5, 1);
    ASSERT_EQ(plan.count, 5);
    EXPECT_EQ(plan.width, 4 * 1920);
    EXPECT_FALSE(IsBlack(plan.screens[3]));
    EXPECT_TRUE(IsBlack(plan.screens[4]));
    ExpectRect(plan.screens[4].monitor, 7680, 0, 9600, 1080);
}

TEST(DesktopSizePlan, NoMonitorsOrEmptyOnesPlanNothingToDraw) {
    EXPECT_EQ(PlanDesktopSize(nullptr, 0, AutoGlyphZoom).count, 0);
    std::vector<MonitorInfo> monitors = {Monitor(900, 0, 0, 0), Monitor(0, 0, 800, 600)};
    ScreenPlan plan = PlanDesktopSize(monitors.data(), 2, AutoGlyphZoom);
    ASSERT_EQ(plan.count, 2);
    EXPECT_TRUE(IsBlack(plan.screens[0]));
    ExpectRect(plan.screens[1].source, 0, 0, 800, 600);
    EXPECT_EQ(plan.width, 800);
}

TEST(DesktopSizePlan, NoMoreScreensThanTheFixedCapacity) {
    std::vector<MonitorInfo> monitors;
    for (int i = 0; i < MaxMonitors + 3; ++i) monitors.push_back(Monitor(i * 480, 0, 480, 480));
    ScreenPlan plan = PlanDesktopSize(monitors.data(), static_cast<int>(monitors.size()), 1);
    EXPECT_EQ(plan.count, MaxMonitors);
    EXPECT_EQ(plan.width, MaxMonitors * 480);
}

TEST(DesktopSizePlan, AMonitorTooLargeForAnyBufferIsDrawnAtALargerZoom) {
    MonitorInfo huge = Monitor(0, 0, 10240, 4320);
    ScreenPlan plan = PlanDesktopSize(&huge, 1, 1);
    ASSERT_EQ(plan.count, 1);
    EXPECT_EQ(plan.screens[0].zoom, 2);
    ExpectRect(plan.screens[0].source, 0, 0, 5120, 2160);
    ExpectRect(plan.screens[0].target, 0, 0, 10240, 4320);
    MonitorInfo beyond = Monitor(0, 0, 40000, 1080);
    plan = PlanDesktopSize(&beyond, 1, AutoGlyphZoom);
    ASSERT_EQ(plan.count, 1);
    EXPECT_TRUE(IsBlack(plan.screens[0]));
}

// Mirrored outputs report the same rectangle; a smaller mode cloned onto a larger monitor
// reports one inside it. Neither adds anything to cover.
TEST(DistinctMonitors, MonitorsInsideAnotherAreDropped) {
    std::vector<MonitorInfo> monitors = {Monitor(0, 0, 1920, 1080), Monitor(0, 0, 1920, 1080),
                                         Monitor(1920, 0, 1280, 1024), Monitor(0, 0, 1024, 768),
                                         Monitor(1900, 0, 100, 100)};
    EXPECT_EQ(DistinctMonitors(monitors.data(), 5), 3);
    ExpectRect(monitors[0].bounds, 0, 0, 1920, 1080);
    ExpectRect(monitors[1].bounds, 1920, 0, 3200, 1024);
    ExpectRect(monitors[2].bounds, 1900, 0, 2000, 100);  // overlaps two, inside neither

    std::vector<MonitorInfo> inner = {Monitor(0, 0, 1280, 720), Monitor(0, 0, 1920, 1080)};
    EXPECT_EQ(DistinctMonitors(inner.data(), 2), 1);
    ExpectRect(inner[0].bounds, 0, 0, 1920, 1080);
}

TEST(DistinctMonitors, AMirroredPairGetsOneScreenInEitherPlan) {
    std::vector<MonitorInfo> monitors = {Monitor(0, 0, 1920, 1080), Monitor(0, 0, 1920, 1080),
                                         Monitor(1920, 0, 1280, 1024)};
    ScreenPlan plan = PlanDesktopSize(monitors.data(), 3, AutoGlyphZoom);
    ASSERT_EQ(plan.count, 2);
    EXPECT_EQ(plan.width, 1920 + 1280);
    ExpectRect(plan.screens[1].monitor, 1920, 0, 3200, 1024);
    plan = PlanMode(monitors.data(), 3, 1024, 768);
    ASSERT_EQ(plan.count, 2);
    EXPECT_TRUE(IsBlack(plan.screens[1]));
    ExpectRect(plan.screens[1].monitor, 1920, 0, 3200, 1024);
    // The caller's list is left as it was.
    ExpectRect(monitors[1].bounds, 0, 0, 1920, 1080);
}

TEST(DistinctMonitors, ClonesPastThePictureLimitLeaveNoRealMonitorBlack) {
    std::vector<MonitorInfo> monitors;
    for (int i = 0; i < 6; ++i) monitors.push_back(Monitor(0, 0, 3840, 1080));
    monitors.push_back(Monitor(3840, 0, 3840, 1080));
    ScreenPlan plan = PlanDesktopSize(monitors.data(), 7, 1);
    ASSERT_EQ(plan.count, 2);
    EXPECT_FALSE(IsBlack(plan.screens[0]));
    EXPECT_FALSE(IsBlack(plan.screens[1]));
}

TEST(ModePlan, ThePrimaryShowsTheModeFittedAndTheOthersAreBlack) {
    std::vector<MonitorInfo> monitors = {Monitor(0, 0, 1920, 1080), Monitor(1920, 0, 1280, 1024)};
    ScreenPlan plan = PlanMode(monitors.data(), 2, 1024, 768);
    ASSERT_EQ(plan.count, 2);
    EXPECT_EQ(plan.width, 1024);
    EXPECT_EQ(plan.height, 768);
    ExpectRect(plan.screens[0].source, 0, 0, 1024, 768);
    ExpectRect(plan.screens[0].target, 240, 0, 1680, 1080);
    EXPECT_TRUE(IsBlack(plan.screens[1]));
    ExpectRect(plan.screens[1].monitor, 1920, 0, 3200, 1024);
}

TEST(ModePlan, NoMonitorsLeaveTheHostToShowItAsBefore) {
    EXPECT_EQ(PlanMode(nullptr, 0, 800, 600).count, 0);
}

TEST(WindowPlan, AWindowFollowsTheZoomRuleAtItsSize) {
    ScreenPlan big = PlanWindow(3840, 2160, 96, AutoGlyphZoom);
    ASSERT_EQ(big.count, 1);
    EXPECT_EQ(big.width, 1920);
    EXPECT_EQ(big.screens[0].zoom, 2);
    ScreenPlan small = PlanWindow(400, 300, 96, AutoGlyphZoom);
    EXPECT_EQ(small.width, 400);
    EXPECT_EQ(small.screens[0].zoom, 1);
    ScreenPlan chosen = PlanWindow(400, 300, 96, 3);
    EXPECT_EQ(chosen.width, 133);
    EXPECT_EQ(chosen.height, 100);
    ExpectRect(chosen.screens[0].target, 0, 0, 399, 300);
}

TEST(FitInside, KeepsTheShapeAndCentres) {
    ExpectRect(FitInside(1024, 768, 1920, 1080), 240, 0, 1680, 1080);
    ExpectRect(FitInside(640, 480, 1280, 1024), 0, 32, 1280, 992);
    ExpectRect(FitInside(0, 480, 1280, 1024), 0, 0, 0, 0);
}

}  // namespace
}  // namespace vorlix
