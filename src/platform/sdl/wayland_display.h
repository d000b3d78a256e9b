#pragma once
// The Wayland compositor, where SDL runs on its wayland driver: a look at it before SDL meets
// it, and the watchdog's beat through SDL's connection to it.
#include <SDL2/SDL.h>

#include <cstdint>

struct wl_display;
struct wl_shm;

namespace vorlix::sdl {

enum class WaylandState {
    Absent,  // no compositor to connect to: SDL passes over its wayland driver by itself
    Silent,  // connected, but no answer within the bound
    NoSeat,  // answers, but offers no keyboard or pointer
    Ready,
};

// Connects to the compositor SDL would use, asks for its globals within a bound, disconnects.
WaylandState ProbeWaylandCompositor();

// A Wayland window shows, and takes the keyboard, with its first frame, not when it opens:
// a black frame at once keeps the order in which the windows were opened, so the saver
// window, opened last, has the focus.
void ShowBlackAtOnce(SDL_Window* window);

// From now on the beat looks at the connection of this window, which SDL shares among all its
// windows. Safe to call again with another window.
void WatchWaylandDisplay(SDL_Window* window);
// The compositor's shared memory, on the watched connection (the same as display); bound once,
// within a bound. Null when it cannot be had.
wl_shm* WaylandSharedMemory(wl_display* display);

// On the window thread, from the message loop. Never waits: a lost connection ends the
// saver at once, and a compositor that leaves a round trip unanswered for 10 seconds ends it
// too, as the watchdog would a stuck window thread.
void WaylandBeat(std::uint32_t now);

}  // namespace vorlix::sdl
