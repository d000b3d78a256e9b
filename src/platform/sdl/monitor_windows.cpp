#include "platform/sdl/monitor_windows.h"

#include <SDL2/SDL_syswm.h>

#include "display/screen_plan.h"
#include "platform/desktop.h"
#include "platform/sdl/wayland_display.h"
#include "platform/sdl/x11_monitors.h"
#include "platform/sdl/x11_windows.h"
#include "platform/window_messages.h"

namespace vorlix::sdl {

namespace {

constexpr const char* OwnedTitle = "Screen Saver";
// Long enough for a layout tool's steps and the rebuild after them.
constexpr std::uint32_t SettleMs = 1000;

// When the last notice of a layout change came; 0 for never. Window thread only.
std::uint32_t LastLayoutNotice = 0;

bool SameRect(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// SDL's own list, where RandR gives none.
int ReadSdlMonitors(MonitorInfo* monitors, int capacity) {
    int available = SDL_GetNumVideoDisplays();
    int count = 0;
    for (int i = 0; i < available && count < capacity; ++i) {
        SDL_Rect bounds{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(i, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) continue;
        float diagonal = 0.0f;
        if (SDL_GetDisplayDPI(i, &diagonal, nullptr, nullptr) != 0) diagonal = 0.0f;
        MonitorInfo& monitor = monitors[count++];
        monitor.bounds = ScreenRect{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
        monitor.dotsPerInch = static_cast<std::int32_t>(diagonal + 0.5f);
    }
    return count;
}

// SDL places a full-screen window on the display its list has there; where that list is out of
// date the window is placed by hand instead.
bool SdlKnowsMonitor(const ScreenRect& bounds) {
    int available = SDL_GetNumVideoDisplays();
    for (int i = 0; i < available; ++i) {
        SDL_Rect known{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(i, &known) != 0) continue;
        if (SameRect(bounds, ScreenRect{known.x, known.y, known.x + known.w, known.y + known.h}))
            return true;
    }
    return false;
}

// The X window id on x11; on wayland, where windows have none, SDL's own id of the window.
WindowHandle HandleOf(SDL_Window* window) {
    if (DriverIsWayland()) return SDL_GetWindowID(window);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

void NoteGeometry(HostWindow& host) {
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(host.window, &x, &y);
    SDL_GetWindowSize(host.window, &w, &h);
    host.originX.store(x);
    host.originY.store(y);
    host.width.store(w);
    host.height.store(h);
    host.surfaceStale.store(true);
}

// A Wayland compositor puts a full-screen window on the output its position names. Under X,
// full-screen-desktop needs a window manager (without one the flags do nothing, and a
// borderless window at the monitor's corner does the job) and a monitor SDL knows.
bool FullScreenFlagFits(const ScreenRect& bounds) {
    return DriverIsWayland() || (X11HasWindowManager() && SdlKnowsMonitor(bounds));
}

// A monitor-sized window.
bool OpenFullScreen(HostWindow& host, const char* title, const ScreenRect& bounds) {
    std::int32_t width = bounds.right - bounds.left;
    std::int32_t height = bounds.bottom - bounds.top;
    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    if (FullScreenFlagFits(bounds)) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    host.window = SDL_CreateWindow(title, bounds.left, bounds.top, width, height, flags);
    if (host.window == nullptr) return false;
    host.handle = HandleOf(host.window);
    if (DriverIsWayland()) {
        WatchWaylandDisplay(host.window);
        ShowBlackAtOnce(host.window);
    }
    NoteGeometry(host);
    host.fullScreen = true;
    host.covers.bounds = bounds;
    return host.handle != 0;
}

void MoveFullScreen(HostWindow& host, const MonitorInfo& monitor) {
    const ScreenRect& bounds = monitor.bounds;
    SDL_SetWindowFullscreen(host.window, 0);
    SDL_SetWindowPosition(host.window, bounds.left, bounds.top);
    SDL_SetWindowSize(host.window, bounds.right - bounds.left, bounds.bottom - bounds.top);
    if (FullScreenFlagFits(bounds))
        SDL_SetWindowFullscreen(host.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    NoteGeometry(host);
    host.covers = monitor;
}

void CloseWindow(HostWindow& host) {
    if (host.window != nullptr) SDL_DestroyWindow(host.window);
    RemoveHostWindow(host);
}

// A window owned by saver on the monitor, or null.
HostWindow* OpenOwned(const HostWindow& saver, const MonitorInfo& monitor, int index) {
    HostWindow* host = AddHostWindow();
    if (host == nullptr) return nullptr;
    if (!OpenFullScreen(*host, OwnedTitle, monitor.bounds)) {
        CloseWindow(*host);
        return nullptr;
    }
    host->covers = monitor;
    host->monitor = index;
    host->owner = saver.handle;
    return host;
}

HostWindow* FullScreenSaver() {
    for (int i = 0; i < MaxHostWindows; ++i) {
        HostWindow* host = HostWindowAt(i);
        if (host != nullptr && host->fullScreen && host->owner == 0 && host->monitor == 0)
            return host;
    }
    return nullptr;
}

bool SameMonitors(const MonitorInfo* a, int countA, const MonitorInfo* b, int countB) {
    if (countA != countB) return false;
    for (int i = 0; i < countA; ++i)
        if (!SameRect(a[i].bounds, b[i].bounds)) return false;
    return true;
}

}  // namespace

int ReadMonitorsNow(MonitorInfo* monitors, int capacity) {
    if (!DisplayIsOpen() || capacity <= 0) return 0;
    MonitorInfo listed[MaxListedMonitors];
    int count = X11ReadMonitors(listed, MaxListedMonitors);
    if (count == 0) count = ReadSdlMonitors(listed, MaxListedMonitors);
    count = DistinctMonitors(listed, count);
    if (count > capacity) count = capacity;
    for (int i = 0; i < count; ++i) monitors[i] = listed[i];
    return count;
}

bool OpenEveryMonitor(HostWindow& saver, const char* title, const ScreenRect& fallback) {
    MonitorInfo monitors[MaxMonitors];
    int count = ReadMonitorsNow(monitors, MaxMonitors);
    if (count == 0) {
        // A window for the saver to fail in, covering no monitor that a plan could use.
        saver.monitor = 0;
        const bool opened = OpenFullScreen(saver, title, fallback);
        saver.covers = MonitorInfo{};
        return opened;
    }
    HostWindow* others[MaxMonitors] = {};
    int opened = 0;
    for (int i = 1; i < count; ++i) {
        HostWindow* host = OpenOwned(saver, monitors[i], opened + 1);
        if (host != nullptr) others[opened++] = host;
    }
    bool ok = OpenFullScreen(saver, title, monitors[0].bounds);
    saver.covers = monitors[0];
    saver.monitor = 0;
    for (int i = 0; i < opened; ++i) {
        if (!ok)
            CloseWindow(*others[i]);
        else
            others[i]->owner = saver.handle;
    }
    return ok;
}

int CoveredMonitors(MonitorInfo* monitors, int capacity) {
    HostWindow* saver = FullScreenSaver();
    if (saver == nullptr) return -1;
    int count = 0;
    for (int index = 0; index < MaxMonitors && count < capacity; ++index) {
        HostWindow* host = FindMonitorWindow(saver->handle, index);
        if (host == nullptr || host->covers.bounds.right <= host->covers.bounds.left) break;
        monitors[count++] = host->covers;
    }
    return count;
}

int CoverMonitorsAgain(HostWindow& saver) {
    MonitorInfo now[MaxMonitors];
    const int count = ReadMonitorsNow(now, MaxMonitors);
    if (count == 0) return CoveredMonitors(now, MaxMonitors);
    if (!SameRect(saver.covers.bounds, now[0].bounds)) MoveFullScreen(saver, now[0]);
    saver.covers = now[0];
    // Windows whose monitor is still there keep it; the others close.
    bool taken[MaxMonitors] = {true};
    HostWindow* kept[MaxMonitors] = {&saver};
    for (int i = 0; i < MaxHostWindows; ++i) {
        HostWindow* host = HostWindowAt(i);
        if (host == nullptr || host->owner != saver.handle) continue;
        int match = 1;
        while (match < count && (taken[match] || !SameRect(now[match].bounds, host->covers.bounds)))
            ++match;
        if (match == count) {
            CloseWindow(*host);
            continue;
        }
        taken[match] = true;
        kept[match] = host;
    }
    for (int i = 1; i < count; ++i)
        if (!taken[i]) kept[i] = OpenOwned(saver, now[i], i);
    // Numbered as a plan will number them: the monitors that got a window, in order.
    int covered = 0;
    for (int i = 0; i < count; ++i) {
        if (kept[i] == nullptr) continue;
        kept[i]->monitor = covered++;
        kept[i]->surfaceStale.store(true);
        kept[i]->exposed.store(true);
    }
    return covered;
}

bool MonitorsSettling(std::uint32_t now) {
    return LastLayoutNotice != 0 && now - LastLayoutNotice < SettleMs;
}

void CheckMonitorLayout() {
    LastLayoutNotice = platform::TickCount();
    if (LastLayoutNotice == 0) LastLayoutNotice = 1;
    HostWindow* saver = FullScreenSaver();
    if (saver == nullptr || saver->procedure == nullptr) return;
    MonitorInfo covered[MaxMonitors];
    MonitorInfo now[MaxMonitors];
    const int coveredCount = CoveredMonitors(covered, MaxMonitors);
    const int count = ReadMonitorsNow(now, MaxMonitors);
    if (count == 0 || SameMonitors(covered, coveredCount, now, count)) return;
    // One notice is enough for any number of changes.
    platform::RemovePendingMessage(saver->handle, WM_DISPLAYCHANGE);
    platform::PostWindowMessage(saver->handle, WM_DISPLAYCHANGE, 0, 0);
}

}  // namespace vorlix::sdl

namespace vorlix::platform {

int ReadMonitors(MonitorInfo* monitors, int capacity) {
    const int covered = sdl::CoveredMonitors(monitors, capacity);
    return covered >= 0 ? covered : sdl::ReadMonitorsNow(monitors, capacity);
}

int CoverMonitors(WindowHandle saver) {
    sdl::HostWindow* host = sdl::FindHostWindow(saver);
    if (host == nullptr || !host->fullScreen || host->owner != 0) return 0;
    return sdl::CoverMonitorsAgain(*host);
}

}  // namespace vorlix::platform
