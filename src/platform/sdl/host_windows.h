#pragma once
// The Linux host's saver windows. On x11 a window's handle is its X window id: the SDL window
// of the full-screen saver, or the child window embedded in the window a preview draws into.
// On wayland, where windows have no id of the system's, it is SDL's window id.
#include <SDL2/SDL.h>

#include <atomic>
#include <cstdint>

#include "platform/screen_layout.h"
#include "platform/types.h"
#include "platform/sdl/video_driver.h"

namespace vorlix::sdl {

struct HostWindow {
    WindowHandle handle = 0;
    WindowHandle parent = 0;  // the window drawn into; 0 full screen
    SDL_Window* window = nullptr;
    WindowProc procedure = nullptr;
    bool fullScreen = true;
    bool embedded = false;  // handle is our child of parent, destroyed with us
    // Full screen: the monitor covered, as platform::ReadMonitors numbers them, or -1. A
    // window on another monitor than the primary one has no procedure of its own: it belongs
    // to owner, the saver window, which gets its input and goes with it.
    int monitor = -1;
    WindowHandle owner = 0;
    MonitorInfo covers;  // full screen: the monitor as it was when the window was laid over it

    // Written by the window thread, read by the presenting thread.
    std::atomic<bool> surfaceStale{true};  // re-fetch SDL's window surface before drawing
    std::atomic<bool> hidden{false};       // hidden or minimised: frames cannot be shown
    std::atomic<bool> exposed{true};       // parts were uncovered: put the whole surface
    std::atomic<std::int32_t> originX{0};  // client origin on the screen
    std::atomic<std::int32_t> originY{0};
    std::atomic<std::int32_t> width{0};
    std::atomic<std::int32_t> height{0};
    std::atomic<std::uint32_t> lastPresent{0};  // clock reading of the last frame shown
};

constexpr int MaxHostWindows = MaxMonitors;

// True while some window had a frame shown in the last few tenths of a second.
bool FramesFlowing(std::uint32_t now);

HostWindow* AddHostWindow();  // a free slot, or null when all are taken
HostWindow* HostWindowAt(int slot);  // the window in that slot, or null when it is free
HostWindow* FindHostWindow(WindowHandle handle);
HostWindow* FindHostWindow(SDL_Window* window);
HostWindow* FindHostWindowByParent(WindowHandle parent);
// The window of the saver window owner (itself included) that covers the monitor, or null.
HostWindow* FindMonitorWindow(WindowHandle owner, int monitor);
// The window that takes input arriving at this one: its owner, or itself.
HostWindow* InputWindow(HostWindow* window);
void RemoveHostWindow(HostWindow& window);
int HostWindowCount();
WindowHandle FirstHostWindow();  // 0 when there is none

// Sends WM_DESTROY, then releases the SDL window and, when it is ours, the X window; the
// windows it owns on other monitors go with it.
void DestroyHostWindow(WindowHandle handle);

// The pointer as the last motion event put it, in screen coordinates.
void NotePointer(std::int32_t x, std::int32_t y);
bool LastPointer(std::int32_t& x, std::int32_t& y);

}  // namespace vorlix::sdl
