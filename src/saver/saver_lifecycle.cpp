// Window creation, destruction and the teardown both share.
#include <cstdio>
#include <cstring>
#include <new>

#include "diagnostics/debug_log.h"
#include "display/screen_plan.h"
#include "glyphs/blitters.h"
#include "glyphs/processor_path.h"
#include "platform/desktop.h"
#include "platform/window_messages.h"
#include "rain/draw_thread.h"
#include "rain/random.h"
#include "rain/redraw_mode.h"
#include "rain/thread_flags.h"
#include "saver/default_saver_proc.h"
#include "saver/monitor_covers.h"
#include "saver/saver_state.h"
#include "saver/screen_saver_proc.h"
#include "settings/resolution_table.h"
#include "settings/settings_override.h"
#include "settings/settings_store.h"
#include "support/string.h"

namespace vorlix {

SaverObjects WindowObjects;
std::uint8_t FullScreenMode = 0;
WindowHandle SaverWindow = 0;

namespace {

constexpr std::uint32_t DirectoryBufferSize = 1024;
constexpr const char* GlyphFileName = "glyph2.ani";

constexpr const char* GlyphFileMissingText =
    "Unable to load glyph animation file.\n"
    "\n"
    "Make sure you have unzipped both the files\n"
    "\"vorlix.scr\" and \"glyph2.ani\"\n"
    "to your Windows directory\n"
    "\n"
    "Please do NOT send me questions on how\n"
    "to use a zip utility or any other similar\n"
    "questions. Thanks.";

using DirectoryQuery = std::uint32_t (*)(char*, std::uint32_t);

LResult FailCreation(const char* line) {
    ThreadEnded.store(1);
    if (line != nullptr) LogMessage(line, LOG_ERROR);
    return TeardownSaverObjects();
}

void LogPlan(const ScreenPlan& plan, const char* tag) {
    for (int i = 0; i < plan.count; ++i) {
        const PlannedScreen& screen = plan.screens[i];
        char line[160];
        std::snprintf(line, sizeof line,
                      "[%s] Screen %d: %dx%d at %d,%d, picture part %dx%d, zoom %d", tag, i,
                      screen.monitor.right - screen.monitor.left,
                      screen.monitor.bottom - screen.monitor.top, screen.monitor.left,
                      screen.monitor.top, screen.source.right - screen.source.left,
                      screen.source.bottom - screen.source.top, screen.zoom);
        LogMessage(line, LOG_INFO);
    }
}

constexpr const char* NoMonitorLine = "[WM_CREATE] No monitor found to run full screen on";

// Where the host offers "Desktop size": every monitor gets its part of the picture, and with
// that choice the picture is the monitors' own sizes over their zoom. False when the host
// reports no monitor at all.
bool PlanFullScreen(const char* tag) {
    WindowObjects.plan = ScreenPlan{};
    if (!platform::OffersDesktopSize()) return true;
    MonitorInfo monitors[MaxMonitors];
    int count = platform::ReadMonitors(monitors, MaxMonitors);
    if (count == 0) return false;
    std::int32_t zoom = static_cast<std::int32_t>(Settings.Zoom);
    ScreenPlan plan = Settings.ResolutionIndex == DesktopSizeIndex
                          ? PlanDesktopSize(monitors, count, zoom)
                          : PlanMode(monitors, count, Settings.ScreenWidth, Settings.ScreenHeight);
    if (plan.count == 0 || plan.width <= 0 || plan.height <= 0) return true;
    WindowObjects.plan = plan;
    Settings.ScreenWidth = plan.width;
    Settings.ScreenHeight = plan.height;
    LogPlan(plan, tag);
    return true;
}

// A window drawn into follows the same zoom rule at the window's size.
void PlanWindowed(std::int32_t width, std::int32_t height) {
    WindowObjects.plan = ScreenPlan{};
    Settings.ScreenWidth = width;
    Settings.ScreenHeight = height;
    if (!platform::OffersDesktopSize()) return;
    MonitorInfo monitor;
    std::int32_t dotsPerInch = platform::ReadMonitors(&monitor, 1) == 1 ? monitor.dotsPerInch : 0;
    std::int32_t zoom = static_cast<std::int32_t>(Settings.Zoom);
    ScreenPlan plan = PlanWindow(width, height, dotsPerInch, zoom);
    if (plan.count == 0 || plan.width <= 0 || plan.height <= 0) return;
    WindowObjects.plan = plan;
    Settings.ScreenWidth = plan.width;
    Settings.ScreenHeight = plan.height;
    LogPlan(plan, "WM_CREATE");
}

// Null, or the line to fail with.
const char* ChooseMode(WindowHandle window) {
    bool fullScreen = platform::ParentWindow(window) == 0;
    InitErrorMsg(fullScreen);
    LogMessage("[DEBUG] Got message WM_CREATE", LOG_INFO);
    if (fullScreen) {
        LogMessage("[WM_CREATE] Fullscreen mode", LOG_GOSSIP);
        FullScreenMode = 1;
        if (!PlanFullScreen("WM_CREATE")) return NoMonitorLine;
        platform::SendWindowMessage(
            window, WM_SIZE, 0,
            MakeLParam(static_cast<std::uint32_t>(Settings.ScreenWidth),
                       static_cast<std::uint32_t>(Settings.ScreenHeight)));
        return nullptr;
    }
    LogMessage("[WM_CREATE] Windowed mode", LOG_GOSSIP);
    FullScreenMode = 0;
    ScreenRect rect;
    if (!platform::WindowRect(window, rect)) return nullptr;
    PlanWindowed(rect.right - rect.left, rect.bottom - rect.top);
    return nullptr;
}

// The glyph file in one directory, or null. A directory too long for the path text is
// passed over rather than read from a cut-off path.
Animation* LoadGlyphsFrom(DirectoryQuery query) {
    char directory[DirectoryBufferSize];
    std::uint32_t length = query(directory, DirectoryBufferSize);
    if (length == 0 || length >= DirectoryBufferSize) return nullptr;
    std::size_t pathLength =
        length + std::strlen(platform::PathSeparator) + std::strlen(GlyphFileName);
    if (pathLength > static_cast<std::size_t>(String::MaxTaken)) return nullptr;
    String path(directory);
    path.Append(platform::PathSeparator).Append(GlyphFileName);
    return WindowObjects.loader->LoadAnimation(path, false);
}

bool UsableGlyphs(const Animation& glyphs) {
    return glyphs.frameCount >= MinGlyphFrames && glyphs.width > 0 && glyphs.height > 0;
}

// Null with the reason logged, or the first file found.
const char* LoadGlyphs() {
    Animation* glyphs = LoadGlyphsFrom(platform::DataDirectory);
    if (glyphs == nullptr) glyphs = LoadGlyphsFrom(platform::PrefixDataDirectory);
    if (glyphs == nullptr) glyphs = LoadGlyphsFrom(platform::FallbackDataDirectory);
    // A file that is there but unreadable has had its reason logged; that reason, not the
    // advice for a missing file, is what the user needs to see.
    if (glyphs == nullptr) return LastErrorLevel() >= LOG_ERROR ? "" : GlyphFileMissingText;
    WindowObjects.glyphs = glyphs;
    if (UsableGlyphs(*glyphs)) return nullptr;
    return "[WM_CREATE] Glyph animation file holds fewer than 55 frames or empty frames";
}

// Without its memory the record stays empty and every frame is drawn in full.
void PrepareCellRecord() {
    const RainGrid& grid = WindowObjects.grid;
    if (!WindowObjects.record.Allocate(grid.Columns * grid.Rows))
        LogMessage("[WM_CREATE] No memory for the cell record: every frame drawn in full",
                   LOG_WARNING);
    const bool full = ChosenRedrawMode() == RedrawMode::Full;
    if (full) LogMessage("[WM_CREATE] Full frames: VORLIX_FULL_REDRAW is set", LOG_INFO);
    if (ChosenProcessorPath() == ProcessorPath::Baseline)
        LogMessage("[WM_CREATE] Baseline processor path: VORLIX_CPU=baseline is set", LOG_INFO);
    WindowObjects.record.SetFullRedraw(full);
}

void PrepareThreadStart() {
    PrepareCellRecord();
    Drawing.display = WindowObjects.display;
    Drawing.glyphs = WindowObjects.glyphs;
    Drawing.grid = &WindowObjects.grid;
    Drawing.record = &WindowObjects.record;
    // Made again from the glyphs now loaded, when first drawn with.
    WindowObjects.wide.Clear();
    Drawing.wide = &WindowObjects.wide;
    Drawing.covers = &WindowObjects.covers;
    ThreadAlive.store(1);
    ThreadEnded.store(0);
    ThreadDrawing.store(1);
    MonitorOff.store(0);
}

// Everything after the display manager exists; null, or the line to fail with (an empty text
// for a failure already logged).
const char* BuildDrawing(WindowHandle window) {
    WindowObjects.display->UseScreenPlan(WindowObjects.plan);
    if (!WindowObjects.display->CreateDirectDraw(window, Settings.ScreenWidth,
                                                 Settings.ScreenHeight, FullScreenMode != 0))
        return "";
    WindowObjects.loader = new (std::nothrow) GraphicsLoader;
    if (WindowObjects.loader == nullptr || WindowObjects.loader->ScratchPad == nullptr)
        return "[WM_CREATE] Unable to create Loader object";
    LogMessage("[WM_CREATE] GraphicsLoader object allocated", LOG_INFO);
    WindowObjects.loader->SetPixelFormat(WindowObjects.display->GetPixelFormat());
    if (const char* failure = LoadGlyphs()) return failure;
    LogMessage("[WM_CREATE] Glyph images loaded", LOG_INFO);
    const Animation& glyphs = *WindowObjects.glyphs;
    if (!BuildRainGrid(WindowObjects.grid, Settings.ScreenWidth, Settings.ScreenHeight,
                       glyphs.width, glyphs.height, Settings.Density, Settings.HighlightDensity))
        return "[WM_CREATE] Unable to allocate memory for Vorlix";
    ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(Settings.ScreenWidth),
                             static_cast<std::uint16_t>(Settings.ScreenHeight)};
    // The other monitors as laid out after the mode change.
    if (const char* failure = BuildMonitorCovers()) return failure;
    LogMessage("[WM_CREATE] All object created, run Vorlix", LOG_GOSSIP);
    PrepareThreadStart();
    // Without a thread nothing would ever set ThreadEnded for WM_DESTROY to see.
    if (!platform::StartThread(DrawVorlix)) return "[WM_CREATE] Unable to start drawing thread";
    return nullptr;
}

}  // namespace

LResult CreateSaverObjects(WindowHandle window) {
    WindowObjects.display = nullptr;
    WindowObjects.loader = nullptr;
    WindowObjects.glyphs = nullptr;
    WindowObjects.grid.Cells = nullptr;
    WindowObjects.plan = ScreenPlan{};
    Drawing = DrawTargets{};
    DrawActive.store(0);
    LastFrameTime.store(0);
    SeedRandom(platform::TickCount());
    if (!LoadSettings(window)) {
        ShowErrorMsg(window);
        ThreadEnded.store(1);
        return -1;
    }
    // Values given for this run only; the dialog never sees them, so they are never saved.
    ApplySettingsOverrides(Settings);
    const char* noMonitor = ChooseMode(window);
    // Said once the log is open: the run goes on with the defaults.
    if (const char* refusal = SettingsStoreRefusal()) LogMessage(refusal, LOG_WARNING);
    if (noMonitor != nullptr) return FailCreation(noMonitor);
    WindowObjects.display = new (std::nothrow) DDrawManager;
    if (WindowObjects.display == nullptr)
        return FailCreation("[WM_CREATE] Unable to allocate memory for main DDrawManager object");
    SaverWindow = window;
    if (const char* failure = BuildDrawing(window))
        return FailCreation(*failure != '\0' ? failure : nullptr);
    DrawActive.store(1);
    return 0;
}

namespace {

// The display and the grid again, with the thread stopped, after a new plan: a preview's at its
// window's new size, a full-screen one's over the monitors as they are now (tag names the
// message in the plan's log lines). Null, or the line to fail with (an empty text for a failure
// already logged).
const char* RebuildDrawing(WindowHandle window, std::int32_t width, std::int32_t height,
                           const char* tag) {
    const bool fullScreen = FullScreenMode != 0;
    Drawing = DrawTargets{};
    FreeRainGrid(WindowObjects.grid);
    WindowObjects.grid.Cells = nullptr;
    const PixelFormat format = WindowObjects.display->GetPixelFormat();
    delete WindowObjects.display;
    WindowObjects.display = new (std::nothrow) DDrawManager;
    if (WindowObjects.display == nullptr)
        return "[WM_CREATE] Unable to allocate memory for main DDrawManager object";
    if (fullScreen) {
        // The saver window always covers a monitor: one is there to plan for.
        if (!PlanFullScreen(tag)) return NoMonitorLine;
    } else
        PlanWindowed(width, height);
    width = Settings.ScreenWidth;
    height = Settings.ScreenHeight;
    WindowObjects.display->UseScreenPlan(WindowObjects.plan);
    if (!WindowObjects.display->CreateDirectDraw(window, width, height, fullScreen)) return "";
    if (WindowObjects.display->GetPixelFormat() != format) {
        // The glyphs are kept in the display's layout: load them again in the new one.
        delete WindowObjects.glyphs;
        WindowObjects.glyphs = nullptr;
        WindowObjects.loader->SetPixelFormat(WindowObjects.display->GetPixelFormat());
        if (const char* failure = LoadGlyphs()) return failure;
    }
    const Animation& glyphs = *WindowObjects.glyphs;
    if (!BuildRainGrid(WindowObjects.grid, width, height, glyphs.width, glyphs.height,
                       Settings.Density, Settings.HighlightDensity))
        return "[WM_CREATE] Unable to allocate memory for Vorlix";
    ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(width),
                             static_cast<std::uint16_t>(height)};
    PrepareThreadStart();
    if (!platform::StartThread(DrawVorlix)) return "[WM_CREATE] Unable to start drawing thread";
    return nullptr;
}

bool CanRebuild() {
    return WindowObjects.display != nullptr && WindowObjects.glyphs != nullptr &&
           WindowObjects.grid.Cells != nullptr;
}

// Stops the draw thread for a rebuild, within a bound; on false it runs on as before and
// refusal is logged.
bool StopThreadForRebuild(bool& wasActive, const char* refusal) {
    wasActive = DrawActive.load() != 0;
    DrawActive.store(0);
    ThreadAlive.store(0);
    if (WaitForThreadEnd(ThreadEndTimeoutMs)) return true;
    LogMessage(refusal, LOG_WARNING);
    ThreadAlive.store(1);
    DrawActive.store(wasActive ? 1 : 0);
    return false;
}

bool WindowSizeUnchanged(std::int32_t width, std::int32_t height) {
    if (WindowObjects.plan.count == 0)
        return width == Settings.ScreenWidth && height == Settings.ScreenHeight;
    const ScreenRect& window = WindowObjects.plan.screens[0].monitor;
    return width == window.right - window.left && height == window.bottom - window.top;
}

}  // namespace

// A preview whose window changed size: the thread stops, the display and the grid are built
// again at the new size, and the thread starts again. Full screen nothing changes.
void ResizeSaverObjects(WindowHandle window, std::int32_t width, std::int32_t height) {
    if (FullScreenMode != 0 || !CanRebuild() || width <= 0 || height <= 0) return;
    if (WindowSizeUnchanged(width, height)) return;
    bool wasActive = false;
    if (!StopThreadForRebuild(wasActive,
                              "[WM_SIZE] Drawing thread did not end; size change ignored"))
        return;
    LogMessage("[WM_SIZE] Preview window resized, rebuilding", LOG_INFO);
    if (const char* failure = RebuildDrawing(window, width, height, "WM_SIZE")) {
        FailCreation(*failure != '\0' ? failure : nullptr);
        return;
    }
    DrawActive.store(wasActive ? 1 : 0);
}

// Monitors added, removed or changed under a full-screen saver: the host lays its windows over
// them again, and the picture is planned and built anew for them, the thread stopped meanwhile.
// What each buffer showed goes with the old display.
void FollowMonitorChange(WindowHandle window) {
    if (FullScreenMode == 0 || !platform::OffersDesktopSize() || !CanRebuild()) return;
    bool wasActive = false;
    if (!StopThreadForRebuild(
            wasActive, "[WM_DISPLAYCHANGE] Drawing thread did not end; monitor change ignored"))
        return;
    const int covered = platform::CoverMonitors(window);
    // The pointer may have been moved off a monitor that went: moves count from where it is.
    CursorCaptured = 0;
    platform::CursorPosition(LastCursorPos);
    char line[96];
    std::snprintf(line, sizeof line, "[WM_DISPLAYCHANGE] Monitors changed: %d covered, rebuilding",
                  covered);
    LogMessage(line, LOG_INFO);
    if (const char* failure = RebuildDrawing(window, 0, 0, "WM_DISPLAYCHANGE")) {
        FailCreation(*failure != '\0' ? failure : nullptr);
        return;
    }
    DrawActive.store(wasActive ? 1 : 0);
}

LResult TeardownSaverObjects() {
    DrawActive.store(0);
    Drawing = DrawTargets{};
    delete WindowObjects.glyphs;
    WindowObjects.glyphs = nullptr;
    if (WindowObjects.grid.Cells != nullptr) FreeRainGrid(WindowObjects.grid);
    WindowObjects.grid.Cells = nullptr;
    FreeMonitorCovers();
    WindowObjects.record.Free();
    WindowObjects.wide.Clear();
    delete WindowObjects.loader;
    WindowObjects.loader = nullptr;
    if (WindowObjects.display != nullptr) {
        WindowObjects.display->FlipToGdi();
        platform::ShowCursor(true);
        ShowErrorMsg(SaverWindow);
        delete WindowObjects.display;
    } else {
        platform::ShowCursor(true);
        ShowErrorMsg(0);
    }
    WindowObjects.display = nullptr;
    return -1;
}

LResult DestroySaverObjects(WindowHandle window, WParam w, LParam l) {
    ThreadAlive.store(0);
    LogMessage("[STATE] WM_DESTROY detected", LOG_GOSSIP);
    if (WaitForThreadEnd(ThreadEndTimeoutMs)) {
        TeardownSaverObjects();
    } else {
        // The thread may still be using the objects: leave them to the process's end.
        LogMessage("[WM_DESTROY] Drawing thread did not end; its objects are left in place",
                   LOG_WARNING);
        DrawActive.store(0);
        platform::ShowCursor(true);
    }
    StopErrorMsg();
    return DefaultSaverProc(window, WM_DESTROY, w, l);
}

}  // namespace vorlix
