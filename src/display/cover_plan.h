#pragma once
// The monitors beside the primary where the full screen is a display mode on the primary alone
// (Windows): each gets a window with rain of its own, at its own size over the automatic glyph
// zoom, or black. No monitor is left showing the desktop.
#include <cstdint>

#include "platform/screen_layout.h"

namespace vorlix {

// Monitors covered at most, the primary included; beyond the first MaxMonitors of them the
// covers are black.
constexpr int MaxCoveredMonitors = 64;

struct CoverScreen {
    ScreenRect monitor;
    std::int32_t width = 0;  // the cover's own picture; 0 by 0 when it stays black
    std::int32_t height = 0;
    std::int32_t zoom = 1;
};

struct CoverPlan {
    int count = 0;
    CoverScreen screens[MaxCoveredMonitors];
};

// The monitors as reported, the primary first, which the saver's own window covers: every
// other one with an area gets a cover, except a hidden one (HiddenMonitor: a mirror shows what
// the monitor it lies inside shows).
CoverPlan PlanCovers(const MonitorInfo* monitors, int count);
// The streams of a cover's grid: as many per picture pixel of width as the primary's grid
// has; the grid limits them further.
std::uint32_t CoverStreams(std::uint32_t primaryStreams, std::int32_t primaryWidth,
                           std::int32_t coverWidth);

}  // namespace vorlix
