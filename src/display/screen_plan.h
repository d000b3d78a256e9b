#pragma once
// Where the saver's picture goes on the monitors. "Desktop size" builds the picture from every
// monitor's own size divided by a whole-number glyph zoom, the monitors' parts side by side;
// a fixed mode shows its picture fitted on the primary monitor and leaves the others black;
// a window gets the same zoom rule as a monitor of its size.
#include <cstdint>

#include "platform/screen_layout.h"

namespace vorlix {

constexpr std::int32_t MaxGlyphZoom = 4;
constexpr std::int32_t AutoGlyphZoom = 0;
// No picture side beyond this: the display device refuses larger buffers.
constexpr std::int32_t MaxPictureSide = 8192;

// The zoom for a screen of that size and density (dots per inch, 0 when unknown): one step
// per thousand pixels of its shorter side or per 96 dots per inch, whichever is more, never
// leaving fewer than 480 picture rows and never above MaxGlyphZoom.
std::int32_t AutoZoom(std::int32_t width, std::int32_t height, std::int32_t dotsPerInch);
// choice 1 to 4 is taken as it is; anything else means the automatic zoom.
std::int32_t ChooseZoom(std::int32_t choice, std::int32_t width, std::int32_t height,
                        std::int32_t dotsPerInch);

// The most monitors a list handed to the rules below may hold; more are not looked at.
constexpr int MaxListedMonitors = 64;

// Whether the monitor at index lies inside another's rectangle, as mirrored outputs do: it adds
// nothing to cover. Of equal ones the first is not hidden.
bool HiddenMonitor(const MonitorInfo* monitors, int count, int index);
// Drops the hidden monitors. Keeps the order; returns the count left.
int DistinctMonitors(MonitorInfo* monitors, int count);

// Both plans cover the distinct monitors only, at most MaxMonitors of them.
ScreenPlan PlanDesktopSize(const MonitorInfo* monitors, int count, std::int32_t zoomChoice);
ScreenPlan PlanMode(const MonitorInfo* monitors, int count, std::int32_t width,
                    std::int32_t height);
ScreenPlan PlanWindow(std::int32_t width, std::int32_t height, std::int32_t dotsPerInch,
                      std::int32_t zoomChoice);

// The largest rectangle of the source's shape inside the target, centred.
ScreenRect FitInside(std::int32_t sourceWidth, std::int32_t sourceHeight,
                     std::int32_t targetWidth, std::int32_t targetHeight);

}  // namespace vorlix
