// The monitors beside the primary on a host whose full screen is a mode on the primary alone:
// which get a cover, at which zoom, and which stay black.
#include "display/cover_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/screen_plan.h"

namespace vorlix {
namespace {

MonitorInfo Monitor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    MonitorInfo monitor;
    monitor.bounds = ScreenRect{x, y, x + width, y + height};
    return monitor;
}

CoverPlan Plan(const std::vector<MonitorInfo>& monitors) {
    return PlanCovers(monitors.data(), static_cast<int>(monitors.size()));
}

bool IsBlack(const CoverScreen& screen) {
    return screen.width == 0 && screen.height == 0;
}

TEST(CoverPlan, EveryMonitorButThePrimaryGetsItsOwnPictureAtTheAutomaticZoom) {
    CoverPlan plan = Plan({Monitor(0, 0, 1024, 768), Monitor(1024, 0, 1280, 1024),
                           Monitor(-3840, -500, 3840, 2160), Monitor(2304, 0, 1080, 1920)});
    ASSERT_EQ(plan.count, 3);
    EXPECT_EQ(plan.screens[0].monitor.left, 1024);
    EXPECT_EQ(plan.screens[0].width, 1280);
    EXPECT_EQ(plan.screens[0].height, 1024);
    EXPECT_EQ(plan.screens[0].zoom, 1);
    EXPECT_EQ(plan.screens[1].monitor.left, -3840);
    EXPECT_EQ(plan.screens[1].zoom, 2);
    EXPECT_EQ(plan.screens[1].width, 1920);
    EXPECT_EQ(plan.screens[1].height, 1080);
    EXPECT_EQ(plan.screens[2].zoom, 1);  // portrait: the shorter side decides
    EXPECT_EQ(plan.screens[2].width, 1080);
    EXPECT_EQ(plan.screens[2].height, 1920);
}

TEST(CoverPlan, ThePrimaryAloneOrNoMonitorGivesNoCover) {
    EXPECT_EQ(Plan({Monitor(0, 0, 1024, 768)}).count, 0);
    EXPECT_EQ(Plan({}).count, 0);
}

TEST(CoverPlan, MirrorsAndEmptyMonitorsGetNoCover) {
    CoverPlan plan =
        Plan({Monitor(0, 0, 1024, 768), Monitor(0, 0, 1024, 768), Monitor(100, 100, 640, 480),
              Monitor(1024, 0, 1280, 1024), Monitor(1024, 0, 1280, 1024),
              Monitor(1100, 50, 800, 600), Monitor(3000, 0, 0, 600)});
    ASSERT_EQ(plan.count, 1);
    EXPECT_EQ(plan.screens[0].monitor.left, 1024);
    // A monitor that only overlaps another is covered all the same.
    plan = Plan({Monitor(0, 0, 1024, 768), Monitor(800, 0, 1280, 1024)});
    EXPECT_EQ(plan.count, 1);
}

// The same rule as the desktop-size plan's: a monitor inside another adds nothing, whichever
// of the two was listed first.
TEST(CoverPlan, AMonitorInsideOneListedAfterItGetsNoCover) {
    CoverPlan plan = Plan({Monitor(0, 0, 1024, 768), Monitor(1024, 0, 1280, 720),
                           Monitor(1024, 0, 1920, 1080)});
    ASSERT_EQ(plan.count, 1);
    EXPECT_EQ(plan.screens[0].monitor.right, 1024 + 1920);
    EXPECT_EQ(plan.screens[0].width, 1920);
}

TEST(CoverPlan, MonitorsBeyondThePlanAreCoveredBlack) {
    std::vector<MonitorInfo> monitors;
    for (int i = 0; i < MaxMonitors + 3; ++i) monitors.push_back(Monitor(i * 800, 0, 800, 600));
    CoverPlan plan = Plan(monitors);
    ASSERT_EQ(plan.count, MaxMonitors + 2);
    for (int i = 0; i < plan.count; ++i) {
        EXPECT_EQ(plan.screens[i].monitor.left, (i + 1) * 800);
        EXPECT_EQ(IsBlack(plan.screens[i]), i + 1 >= MaxMonitors) << "cover " << i;
    }
    // Far more than anyone has: covered up to the fixed number, black.
    monitors.clear();
    for (int i = 0; i < MaxCoveredMonitors + 10; ++i)
        monitors.push_back(Monitor(i * 100, 0, 100, 100));
    EXPECT_EQ(Plan(monitors).count, MaxCoveredMonitors - 1);
}

TEST(CoverPlan, AMonitorPastTheLargestPictureIsZoomedFurtherOrLeftBlack) {
    CoverPlan plan = Plan(
        {Monitor(0, 0, 1024, 768), Monitor(1024, 0, 16384, 1080), Monitor(0, 768, 40000, 1080)});
    ASSERT_EQ(plan.count, 2);
    EXPECT_EQ(plan.screens[0].zoom, 2);  // 1 by its size, 2 to fit
    EXPECT_EQ(plan.screens[0].width, MaxPictureSide);
    EXPECT_EQ(plan.screens[0].height, 540);
    EXPECT_TRUE(IsBlack(plan.screens[1]));
}

TEST(CoverPlan, StreamsFollowThePictureWidth) {
    EXPECT_EQ(CoverStreams(300, 1024, 1280), 375u);
    EXPECT_EQ(CoverStreams(300, 1024, 512), 150u);
    EXPECT_EQ(CoverStreams(400, 640, 8192), 5120u);  // the grid limits it to its most
    EXPECT_EQ(CoverStreams(300, 0, 1280), 0u);
    EXPECT_EQ(CoverStreams(0, 1024, 1280), 0u);
}

}  // namespace
}  // namespace vorlix
