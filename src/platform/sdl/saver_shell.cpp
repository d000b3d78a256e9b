#include "platform/saver_shell.h"

#include <SDL2/SDL_syswm.h>

#include <cstdio>

#include "diagnostics/debug_log.h"
#include "platform/desktop.h"
#include "platform/screen_layout.h"
#include "platform/sdl/event_translation.h"
#include "platform/sdl/host_windows.h"
#include "platform/sdl/message_queue.h"
#include "platform/sdl/monitor_windows.h"
#include "platform/sdl/watchdog.h"
#include "platform/sdl/wayland_display.h"
#include "platform/sdl/x11_monitors.h"
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
    bool opened = layout.parent == 0 ? sdl::OpenEveryMonitor(*host, layout.title, layout.bounds)
                                     : OpenEmbedded(*host, layout);
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
        if (sdl::X11MonitorNoticeArrived()) sdl::CheckMonitorLayout();
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
