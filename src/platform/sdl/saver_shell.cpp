#include "platform/saver_shell.h"

#include <SDL2/SDL_syswm.h>

#include <cstdio>

#include "diagnostics/debug_log.h"
#include "platform/desktop.h"
#include "platform/screen_layout.h"
#include "platform/sdl/event_translation.h"
#include "platform/sdl/host_windows.h"
#include "platform/sdl/message_queue.h"
#include "platform/sdl/watchdog.h"
#include "platform/sdl/wayland_display.h"
#include "platform/sdl/x11_windows.h"
#include "platform/window_messages.h"

namespace vorlix::platform {

namespace {

// The loop sleeps in SDL until an event comes, but looks at the termination flag this often.
constexpr Uint32 WaitBoundMs = 100;
// While frames are being shown the draw thread's requests share SDL's X connection with the
// loop, and a wait on that connection wakes for each of their replies, only to find no event:
// looking for events every other frame instead costs far less (on a virtual machine each
// wake-up costs tens of microseconds), and nothing is left to wait on when the rain pauses.
// A mouse move or key ends the saver at most 60 ms later, too soon for a person to notice.
constexpr std::uint32_t PollWhileDrawingMs = 60;

WindowProc SaverProcedure = nullptr;

// The X window id on x11; on wayland, where windows have none, SDL's own id of the window.
WindowHandle HandleOf(SDL_Window* window) {
    if (sdl::DriverIsWayland()) return SDL_GetWindowID(window);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

// A desktop-sized window: full-screen-desktop under a window manager; without one the
// full-screen flags do nothing, and a borderless window at the screen's corner does the job.
bool OpenFullScreen(sdl::HostWindow& host, const char* title, const ScreenRect& bounds) {
    std::int32_t width = bounds.right - bounds.left;
    std::int32_t height = bounds.bottom - bounds.top;
    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    // A Wayland compositor puts a window on the output the position names, full screen.
    if (sdl::DriverIsWayland() || sdl::X11HasWindowManager())
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    host.window = SDL_CreateWindow(title, bounds.left, bounds.top, width, height, flags);
    if (host.window == nullptr) return false;
    host.handle = HandleOf(host.window);
    if (sdl::DriverIsWayland()) {
        sdl::WatchWaylandDisplay(host.window);
        sdl::ShowBlackAtOnce(host.window);
    }
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(host.window, &x, &y);
    SDL_GetWindowSize(host.window, &w, &h);
    host.originX.store(x);
    host.originY.store(y);
    host.width.store(w);
    host.height.store(h);
    host.fullScreen = true;
    return host.handle != 0;
}

// Our own child of the given window, so its input stays with its owner and its size and end
// reach us as notices.
bool OpenEmbedded(sdl::HostWindow& host, const SaverWindowLayout& layout) {
    std::int32_t width = layout.bounds.right - layout.bounds.left;
    std::int32_t height = layout.bounds.bottom - layout.bounds.top;
    sdl::XWindowId child = sdl::X11CreateChild(layout.parent, width, height);
    if (child == 0) return false;
    host.handle = child;
    host.embedded = true;
    host.parent = layout.parent;
    host.fullScreen = false;
    host.window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(child));
    if (host.window == nullptr) return false;
    if (!sdl::X11WatchStructure(host.window, child) ||
        !sdl::X11WatchStructure(host.window, layout.parent)) {
        return false;
    }
    std::int32_t x = 0, y = 0;
    sdl::X11WindowOrigin(child, x, y);
    host.originX.store(x);
    host.originY.store(y);
    // The parent may have changed size before we watched it.
    std::int32_t parentWidth = width, parentHeight = height;
    if (sdl::X11WindowSize(layout.parent, parentWidth, parentHeight) &&
        (parentWidth != width || parentHeight != height)) {
        sdl::X11ResizeWindow(child, parentWidth, parentHeight);
    }
    host.width.store(width);
    host.height.store(height);
    return true;
}

void CloseHostWindow(sdl::HostWindow& host) {
    if (host.window != nullptr) SDL_DestroyWindow(host.window);
    if (host.embedded) sdl::X11DestroyWindow(host.handle);
    sdl::RemoveHostWindow(host);
}

// One window on each monitor but the primary one, opened before the saver window so that the
// saver window ends up on top with the focus. Those that cannot be had stay uncovered.
int OpenOtherMonitors(const MonitorInfo* monitors, int count, sdl::HostWindow** others) {
    int opened = 0;
    for (int i = 1; i < count; ++i) {
        sdl::HostWindow* host = sdl::AddHostWindow();
        if (host == nullptr) break;
        if (!OpenFullScreen(*host, "Screen Saver", monitors[i].bounds)) {
            CloseHostWindow(*host);
            continue;
        }
        host->monitor = i;
        others[opened++] = host;
    }
    return opened;
}

// The saver window on the primary monitor, and the windows it owns on the others.
bool OpenEveryMonitor(sdl::HostWindow& host, const SaverWindowLayout& layout) {
    MonitorInfo monitors[MaxMonitors];
    int count = ReadMonitors(monitors, MaxMonitors);
    if (count == 0) return OpenFullScreen(host, layout.title, layout.bounds);
    sdl::HostWindow* others[MaxMonitors] = {};
    int opened = OpenOtherMonitors(monitors, count, others);
    bool ok = OpenFullScreen(host, layout.title, monitors[0].bounds);
    host.monitor = 0;
    for (int i = 0; i < opened; ++i) {
        if (!ok) CloseHostWindow(*others[i]);
        else others[i]->owner = host.handle;
    }
    return ok;
}

void Dispatch(const sdl::QueuedMessage& message) {
    sdl::HostWindow* host = sdl::FindHostWindow(message.window);
    if (host == nullptr || host->procedure == nullptr) return;
    host->procedure(message.window, message.message, message.w, message.l);
}

void DestroyEveryWindow() {
    for (int i = 0; i < sdl::MaxHostWindows; ++i) {
        WindowHandle handle = sdl::FirstHostWindow();
        if (handle == 0) return;
        sdl::DestroyHostWindow(handle);
    }
}

}  // namespace

bool IsWin9xFamily() { return false; }

bool RegisterSaverClass(WindowProc procedure) {
    const char* why = "";
    if (!sdl::OpenDisplay(why)) {
        std::fprintf(stderr, "vorlix: %s\n", why);
        return false;
    }
    SaverProcedure = procedure;
    sdl::CatchTerminationSignals();
    sdl::StartWatchdog();
    return true;
}

WindowHandle CreateSaverWindow(const SaverWindowLayout& layout) {
    if (!sdl::DisplayIsOpen() || SaverProcedure == nullptr) return 0;
    sdl::HostWindow* host = sdl::AddHostWindow();
    if (host == nullptr) return 0;
    bool opened =
        layout.parent == 0 ? OpenEveryMonitor(*host, layout) : OpenEmbedded(*host, layout);
    if (!opened) {
        CloseHostWindow(*host);
        return 0;
    }
    WindowHandle handle = host->handle;
    host->procedure = SaverProcedure;
    // As CreateWindowEx does: a failed WM_CREATE destroys the window again.
    if (SaverProcedure(handle, WM_CREATE, 0, 0) == -1) {
        sdl::DestroyHostWindow(handle);
        return 0;
    }
    char driverLine[64];
    std::snprintf(driverLine, sizeof driverLine, "[Display] SDL video driver: %s",
                  sdl::DriverName());
    LogMessage(driverLine, LOG_INFO);
    return handle;
}

WindowHandle FindRunningSaver() { return 0; }

int RunMessageLoop() {
    for (;;) {
        sdl::WatchdogBeat();
        sdl::QueuedMessage message;
        while (sdl::TakeFromQueue(message)) {
            if (message.window == 0 && message.message == WM_QUIT)
                return static_cast<int>(message.w);
            Dispatch(message);
        }
        if (sdl::TerminationRequested() && sdl::HostWindowCount() > 0) {
            DestroyEveryWindow();
            continue;
        }
        // No window is left to bring a message: nothing more can come.
        if (sdl::HostWindowCount() == 0 || !sdl::DisplayIsOpen()) return 0;
        SDL_Event event;
        if (sdl::FramesFlowing(platform::TickCount())) {
            if (SDL_PollEvent(&event) == 0) {
                platform::SleepMilliseconds(PollWhileDrawingMs);
                continue;
            }
        } else if (SDL_WaitEventTimeout(&event, WaitBoundMs) == 0) {
            continue;
        }
        sdl::TranslateEvent(event);
        while (sdl::QueueIsEmpty() && SDL_PollEvent(&event)) sdl::TranslateEvent(event);
    }
}

ScreenRect ScreenClipBox() {
    SDL_Rect bounds{0, 0, 0, 0};
    if (!sdl::DisplayIsOpen() || SDL_GetDisplayBounds(0, &bounds) != 0) return ScreenRect{};
    return ScreenRect{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
}

// No system message of this kind exists here; 0 tells the core not to look for it.
std::uint32_t RegisterNamedMessage(const char*) { return 0; }
void SetScreenSaverRunning(bool) {}

// Windows' optional system libraries have no counterpart on Linux.
LibraryHandle LoadNamedLibrary(const char*) { return 0; }
LibraryHandle LoadedModule(const char*) { return 0; }
void* LibraryFunction(LibraryHandle, const char*) { return nullptr; }
void FreeNamedLibrary(LibraryHandle) {}

}  // namespace vorlix::platform
