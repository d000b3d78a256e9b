#include "platform/sdl/host_windows.h"

#include <cstring>

#include "platform/sdl/x11_windows.h"
#include "platform/window_messages.h"

namespace vorlix::sdl {

namespace {

// Fixed slots, used on the window thread only; the presenting thread reads a slot it was
// handed while the window lives.
HostWindow Slots[MaxHostWindows];
bool SlotUsed[MaxHostWindows] = {};

struct Pointer {
    bool known = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
} LastMotion;

}  // namespace

HostWindow* AddHostWindow() {
    for (int i = 0; i < MaxHostWindows; ++i) {
        if (SlotUsed[i]) continue;
        SlotUsed[i] = true;
        HostWindow& slot = Slots[i];
        slot.handle = 0;
        slot.parent = 0;
        slot.window = nullptr;
        slot.procedure = nullptr;
        slot.fullScreen = true;
        slot.embedded = false;
        slot.monitor = -1;
        slot.owner = 0;
        slot.covers = MonitorInfo{};
        slot.surfaceStale.store(true);
        slot.hidden.store(false);
        slot.exposed.store(true);
        slot.originX.store(0);
        slot.originY.store(0);
        slot.width.store(0);
        slot.height.store(0);
        slot.lastPresent.store(0);
        return &slot;
    }
    return nullptr;
}

HostWindow* HostWindowAt(int slot) {
    if (slot < 0 || slot >= MaxHostWindows || !SlotUsed[slot]) return nullptr;
    return &Slots[slot];
}

bool FramesFlowing(std::uint32_t now) {
    constexpr std::uint32_t RecentMs = 250;
    for (int i = 0; i < MaxHostWindows; ++i)
        if (SlotUsed[i] && Slots[i].lastPresent.load() != 0 &&
            now - Slots[i].lastPresent.load() < RecentMs)
            return true;
    return false;
}

HostWindow* FindHostWindow(WindowHandle handle) {
    if (handle == 0) return nullptr;
    for (int i = 0; i < MaxHostWindows; ++i)
        if (SlotUsed[i] && Slots[i].handle == handle) return &Slots[i];
    return nullptr;
}

HostWindow* FindHostWindow(SDL_Window* window) {
    if (window == nullptr) return nullptr;
    for (int i = 0; i < MaxHostWindows; ++i)
        if (SlotUsed[i] && Slots[i].window == window) return &Slots[i];
    return nullptr;
}

HostWindow* FindHostWindowByParent(WindowHandle parent) {
    if (parent == 0) return nullptr;
    for (int i = 0; i < MaxHostWindows; ++i)
        if (SlotUsed[i] && Slots[i].parent == parent) return &Slots[i];
    return nullptr;
}

HostWindow* FindMonitorWindow(WindowHandle owner, int monitor) {
    if (owner == 0) return nullptr;
    for (int i = 0; i < MaxHostWindows; ++i) {
        const HostWindow& slot = Slots[i];
        if (SlotUsed[i] && slot.monitor == monitor &&
            (slot.handle == owner || slot.owner == owner))
            return &Slots[i];
    }
    return nullptr;
}

HostWindow* InputWindow(HostWindow* window) {
    if (window == nullptr || window->owner == 0) return window;
    return FindHostWindow(window->owner);
}

void RemoveHostWindow(HostWindow& window) {
    for (int i = 0; i < MaxHostWindows; ++i)
        if (&Slots[i] == &window) SlotUsed[i] = false;
}

int HostWindowCount() {
    int count = 0;
    for (int i = 0; i < MaxHostWindows; ++i) count += SlotUsed[i] ? 1 : 0;
    return count;
}

// A window that belongs to another goes with that one: owners come first.
WindowHandle FirstHostWindow() {
    for (int i = 0; i < MaxHostWindows; ++i)
        if (SlotUsed[i] && Slots[i].owner == 0) return Slots[i].handle;
    for (int i = 0; i < MaxHostWindows; ++i)
        if (SlotUsed[i]) return Slots[i].handle;
    return 0;
}

void DestroyHostWindow(WindowHandle handle) {
    HostWindow* host = FindHostWindow(handle);
    if (host == nullptr) return;
    // Forget the procedure first: whatever WM_DESTROY sends back must not re-enter it.
    WindowProc procedure = host->procedure;
    host->procedure = nullptr;
    if (procedure != nullptr) procedure(handle, WM_DESTROY, 0, 0);
    if (host->window != nullptr) SDL_DestroyWindow(host->window);
    host->window = nullptr;
    if (host->embedded) X11DestroyWindow(host->handle);
    RemoveHostWindow(*host);
    for (int i = 0; i < MaxHostWindows; ++i) {
        if (!SlotUsed[i] || Slots[i].owner != handle) continue;
        if (Slots[i].window != nullptr) SDL_DestroyWindow(Slots[i].window);
        Slots[i].window = nullptr;
        SlotUsed[i] = false;
    }
}

void NotePointer(std::int32_t x, std::int32_t y) {
    LastMotion.known = true;
    LastMotion.x = x;
    LastMotion.y = y;
}

bool LastPointer(std::int32_t& x, std::int32_t& y) {
    if (!LastMotion.known) return false;
    x = LastMotion.x;
    y = LastMotion.y;
    return true;
}

}  // namespace vorlix::sdl
