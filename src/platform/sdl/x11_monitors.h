#pragma once
// The monitors as RandR lists them, read on a connection of their own, which also hears of
// every change to them. SDL 2 reads its monitors once and misses outputs turned off.
#include <SDL2/SDL.h>

#include <cstdint>

#include "platform/screen_layout.h"

namespace vorlix::sdl {

// Opens the connection and asks for notices of layout changes; safe to call again.
bool X11MonitorsOpen();
void X11MonitorsClose();
// The active monitors, the primary first; 0 when RandR lists none.
int X11ReadMonitors(MonitorInfo* monitors, int capacity);
// True when a notice of a layout change arrived since the last call. Never waits.
bool X11MonitorNoticeArrived();
// The server's time of a pointer motion or crossing, 0 for any other event.
std::uint32_t X11PointerEventTime(const SDL_SysWMmsg& message);
// True when the monitors were laid out within a second of that server time: the server moves
// the pointer off monitors it turns off or changes, and such moves are nobody's input.
bool X11LayoutChangedNear(std::uint32_t serverTime);

}  // namespace vorlix::sdl
