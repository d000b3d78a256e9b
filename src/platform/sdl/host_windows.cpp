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

// The first window in use that match accepts.
template <class Match>
HostWindow* FirstUsedSlot(Match match) {
    for (int i = 0; i < MaxHostWindows; ++i)
        if (SlotUsed[i] && match(Slots[i])) return &Slots[i];
    return nullptr;
}

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
    return FirstUsedSlot([&](const HostWindow& slot) {
               return slot.lastPresent.load() != 0 && now - slot.lastPresent.load() < RecentMs;
           }) != nullptr;
}

HostWindow* FindHostWindow(WindowHandle handle) {
    if (handle == 0) return nullptr;
    return FirstUsedSlot([&](const HostWindow& slot) { return slot.handle == handle; });
}

HostWindow* FindHostWindow(SDL_Window* window) {
    if (window == nullptr) return nullptr;
    return FirstUsedSlot([&](const HostWindow& slot) { return slot.window == window; });
}

HostWindow* FindHostWindowByParent(WindowHandle parent) {
    if (parent == 0) return nullptr;
    return FirstUsedSlot([&](const HostWindow& slot) { return slot.parent == parent; });
}

HostWindow* FindMonitorWindow(WindowHandle owner, int monitor) {
    if (owner == 0) return nullptr;
    return FirstUsedSlot([&](const HostWindow& slot) {
        return slot.monitor == monitor && (slot.handle == owner || slot.owner == owner);
    });
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
    HostWindow* first = FirstUsedSlot([](const HostWindow& slot) { return slot.owner == 0; });
    if (first == nullptr) first = FirstUsedSlot([](const HostWindow&) { return true; });
    return first ? first->handle : 0;
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
