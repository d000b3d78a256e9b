#include "saver/monitor_covers.h"

#include <cstdio>

#include "diagnostics/debug_log.h"
#include "display/cover_plan.h"
#include "glyphs/pixel_format.h"
#include "platform/cover_window.h"
#include "platform/desktop.h"
#include "platform/screen_layout.h"
#include "platform/window_messages.h"
#include "rain/redraw_mode.h"
#include "saver/screen_saver_proc.h"
#include "settings/settings_store.h"

namespace vorlix {

namespace {

constexpr const char* NoMonitorText = "[WM_CREATE] No monitor found to show the saver on";

// Input messages with their Win32 numbers: every key and every mouse message.
constexpr MessageId FirstKeyMessage = 0x0100;
constexpr MessageId LastKeyMessage = 0x0109;
constexpr MessageId FirstMouseMessage = 0x0200;
constexpr MessageId LastMouseMessage = 0x020E;

void LogMonitor(int number, const ScreenRect& monitor, const char* what) {
    char line[160];
    std::snprintf(line, sizeof line, "[WM_CREATE] Monitor %d: %dx%d at %d,%d, %s", number,
                  monitor.right - monitor.left, monitor.bottom - monitor.top, monitor.left,
                  monitor.top, what);
    LogMessage(line, LOG_INFO);
}

void LogRain(int number, const CoverScreen& screen) {
    char what[64];
    std::snprintf(what, sizeof what, "rain %dx%d, zoom %d", screen.width, screen.height,
                  screen.zoom);
    LogMonitor(number, screen.monitor, what);
}

// The grid, its record and the window's pixels; false leaves the cover black.
bool PrepareRain(Cover& cover, const CoverScreen& screen) {
    platform::LockedMemory memory;
    if (!cover.window->Pixels(memory)) return false;
    const Animation& glyphs = *WindowObjects.glyphs;
    const std::uint32_t streams =
        CoverStreams(Settings.Density, Settings.ScreenWidth, screen.width);
    if (!BuildRainGrid(cover.grid, screen.width, screen.height, glyphs.width, glyphs.height,
                       streams, Settings.HighlightDensity))
        return false;
    // Without its memory every frame of this cover is drawn in full.
    cover.record.Allocate(cover.grid.Columns * cover.grid.Rows);
    cover.record.SetFullRedraw(ChosenRedrawMode() == RedrawMode::Full);
    cover.view = SurfaceView{static_cast<std::uint16_t*>(memory.pixels), screen.width,
                             screen.height, memory.pitchBytes / 2};
    return true;
}

void MakeCover(Cover& cover, const CoverScreen& screen) {
    platform::CoverLayout layout;
    layout.monitor = screen.monitor;
    layout.width = screen.width;
    layout.height = screen.height;
    layout.zoom = screen.zoom;
    layout.rgb565 = ActivePixelFormat == Rgb565;
    layout.procedure = CoverWindowProc;
    cover.window = platform::CreateCoverWindow(layout);
    if (!cover.window) {
        LogMonitor(cover.monitor, screen.monitor, "no window could be made over it");
        return;
    }
    if (screen.width <= 0 || screen.height <= 0) {
        LogMonitor(cover.monitor, screen.monitor, "black");
        return;
    }
    if (!PrepareRain(cover, screen)) {
        cover.window->LeaveBlack();
        LogMonitor(cover.monitor, screen.monitor, "black: no memory for its rain");
        return;
    }
    cover.drawing = true;
    LogRain(cover.monitor, screen);
}

bool IsInput(MessageId message) {
    return (message >= FirstKeyMessage && message <= LastKeyMessage) ||
           (message >= FirstMouseMessage && message <= LastMouseMessage) ||
           message == WM_SETCURSOR || message == WM_SYSCOMMAND;
}

}  // namespace

const char* BuildMonitorCovers() {
    FreeMonitorCovers();
    if (FullScreenMode == 0 || !platform::OffersCoverWindows()) return nullptr;
    MonitorInfo monitors[MaxCoveredMonitors];
    const int count = platform::ReadMonitors(monitors, MaxCoveredMonitors);
    if (count <= 0) return NoMonitorText;
    LogMonitor(0, monitors[0].bounds, "the saver's own display");
    const CoverPlan plan = PlanCovers(monitors, count);
    CoverSet& covers = WindowObjects.covers;
    if (!covers.Allocate(plan.count)) return "[WM_CREATE] Unable to allocate memory for Vorlix";
    for (int i = 0; i < plan.count; ++i) {
        covers[i].monitor = i + 1;
        MakeCover(covers[i], plan.screens[i]);
    }
    return nullptr;
}

void FreeMonitorCovers() {
    WindowObjects.covers.Free();
}

LResult CoverWindowProc(WindowHandle window, MessageId message, WParam w, LParam l) {
    if (IsInput(message) && SaverWindow != 0 && SaverWindow != window)
        return platform::SendWindowMessage(SaverWindow, message, w, l);
    return platform::DefaultWindowProc(window, message, w, l);
}

}  // namespace vorlix
