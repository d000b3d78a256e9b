#pragma once
// SDL's video, on whichever driver SDL opens: x11, or wayland. The X-only services (foreign
// windows, the X error and IO handlers, the XSync beat) are started only on x11.
namespace vorlix::sdl {

// Starts Xlib's thread support; the first thing main does, before any X or GTK call. It opens
// no display.
void PrepareProcess();
// Drawing into an X window (--root, --window-id, /p) takes the x11 driver, whatever
// SDL_VIDEODRIVER says. Called before OpenDisplay.
void RequireX11Driver();
// Starts SDL's video on the driver SDL chooses (SDL_VIDEODRIVER respected), and on x11 the
// query connection. On failure, why names the reason in words for the user.
bool OpenDisplay(const char*& why);
bool DisplayIsOpen();
// Closes the query connection; called once at process end.
void CloseDisplay();

bool DriverIsX11();
bool DriverIsWayland();
// SDL's name of the open driver, or "none".
const char* DriverName();

}  // namespace vorlix::sdl
