#include "platform/sdl/event_translation.h"

#include <signal.h>

#include <atomic>

#include "platform/desktop.h"
#include "platform/sdl/host_windows.h"
#include "platform/sdl/monitor_windows.h"
#include "platform/sdl/x11_monitors.h"
#include "platform/sdl/x11_windows.h"
#include "platform/window_messages.h"

namespace vorlix::sdl {

namespace {

std::atomic<bool> TerminationSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler writes it");

void NoteTermination(int) { TerminationSignalled.store(true); }

// The server's time of the last pointer event, which SDL passes on raw just before its own
// motion event. Window thread only.
std::uint32_t PointerEventTime = 0;

// A move the X server made while laying the monitors out, not the user.
bool MovedByLayout() {
    return MonitorsSettling(platform::TickCount()) || X11LayoutChangedNear(PointerEventTime);
}

LResult Deliver(HostWindow* host, MessageId message, WParam w, LParam l) {
    if (host == nullptr || host->procedure == nullptr) return 0;
    return host->procedure(host->handle, message, w, l);
}

HostWindow* HostOf(Uint32 windowId) { return FindHostWindow(SDL_GetWindowFromID(windowId)); }
// Input on any monitor's window goes to the saver window.
HostWindow* InputHostOf(Uint32 windowId) { return InputWindow(HostOf(windowId)); }

// Windows' virtual-key numbers where they are plain characters; the code otherwise.
WParam VirtualKey(const SDL_Keysym& key) {
    SDL_Keycode code = key.sym;
    if (code >= 'a' && code <= 'z') return static_cast<WParam>(code - 'a' + 'A');
    if ((code >= '0' && code <= '9') || code == ' ' || code == '\r' || code == '\b' ||
        code == '\t' || code == 0x1B) {
        return static_cast<WParam>(code);
    }
    return static_cast<WParam>(key.scancode);
}

// The focus went to another of our windows: X moved it before the loss reached us, so it can
// be looked up now. The window manager may give the focus to a frame around the window.
bool FocusStayedWithUs() {
    constexpr int FrameDepth = 3;
    XWindowId focus = X11FocusWindow();
    for (int level = 0; focus != 0 && level <= FrameDepth; ++level) {
        if (FindHostWindow(focus) != nullptr) return true;
        focus = X11ParentOf(focus);
    }
    return false;
}

void NoteSize(HostWindow& host, std::int32_t width, std::int32_t height) {
    if (host.width.load() == width && host.height.load() == height) return;
    host.width.store(width);
    host.height.store(height);
    host.surfaceStale.store(true);
    Deliver(&host, WM_SIZE, 0, MakeLParam(static_cast<std::uint32_t>(width),
                                          static_cast<std::uint32_t>(height)));
}

void NoteEmbeddedOrigin(HostWindow& host) {
    std::int32_t x = 0, y = 0;
    if (!X11WindowOrigin(host.handle, x, y)) return;
    host.originX.store(x);
    host.originY.store(y);
}

// A focus loss that SDL's queue already answers with a gain by one of our windows: the focus
// stays with the saver (a Wayland compositor moves it as each window appears, and a nested one
// takes it away and gives it back at once).
bool FocusComesBack() {
    SDL_Event pending[32];
    int count = SDL_PeepEvents(pending, 32, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < count; ++i)
        if (pending[i].window.event == SDL_WINDOWEVENT_FOCUS_GAINED &&
            HostOf(pending[i].window.windowID) != nullptr)
            return true;
    return false;
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    HostWindow* host = HostOf(event.windowID);
    if (host == nullptr) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
        host->hidden.store(false);
        host->exposed.store(true);
        Deliver(host, WM_SHOWWINDOW, 1, 0);
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        host->hidden.store(true);
        Deliver(host, WM_SHOWWINDOW, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED: host->hidden.store(true); break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        host->hidden.store(false);
        host->exposed.store(true);
        break;
    case SDL_WINDOWEVENT_EXPOSED: host->exposed.store(true); break;
    case SDL_WINDOWEVENT_MOVED:
        if (host->embedded) {
            NoteEmbeddedOrigin(*host);
        } else {
            host->originX.store(event.data1);
            host->originY.store(event.data2);
        }
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: NoteSize(*host, event.data1, event.data2); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: Deliver(host, WM_ACTIVATEAPP, 1, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (!FocusStayedWithUs() && !FocusComesBack())
            Deliver(InputWindow(host), WM_ACTIVATEAPP, 0, 0);
        break;
    case SDL_WINDOWEVENT_CLOSE: Deliver(host, WM_CLOSE, 0, 0); break;
    default: break;
    }
}

// Size and destruction of the window a preview draws into, and of our child inside it.
void TranslateStructureNotice(const SDL_SysWMmsg& message) {
    StructureNotice notice = X11DecodeNotice(message);
    if (notice.kind == StructureNotice::Other) return;
    HostWindow* own = FindHostWindow(notice.window);
    HostWindow* child = own != nullptr ? own : FindHostWindowByParent(notice.window);
    if (child == nullptr || !child->embedded) return;
    if (notice.kind == StructureNotice::Destroyed) {
        DestroyHostWindow(child->handle);
        return;
    }
    if (own == nullptr) {
        // The parent changed: our child follows its size.
        X11ResizeWindow(child->handle, notice.width, notice.height);
        NoteEmbeddedOrigin(*child);
        return;
    }
    NoteEmbeddedOrigin(*own);
    NoteSize(*own, notice.width, notice.height);
}

LParam PointAt(std::int32_t x, std::int32_t y) {
    return MakeLParam(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
}

}  // namespace

void TranslateEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        Deliver(InputHostOf(event.key.windowID), WM_KEYDOWN, VirtualKey(event.key.keysym),
                static_cast<LParam>(1 | (static_cast<std::uint32_t>(event.key.keysym.scancode) & 0xFF) << 16 |
                                    (event.key.repeat ? 1u << 30 : 0u)));
        break;
    case SDL_MOUSEBUTTONDOWN: {
        // Buttons past the first three are all extra buttons, as Windows has them.
        MessageId message = event.button.button == SDL_BUTTON_LEFT    ? WM_LBUTTONDOWN
                            : event.button.button == SDL_BUTTON_RIGHT ? WM_RBUTTONDOWN
                            : event.button.button == SDL_BUTTON_MIDDLE ? WM_MBUTTONDOWN
                                                                       : WM_XBUTTONDOWN;
        Deliver(InputHostOf(event.button.windowID), message, 0,
                PointAt(event.button.x, event.button.y));
        break;
    }
    case SDL_MOUSEWHEEL: {
        constexpr std::int32_t WheelDelta = 120;  // one notch, in Windows' units
        const std::int32_t notches = event.wheel.y != 0 ? event.wheel.y : event.wheel.x;
        const WParam turned = static_cast<WParam>(static_cast<std::uint16_t>(notches * WheelDelta));
        Deliver(InputHostOf(event.wheel.windowID), WM_MOUSEWHEEL, turned << 16, 0);
        break;
    }
    case SDL_DISPLAYEVENT: CheckMonitorLayout(); break;
    case SDL_MOUSEMOTION: {
        HostWindow* host = HostOf(event.motion.windowID);
        if (host == nullptr) break;
        NotePointer(host->originX.load() + event.motion.x, host->originY.load() + event.motion.y);
        if (MovedByLayout()) break;
        Deliver(InputWindow(host), WM_MOUSEMOVE, 0, PointAt(event.motion.x, event.motion.y));
        break;
    }
    case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
    case SDL_SYSWMEVENT:
        if (event.syswm.msg == nullptr) break;
        if (const std::uint32_t time = X11PointerEventTime(*event.syswm.msg)) PointerEventTime = time;
        TranslateStructureNotice(*event.syswm.msg);
        break;
    case SDL_QUIT: TerminationSignalled.store(true); break;
    default: break;
    }
}

void CatchTerminationSignals() {
    struct sigaction action {};
    action.sa_handler = NoteTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

bool TerminationRequested() { return TerminationSignalled.load(); }

}  // namespace vorlix::sdl
