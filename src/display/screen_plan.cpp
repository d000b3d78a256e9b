#include "display/screen_plan.h"

namespace vorlix {

namespace {

constexpr std::int32_t PixelsPerZoomStep = 1000;  // 1080 rows: 1; 2160 rows: 2
constexpr std::int32_t DotsPerZoomStep = 96;
constexpr std::int32_t MinPictureRows = 480;

std::int32_t Width(const ScreenRect& rect) { return rect.right - rect.left; }
std::int32_t Height(const ScreenRect& rect) { return rect.bottom - rect.top; }

ScreenRect Centred(std::int32_t width, std::int32_t height, std::int32_t outerWidth,
                   std::int32_t outerHeight) {
    std::int32_t left = (outerWidth - width) / 2;
    std::int32_t top = (outerHeight - height) / 2;
    return ScreenRect{left, top, left + width, top + height};
}

// A monitor that shows nothing of the picture.
PlannedScreen BlackScreen(const MonitorInfo& monitor) {
    PlannedScreen screen;
    screen.monitor = monitor.bounds;
    return screen;
}

bool Inside(const ScreenRect& inner, const ScreenRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool SameRect(const ScreenRect& a, const ScreenRect& b) {
    return Inside(a, b) && Inside(b, a);
}

// The distinct monitors of a list given to a plan, copied so that the list stays as it was.
int CopyDistinct(const MonitorInfo* monitors, int count, MonitorInfo* copy) {
    if (count > MaxListedMonitors) count = MaxListedMonitors;
    for (int i = 0; i < count; ++i) copy[i] = monitors[i];
    return DistinctMonitors(copy, count);
}

}  // namespace

bool HiddenMonitor(const MonitorInfo* monitors, int count, int index) {
    const ScreenRect& bounds = monitors[index].bounds;
    for (int other = 0; other < count; ++other) {
        if (other == index || !Inside(bounds, monitors[other].bounds)) continue;
        if (!SameRect(bounds, monitors[other].bounds) || other < index) return true;
    }
    return false;
}

int DistinctMonitors(MonitorInfo* monitors, int count) {
    bool hidden[MaxListedMonitors] = {};
    if (count > MaxListedMonitors) count = MaxListedMonitors;
    for (int i = 0; i < count; ++i) hidden[i] = HiddenMonitor(monitors, count, i);
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (!hidden[i]) monitors[kept++] = monitors[i];
    return kept;
}

std::int32_t AutoZoom(std::int32_t width, std::int32_t height, std::int32_t dotsPerInch) {
    std::int32_t shortSide = width < height ? width : height;
    if (shortSide <= 0) return 1;
    std::int32_t bySize = shortSide / PixelsPerZoomStep;
    std::int32_t byDensity =
        dotsPerInch > 0 ? (dotsPerInch + DotsPerZoomStep / 2) / DotsPerZoomStep : 1;
    std::int32_t zoom = bySize > byDensity ? bySize : byDensity;
    if (zoom > MaxGlyphZoom) zoom = MaxGlyphZoom;
    while (zoom > 1 && shortSide / zoom < MinPictureRows) --zoom;
    return zoom < 1 ? 1 : zoom;
}

std::int32_t ChooseZoom(std::int32_t choice, std::int32_t width, std::int32_t height,
                        std::int32_t dotsPerInch) {
    if (choice >= 1 && choice <= MaxGlyphZoom) return choice;
    return AutoZoom(width, height, dotsPerInch);
}

ScreenPlan PlanDesktopSize(const MonitorInfo* listed, int listedCount, std::int32_t zoomChoice) {
    MonitorInfo monitors[MaxListedMonitors];
    const int count = CopyDistinct(listed, listedCount, monitors);
    ScreenPlan plan;
    for (int i = 0; i < count && i < MaxMonitors; ++i) {
        const MonitorInfo& monitor = monitors[i];
        PlannedScreen& screen = plan.screens[plan.count++];
        screen = BlackScreen(monitor);
        std::int32_t width = Width(monitor.bounds);
        std::int32_t height = Height(monitor.bounds);
        if (width <= 0 || height <= 0) continue;
        std::int32_t zoom = ChooseZoom(zoomChoice, width, height, monitor.dotsPerInch);
        // A monitor too large for any buffer at its zoom is drawn at a larger one.
        while (zoom < MaxGlyphZoom &&
               (width / zoom > MaxPictureSide || height / zoom > MaxPictureSide))
            ++zoom;
        std::int32_t partWidth = width / zoom;
        std::int32_t partHeight = height / zoom;
        // Past the widest picture a device takes, a monitor stays black rather than fail all.
        if (plan.width + partWidth > MaxPictureSide || partHeight > MaxPictureSide) continue;
        screen.zoom = zoom;
        screen.source = ScreenRect{plan.width, 0, plan.width + partWidth, partHeight};
        screen.target = Centred(partWidth * zoom, partHeight * zoom, width, height);
        plan.width += partWidth;
        if (partHeight > plan.height) plan.height = partHeight;
    }
    return plan;
}

ScreenPlan PlanMode(const MonitorInfo* listed, int listedCount, std::int32_t width,
                    std::int32_t height) {
    MonitorInfo monitors[MaxListedMonitors];
    const int count = CopyDistinct(listed, listedCount, monitors);
    ScreenPlan plan;
    plan.width = width;
    plan.height = height;
    for (int i = 0; i < count && i < MaxMonitors; ++i)
        plan.screens[plan.count++] = BlackScreen(monitors[i]);
    if (plan.count == 0) return plan;
    PlannedScreen& primary = plan.screens[0];
    primary.source = ScreenRect{0, 0, width, height};
    primary.target = FitInside(width, height, Width(primary.monitor), Height(primary.monitor));
    return plan;
}

ScreenPlan PlanWindow(std::int32_t width, std::int32_t height, std::int32_t dotsPerInch,
                      std::int32_t zoomChoice) {
    MonitorInfo window;
    window.bounds = ScreenRect{0, 0, width, height};
    window.dotsPerInch = dotsPerInch;
    return PlanDesktopSize(&window, 1, zoomChoice);
}

ScreenRect FitInside(std::int32_t sourceWidth, std::int32_t sourceHeight,
                     std::int32_t targetWidth, std::int32_t targetHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return ScreenRect{};
    // Compare target/source ratios by cross-multiplying: the narrower one decides.
    std::int64_t byWidth = static_cast<std::int64_t>(targetWidth) * sourceHeight;
    std::int64_t byHeight = static_cast<std::int64_t>(targetHeight) * sourceWidth;
    std::int32_t width = targetWidth;
    std::int32_t height = targetHeight;
    if (byWidth <= byHeight)
        height = static_cast<std::int32_t>(byWidth / sourceWidth);
    else
        width = static_cast<std::int32_t>(byHeight / sourceHeight);
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    return Centred(width, height, targetWidth, targetHeight);
}

}  // namespace vorlix
