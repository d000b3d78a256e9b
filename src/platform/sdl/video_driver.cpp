#include "platform/sdl/video_driver.h"

#include <SDL2/SDL.h>
#include <X11/Xlib.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/abrupt_end.h"
#include "platform/sdl/wayland_display.h"
#include "platform/sdl/x11_monitors.h"
#include "platform/sdl/x11_windows.h"

namespace vorlix::sdl {

namespace {

// Written on the window thread; the draw thread asks which driver presents its frames.
std::atomic<bool> VideoOpen{false};
bool X11Required = false;

constexpr const char* NoDisplay =
    "no display: neither DISPLAY nor WAYLAND_DISPLAY leads to a display";
constexpr const char* NoXDisplay = "no display: DISPLAY leads to no X server";
constexpr const char* NoNamedDriver =
    "no display: no driver SDL_VIDEODRIVER names opens one (DISPLAY leads to no X server, or "
    "WAYLAND_DISPLAY to no compositor)";
constexpr const char* NoSeat =
    "no display: the Wayland compositor at WAYLAND_DISPLAY offers no seat (no keyboard or "
    "pointer), which SDL's wayland driver cannot run without, and DISPLAY leads to no X server";
constexpr const char* NoSeatAsked =
    "the Wayland compositor at WAYLAND_DISPLAY offers no seat (no keyboard or pointer), which "
    "SDL's wayland driver, asked for by SDL_VIDEODRIVER, cannot run without";
constexpr const char* Silent =
    "no display: the Wayland compositor at WAYLAND_DISPLAY does not answer, and DISPLAY leads "
    "to no X server";
constexpr const char* SilentAsked =
    "the Wayland compositor at WAYLAND_DISPLAY, asked for by SDL_VIDEODRIVER, does not answer";

bool DriverIs(const char* name) {
    const char* driver = VideoOpen.load() ? SDL_GetCurrentVideoDriver() : nullptr;
    return driver != nullptr && std::strcmp(driver, name) == 0;
}

// SDL_VIDEODRIVER is a comma-separated list of the drivers SDL may try, in order.
bool ListNames(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* at = list; *at != 0;) {
        const char* end = std::strchr(at, ',');
        std::size_t size = end != nullptr ? static_cast<std::size_t>(end - at) : std::strlen(at);
        if (size == length && strncasecmp(at, name, length) == 0) return true;
        if (end == nullptr) break;
        at = end + 1;
    }
    return false;
}

// SDL 2.26's wayland driver dereferences a missing seat while it starts (weston's headless
// backend has none) and waits without a bound for a compositor that does not answer. Such a
// compositor is kept from SDL: refused when SDL_VIDEODRIVER asks for it, passed over for x11
// otherwise. False, with why, when nothing is left to try.
bool KeepClearOfUnusableCompositor(const char*& why) {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    bool named = asked != nullptr && *asked != 0;
    if (named) why = NoNamedDriver;
    if (named && !ListNames(asked, "wayland")) return true;
    WaylandState state = ProbeWaylandCompositor();
    if (state == WaylandState::Absent || state == WaylandState::Ready) return true;
    if (named) {
        why = state == WaylandState::NoSeat ? NoSeatAsked : SilentAsked;
        return false;
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    why = state == WaylandState::NoSeat ? NoSeat : Silent;
    return true;
}

bool StartX11(const char*& why) {
    if (!X11Open()) {
        why = NoXDisplay;
        return false;
    }
    // Our own conversion into the window surface is far cheaper than software GL. (Wayland's
    // driver has no window surface of its own: there SDL's texture framebuffer is the only way.)
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Without RandR's monitor list SDL's serves, which only misses later changes.
    X11MonitorsOpen();
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    CatchXServerLoss();
    return true;
}

}  // namespace

void PrepareProcess() { XInitThreads(); }

void RequireX11Driver() { X11Required = true; }

bool OpenDisplay(const char*& why) {
    if (VideoOpen) return true;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // A click that gives one of the windows the focus is still a click that ends the saver.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    const char* failure = X11Required ? NoXDisplay : NoDisplay;
    if (X11Required) {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    } else if (!KeepClearOfUnusableCompositor(failure)) {
        why = failure;
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        why = failure;
        return false;
    }
    VideoOpen.store(true);
    // Without a display SDL quietly settles for an off-screen driver that shows nothing.
    bool usable = DriverIsX11() ? StartX11(failure) : DriverIsWayland();
    if (!usable) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        VideoOpen.store(false);
        why = failure;
        return false;
    }
    return true;
}

bool DisplayIsOpen() { return VideoOpen.load(); }

// SDL's own connection is left for the process's end to close: shutting SDL's video down puts
// back Xlib's default error handler before the last requests are flushed, and that handler
// ends the process over a request about a window that has gone meanwhile.
void CloseDisplay() {
    if (!VideoOpen) return;
    X11MonitorsClose();
    X11Close();
    VideoOpen.store(false);
}

bool DriverIsX11() { return DriverIs("x11"); }
bool DriverIsWayland() { return DriverIs("wayland"); }

const char* DriverName() {
    const char* driver = VideoOpen.load() ? SDL_GetCurrentVideoDriver() : nullptr;
    return driver != nullptr ? driver : "none";
}

}  // namespace vorlix::sdl
