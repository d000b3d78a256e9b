#include "platform/desktop.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <thread>

#include "platform/sdl/host_windows.h"
#include "platform/sdl/message_queue.h"
#include "platform/sdl/x11_windows.h"
#include "platform/window_messages.h"

namespace vorlix::platform {

namespace {

std::uint64_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void* ThreadEntry(void* entry) {
    reinterpret_cast<void (*)()>(entry)();
    return nullptr;
}

// ShowCursor's display counter: the cursor shows while it is 0 or more.
int CursorCounter = 0;

const std::thread::id WindowThread = std::this_thread::get_id();

// A message posted from another thread must wake the window thread's bounded wait.
void WakeWindowThread() {
    if (std::this_thread::get_id() == WindowThread || !sdl::DisplayIsOpen()) return;
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
}

}  // namespace

std::uint32_t TickCount() { return static_cast<std::uint32_t>(MonotonicMilliseconds()); }
std::uint32_t MultimediaTime() { return static_cast<std::uint32_t>(MonotonicMilliseconds()); }

void SleepMilliseconds(std::uint32_t ms) {
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

bool StartThread(void (*entry)()) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, ThreadEntry, reinterpret_cast<void*>(entry)) != 0)
        return false;
    pthread_detach(thread);
    return true;
}

bool PostWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l) {
    if (window != 0 && sdl::FindHostWindow(window) == nullptr) return false;
    if (!sdl::PostToQueue(sdl::QueuedMessage{window, message, w, l})) return false;
    WakeWindowThread();
    return true;
}

LResult SendWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l) {
    sdl::HostWindow* host = sdl::FindHostWindow(window);
    if (host == nullptr || host->procedure == nullptr) return 0;
    return host->procedure(window, message, w, l);
}

bool RemovePendingMessage(WindowHandle window, MessageId message) {
    return sdl::RemoveFromQueue(window, message);
}

LResult DefaultWindowProc(WindowHandle window, MessageId message, WParam, LParam) {
    if (message == WM_CLOSE) sdl::DestroyHostWindow(window);
    return 0;
}

void PostQuit(int exitCode) {
    sdl::PostToQueue(sdl::QueuedMessage{0, WM_QUIT, static_cast<WParam>(exitCode), 0});
    WakeWindowThread();
}

WindowHandle ParentWindow(WindowHandle window) {
    if (sdl::HostWindow* host = sdl::FindHostWindow(window)) return host->parent;
    sdl::XWindowId parent = sdl::X11ParentOf(window);
    return parent == sdl::X11RootWindow() ? 0 : parent;
}

bool ClientRect(WindowHandle window, ScreenRect& rect) {
    std::int32_t width = 0, height = 0;
    if (sdl::HostWindow* host = sdl::FindHostWindow(window)) {
        width = host->width.load();
        height = host->height.load();
    } else if (!sdl::X11WindowSize(window, width, height)) {
        return false;
    }
    rect = ScreenRect{0, 0, width, height};
    return true;
}

bool ClientToScreen(WindowHandle window, ScreenPoint& point) {
    std::int32_t x = 0, y = 0;
    if (sdl::HostWindow* host = sdl::FindHostWindow(window)) {
        x = host->originX.load();
        y = host->originY.load();
    } else if (!sdl::X11WindowOrigin(window, x, y)) {
        return false;
    }
    point.x += x;
    point.y += y;
    return true;
}

bool WindowRect(WindowHandle window, ScreenRect& rect) {
    ScreenRect client;
    ScreenPoint origin;
    if (!ClientRect(window, client) || !ClientToScreen(window, origin)) return false;
    rect = ScreenRect{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    return true;
}

bool IsWindowHandle(WindowHandle window) {
    return sdl::FindHostWindow(window) != nullptr || sdl::X11WindowExists(window);
}

WindowHandle ForegroundWindow() { return 0; }

void BringToForeground(WindowHandle window) {
    sdl::HostWindow* host = sdl::FindHostWindow(window);
    if (host != nullptr && host->fullScreen && host->window != nullptr)
        SDL_RaiseWindow(host->window);
}

int WindowTitle(WindowHandle window, char* buffer, int size) {
    return sdl::X11WindowTitle(window, buffer, size);
}

bool CursorPosition(ScreenPoint& point) {
    std::int32_t x = 0, y = 0;
    // SDL's global mouse state is not refreshed by pointer warps; the motion events are.
    if (!sdl::LastPointer(x, y) && !sdl::X11PointerPosition(x, y)) return false;
    point = ScreenPoint{x, y};
    return true;
}

void ShowCursor(bool show) {
    CursorCounter += show ? 1 : -1;
    if (sdl::DisplayIsOpen()) SDL_ShowCursor(CursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

void HideCursorImage() {
    if (sdl::DisplayIsOpen()) SDL_ShowCursor(SDL_DISABLE);
}

}  // namespace vorlix::platform
