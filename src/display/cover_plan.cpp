#include "display/cover_plan.h"

#include "display/screen_plan.h"

namespace vorlix {

namespace {

std::int32_t Width(const ScreenRect& rect) {
    return rect.right - rect.left;
}
std::int32_t Height(const ScreenRect& rect) {
    return rect.bottom - rect.top;
}

// The automatic zoom, raised where the picture would pass the largest buffer; 0 when no zoom
// brings it within.
std::int32_t FittingZoom(const MonitorInfo& monitor) {
    const std::int32_t width = Width(monitor.bounds);
    const std::int32_t height = Height(monitor.bounds);
    for (std::int32_t zoom = AutoZoom(width, height, monitor.dotsPerInch); zoom <= MaxGlyphZoom;
         ++zoom)
        if (width / zoom <= MaxPictureSide && height / zoom <= MaxPictureSide) return zoom;
    return 0;
}

CoverScreen Cover(const MonitorInfo& monitor, bool withRain) {
    CoverScreen screen;
    screen.monitor = monitor.bounds;
    const std::int32_t zoom = withRain ? FittingZoom(monitor) : 0;
    if (zoom == 0) return screen;
    screen.zoom = zoom;
    screen.width = Width(monitor.bounds) / zoom;
    screen.height = Height(monitor.bounds) / zoom;
    return screen;
}

}  // namespace

CoverPlan PlanCovers(const MonitorInfo* monitors, int count) {
    CoverPlan plan;
    if (count <= 0) return plan;
    for (int i = 1; i < count && plan.count < MaxCoveredMonitors - 1; ++i) {
        const MonitorInfo& monitor = monitors[i];
        if (Width(monitor.bounds) <= 0 || Height(monitor.bounds) <= 0) continue;
        if (HiddenMonitor(monitors, count, i)) continue;
        // The primary is the first of the monitors with rain.
        plan.screens[plan.count] = Cover(monitor, plan.count + 1 < MaxMonitors);
        ++plan.count;
    }
    return plan;
}

std::uint32_t CoverStreams(std::uint32_t primaryStreams, std::int32_t primaryWidth,
                           std::int32_t coverWidth) {
    if (primaryWidth <= 0 || coverWidth <= 0) return 0;
    const std::uint64_t streams = static_cast<std::uint64_t>(primaryStreams) *
                                  static_cast<std::uint64_t>(coverWidth) /
                                  static_cast<std::uint64_t>(primaryWidth);
    return streams > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(streams);
}

}  // namespace vorlix
