#include "platform/sdl/wayland_display.h"

#include <poll.h>
#include <wayland-client.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/desktop.h"
#include "platform/sdl/abrupt_end.h"
#include "platform/sdl/wayland_surface.h"
// Last: it brings Xlib's macros along.
#include <SDL2/SDL_syswm.h>

namespace vorlix::sdl {

namespace {

constexpr int ProbeBoundMs = 2000;
constexpr std::uint32_t AskEveryMs = 1000;
constexpr std::uint32_t SilenceLimitMs = 10000;
// A lost display ends the saver with one code, whichever kind of display it was.
constexpr int ExitCompositorLost = ExitXServerLost;
constexpr const char* LostLine =
    "[Wayland] Connection to the Wayland compositor lost, exiting";
constexpr const char* SilentLine =
    "[Wayland] The Wayland compositor has not answered for 10 seconds, exiting";

void NoteDone(void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }
const wl_callback_listener DoneListener{NoteDone};

void NoteGlobal(void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(data) = true;
}
void IgnoreRemoval(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener GlobalsListener{NoteGlobal, IgnoreRemoval};

// Reads what the socket holds into the queues, waiting at most waitMs for it, by libwayland's
// protocol for several readers (SDL's and Mesa's threads read the same connection). False
// when the connection failed.
bool ReadSocket(wl_display* display, wl_event_queue* queue, int waitMs) {
    if (wl_display_prepare_read_queue(display, queue) != 0) return true;  // already queued
    wl_display_flush(display);
    pollfd socket{wl_display_get_fd(display), POLLIN, 0};
    int ready = poll(&socket, 1, waitMs);
    if (ready <= 0) {
        wl_display_cancel_read(display);
        return ready == 0 || errno == EINTR;
    }
    return wl_display_read_events(display) == 0;
}

// Waits, bounded, for done to be set by a callback on queue.
bool AwaitDone(wl_display* display, wl_event_queue* queue, const bool& done, int boundMs) {
    std::uint32_t start = platform::TickCount();
    for (;;) {
        if (wl_display_dispatch_queue_pending(display, queue) < 0) return false;
        if (done) return true;
        int left = boundMs - static_cast<int>(platform::TickCount() - start);
        if (left <= 0 || !ReadSocket(display, queue, left)) return false;
    }
}

WaylandState AskForSeat(wl_display* display) {
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (queue == nullptr || wrapper == nullptr) return WaylandState::Silent;
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    bool seat = false;
    bool done = false;
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_registry_add_listener(registry, &GlobalsListener, &seat);
    wl_callback* sync = wl_display_sync(wrapper);
    wl_callback_add_listener(sync, &DoneListener, &done);
    bool answered = AwaitDone(display, queue, done, ProbeBoundMs);
    wl_callback_destroy(sync);
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapper);
    wl_event_queue_destroy(queue);
    if (!answered) return WaylandState::Silent;
    return seat ? WaylandState::Ready : WaylandState::NoSeat;
}

// The beat's round trips go through a queue of their own, so that only their answers are
// dispatched here; SDL's events stay in its queue for SDL.
struct Heartbeat {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_display* wrapper = nullptr;
    wl_callback* pending = nullptr;
    bool answered = false;
    std::uint32_t askedAt = 0;
    std::uint32_t answeredAt = 0;
};

void NoteSharedMemory(void* data, wl_registry* registry, std::uint32_t name,
                      const char* interface, std::uint32_t) {
    if (std::strcmp(interface, wl_shm_interface.name) != 0) return;
    *static_cast<wl_shm**>(data) =
        static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}
const wl_registry_listener SharedMemoryListener{NoteSharedMemory, IgnoreRemoval};

Heartbeat& Beat() {  // its fields are written on the window thread only
    static Heartbeat beat;
    return beat;
}

void Ask(Heartbeat& beat, std::uint32_t now) {
    beat.answered = false;
    beat.askedAt = now;
    beat.pending = wl_display_sync(beat.wrapper);
    wl_callback_add_listener(beat.pending, &DoneListener, &beat.answered);
    wl_display_flush(beat.display);
}

}  // namespace

WaylandState ProbeWaylandCompositor() {
    // A socket handed over in WAYLAND_SOCKET can be connected to once only: SDL's turn.
    const char* handed = std::getenv("WAYLAND_SOCKET");
    if (handed != nullptr && *handed != 0) return WaylandState::Ready;
    // Without a runtime folder only an absolute WAYLAND_DISPLAY leads anywhere; libwayland
    // would say so on the terminal, where the X session's user would not expect it.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* named = std::getenv("WAYLAND_DISPLAY");
    if ((runtime == nullptr || *runtime == 0) && (named == nullptr || *named != '/'))
        return WaylandState::Absent;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return WaylandState::Absent;
    WaylandState state = AskForSeat(display);
    wl_display_disconnect(display);
    return state;
}

void ShowBlackAtOnce(SDL_Window* window) {
    SDL_Surface* surface = WindowSurface(window);
    if (surface == nullptr) return;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    UpdateWindowSurface(window, nullptr, 0);
}

void WatchWaylandDisplay(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return;
    Heartbeat& beat = Beat();
    if (beat.display != nullptr) return;
    beat.queue = wl_display_create_queue(info.info.wl.display);
    beat.wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(info.info.wl.display));
    if (beat.queue == nullptr || beat.wrapper == nullptr) return;
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(beat.wrapper), beat.queue);
    beat.display = info.info.wl.display;
    beat.answeredAt = platform::TickCount();
}

// Bound on the beat's queue, where the buffers made from it send their notices too: the beat
// dispatches them, and nothing listens.
wl_shm* WaylandSharedMemory(wl_display* display) {
    static std::atomic<wl_shm*> bound{nullptr};
    static std::atomic<bool> asked{false};
    Heartbeat& beat = Beat();
    if (bound.load() != nullptr || beat.display != display || asked.exchange(true))
        return bound.load();
    wl_shm* shm = nullptr;
    bool done = false;
    wl_registry* registry = wl_display_get_registry(beat.wrapper);
    wl_registry_add_listener(registry, &SharedMemoryListener, &shm);
    wl_callback* sync = wl_display_sync(beat.wrapper);
    wl_callback_add_listener(sync, &DoneListener, &done);
    bool answered = AwaitDone(display, beat.queue, done, ProbeBoundMs);
    wl_callback_destroy(sync);
    wl_registry_destroy(registry);
    if (answered) bound.store(shm);
    return bound.load();
}

void WaylandBeat(std::uint32_t now) {
    Heartbeat& beat = Beat();
    if (beat.display == nullptr) return;
    bool readable = ReadSocket(beat.display, beat.queue, 0);
    if (!readable || wl_display_dispatch_queue_pending(beat.display, beat.queue) < 0 ||
        wl_display_get_error(beat.display) != 0) {
        EndAbruptly(LostLine, ExitCompositorLost);
    }
    if (beat.pending != nullptr && beat.answered) {
        wl_callback_destroy(beat.pending);
        beat.pending = nullptr;
        beat.answeredAt = now;
    }
    if (beat.pending == nullptr) {
        if (now - beat.answeredAt >= AskEveryMs) Ask(beat, now);
        return;
    }
    if (now - beat.askedAt >= SilenceLimitMs) EndAbruptly(SilentLine, ExitWindowThreadStuck);
}

}  // namespace vorlix::sdl
