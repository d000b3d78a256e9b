#pragma once
// The few Xlib services SDL does not offer: foreign windows, their geometry and lifetime, an
// embedded child window, the pointer and the window manager's presence. Xlib's own headers
// stay inside x11_windows.cpp so their macros never meet the core's names.
#include <SDL2/SDL.h>

#include <cstdint>

namespace vorlix::sdl {

using XWindowId = std::uint64_t;

// Opens the query connection; installs an error handler so a vanished window is an answer,
// not the end of the process. Safe to call again.
bool X11Open();
// Puts the error handler back once GTK has started: GTK's own handler ignores the errors of
// every connection but its own, so a vanished window would look like success. Errors of
// connections other than the query connection still reach GTK's handler afterwards.
void X11TakeBackErrors();
void X11Close();
// Waits for the server's answer on the query connection: a server that stopped answering
// holds the caller here, one that went away raises Xlib's lost-connection handler.
void X11RoundTrip();

XWindowId X11RootWindow();
bool X11WindowExists(XWindowId window);
bool X11WindowSize(XWindowId window, std::int32_t& width, std::int32_t& height);
bool X11WindowOrigin(XWindowId window, std::int32_t& x, std::int32_t& y);  // on the screen
XWindowId X11ParentOf(XWindowId window);  // 0 for the root or on failure
int X11WindowTitle(XWindowId window, char* buffer, int size);
bool X11PointerPosition(std::int32_t& x, std::int32_t& y);
// The window that has the keyboard focus, 0 for none or on failure.
XWindowId X11FocusWindow();
bool X11HasWindowManager();

// A black child window of parent covering (0, 0, width, height) that takes no input, so input
// stays with whoever owns parent. Kept at the bottom of the stack when parent is the root.
XWindowId X11CreateChild(XWindowId parent, std::int32_t width, std::int32_t height);
void X11ResizeWindow(XWindowId window, std::int32_t width, std::int32_t height);
void X11DestroyWindow(XWindowId window);

// Asks for size and destruction notices of window on the connection SDL reads, so they come
// back as SDL_SYSWMEVENT.
bool X11WatchStructure(SDL_Window* sdlWindow, XWindowId window);

struct StructureNotice {
    enum Kind { Other, Resized, Destroyed } kind = Other;
    XWindowId window = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};
StructureNotice X11DecodeNotice(const SDL_SysWMmsg& message);

}  // namespace vorlix::sdl
