#pragma once
// The monitors a full-screen saver covers and how its picture is laid out on them. The rules
// that make a plan live in display/screen_plan.h; hosts only report monitors and show plans.
#include <cstdint>

#include "platform/types.h"

namespace vorlix {

// As many as a graphics card or X's dummy driver offers outputs.
constexpr int MaxMonitors = 16;

struct MonitorInfo {
    ScreenRect bounds;             // on the screen
    std::int32_t dotsPerInch = 0;  // 0 when unknown
};

// One monitor's share of the picture.
struct PlannedScreen {
    ScreenRect monitor;     // on the screen
    ScreenRect source;      // of the picture; empty when the monitor stays black
    ScreenRect target;      // where the source shows, relative to the monitor's corner
    std::int32_t zoom = 1;  // whole-number glyph zoom, 1 when the picture is fitted instead
};

struct ScreenPlan {
    std::int32_t width = 0;  // the picture the grid is built for
    std::int32_t height = 0;
    std::int32_t count = 0;  // screens in use, in the order the monitors were reported
    PlannedScreen screens[MaxMonitors];
};

namespace platform {

// The monitors, the primary one first; at most capacity of them. 0 when none can be read.
// Under a full-screen saver: the monitors its windows were last laid over, so that a plan and
// the windows that show it come from one reading.
int ReadMonitors(MonitorInfo* monitors, int capacity);
// Full screen: lays the saver window, and the windows it owns, over the monitors as they are
// now. Returns how many are covered; 0 where the host does not follow monitor changes.
int CoverMonitors(WindowHandle saver);
// True where the saver offers "Desktop size" and glyph zoom (the Linux host).
bool OffersDesktopSize();

}  // namespace platform

}  // namespace vorlix
