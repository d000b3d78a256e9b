#pragma once
// The monitors as RandR lists them, read on a connection of their own, which also hears of
// every change to them. SDL 2 reads its monitors once and misses outputs turned off.
#include "platform/screen_layout.h"

namespace vorlix::sdl {

// Opens the connection and asks for notices of layout changes; safe to call again.
bool X11MonitorsOpen();
void X11MonitorsClose();
// The active monitors, the primary first; 0 when RandR lists none.
int X11ReadMonitors(MonitorInfo* monitors, int capacity);
// True when a notice of a layout change arrived since the last call. Never waits.
bool X11MonitorNoticeArrived();

}  // namespace vorlix::sdl
