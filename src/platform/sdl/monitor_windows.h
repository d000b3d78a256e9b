#pragma once
// The full-screen saver's windows, one on each monitor: opened at the start, laid over the
// monitors again when they change. Each window remembers the monitor it covers, so the
// monitors a plan is made for are the ones the windows were laid over.
#include "platform/screen_layout.h"
#include "platform/sdl/host_windows.h"

namespace vorlix::sdl {

// The monitors as they are now, the primary first, those inside another left out; at most
// capacity of them.
int ReadMonitorsNow(MonitorInfo* monitors, int capacity);

// The saver window on the primary monitor, and windows it owns on the others, opened before
// it so that it ends up on top with the focus. Those that cannot be had stay uncovered.
// Without any monitor the saver window covers fallback, but reports no monitor covered.
bool OpenEveryMonitor(HostWindow& saver, const char* title, const ScreenRect& fallback);

// The monitors the windows of the full-screen saver cover, in the order they were laid out;
// -1 when there is no full-screen saver.
int CoveredMonitors(MonitorInfo* monitors, int capacity);

// Lays the windows of the saver over the monitors as they are now: the saver window moves to
// the primary, windows whose monitor is gone are closed, new monitors get one. Only while
// nothing is presented into them. Returns how many monitors are covered.
int CoverMonitorsAgain(HostWindow& saver);

// Tells the full-screen saver, by WM_DISPLAYCHANGE, when the monitors no longer match the
// windows laid over them. Called on each notice of a layout change.
void CheckMonitorLayout();
// True for a while after a notice of a layout change: the X server moves the pointer off
// monitors being turned off or changed, and those moves are nobody's input.
bool MonitorsSettling(std::uint32_t now);

}  // namespace vorlix::sdl
