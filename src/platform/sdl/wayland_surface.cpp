#include "platform/sdl/wayland_surface.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "platform/sdl/video_driver.h"
#include "platform/sdl/wayland_display.h"
// Last: it brings Xlib's macros along.
#include <SDL2/SDL_syswm.h>

namespace vorlix::sdl {

namespace {

constexpr const char* SurfaceKey = "vorlix-shared-memory-surface";

// One buffer, drawn over in place: the rain changes a few cells a frame, and a compositor that
// reads it while a frame is drawn shows at worst a few cells of the next frame early.
struct SharedSurface {
    SDL_Window* window = nullptr;
    Uint32 windowId = 0;
    wl_display* display = nullptr;
    wl_surface* surface = nullptr;
    wl_buffer* buffer = nullptr;
    void* memory = nullptr;
    std::size_t size = 0;
    SDL_Surface* pixels = nullptr;
    bool owesWhole = false;  // a frame was left unsent: the next one damages everything
};

// More changed parts than this are sent as the one rectangle around them: a frame's requests
// then fit libwayland's buffer, which is only written out between frames.
constexpr int MaxDamageRects = 64;

void Release(SharedSurface* shared) {
    if (shared == nullptr) return;
    if (shared->pixels != nullptr) SDL_FreeSurface(shared->pixels);
    if (shared->buffer != nullptr) wl_buffer_destroy(shared->buffer);
    if (shared->memory != nullptr) munmap(shared->memory, shared->size);
    delete shared;
}

// Surfaces of windows that are gone are released when the next one is made; the window
// thread destroys windows only while the draw thread leaves them alone.
SharedSurface* Made[16] = {};

void Remember(SharedSurface* shared) {
    for (SharedSurface*& slot : Made) {
        if (slot != nullptr && SDL_GetWindowFromID(slot->windowId) != slot->window) {
            Release(slot);
            slot = nullptr;
        }
    }
    for (SharedSurface*& slot : Made) {
        if (slot != nullptr) continue;
        slot = shared;
        return;
    }
}

void Forget(SharedSurface* shared) {
    for (SharedSurface*& slot : Made)
        if (slot == shared) slot = nullptr;
    Release(shared);
}

SharedSurface* Make(SDL_Window* window, int width, int height) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return nullptr;
    wl_shm* shm = WaylandSharedMemory(info.info.wl.display);
    if (shm == nullptr || width <= 0 || height <= 0) return nullptr;
    auto* shared = new (std::nothrow) SharedSurface;
    if (shared == nullptr) return nullptr;
    shared->window = window;
    shared->windowId = SDL_GetWindowID(window);
    shared->display = info.info.wl.display;
    shared->surface = info.info.wl.surface;
    const int pitch = width * 4;
    shared->size = static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height);
    int file = memfd_create("vorlix-window", MFD_CLOEXEC);
    if (file < 0 || ftruncate(file, static_cast<off_t>(shared->size)) != 0) {
        if (file >= 0) close(file);
        delete shared;
        return nullptr;
    }
    void* memory = mmap(nullptr, shared->size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    if (memory == MAP_FAILED) {
        close(file);
        delete shared;
        return nullptr;
    }
    shared->memory = memory;
    wl_shm_pool* pool = wl_shm_create_pool(shm, file, static_cast<std::int32_t>(shared->size));
    shared->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, pitch,
                                                WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(file);
    shared->pixels = SDL_CreateRGBSurfaceWithFormatFrom(memory, width, height, 32, pitch,
                                                        SDL_PIXELFORMAT_RGB888);
    if (shared->buffer == nullptr || shared->pixels == nullptr) {
        Release(shared);
        return nullptr;
    }
    return shared;
}

SharedSurface* SharedOf(SDL_Window* window) {
    return static_cast<SharedSurface*>(SDL_GetWindowData(window, SurfaceKey));
}

SDL_Surface* SharedSurfaceOf(SDL_Window* window) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    SharedSurface* shared = SharedOf(window);
    if (shared != nullptr && shared->pixels->w == width && shared->pixels->h == height)
        return shared->pixels;
    if (shared != nullptr) {
        SDL_SetWindowData(window, SurfaceKey, nullptr);
        Forget(shared);
    }
    shared = Make(window, width, height);
    if (shared == nullptr) return nullptr;
    SDL_SetWindowData(window, SurfaceKey, shared);
    Remember(shared);
    return shared->pixels;
}

SDL_Rect Around(const SDL_Rect* rects, int count) {
    SDL_Rect around = rects[0];
    for (int i = 1; i < count; ++i) SDL_UnionRect(&around, &rects[i], &around);
    return around;
}

// A compositor that stops reading must not see its socket filled (libwayland gives the whole
// connection up when a request cannot be written): while what was sent before has not all
// gone out, frames stay in the buffer, and the first one sent afterwards damages everything.
int ShowShared(SDL_Window* window, const SDL_Rect* rects, int count) {
    SharedSurface* shared = SharedOf(window);
    if (shared == nullptr) return SDL_SetError("the window has no surface");
    if (wl_display_flush(shared->display) < 0) {
        shared->owesWhole = true;
        return errno == EAGAIN ? 0 : SDL_SetError("the Wayland connection failed");
    }
    wl_surface_attach(shared->surface, shared->buffer, 0, 0);
    // The buffer is at scale 1: its coordinates are the surface's.
    if (rects == nullptr || count <= 0 || shared->owesWhole) {
        wl_surface_damage(shared->surface, 0, 0, shared->pixels->w, shared->pixels->h);
    } else if (count > MaxDamageRects) {
        SDL_Rect around = Around(rects, count);
        wl_surface_damage(shared->surface, around.x, around.y, around.w, around.h);
    } else {
        for (int i = 0; i < count; ++i)
            wl_surface_damage(shared->surface, rects[i].x, rects[i].y, rects[i].w, rects[i].h);
    }
    shared->owesWhole = false;
    wl_surface_commit(shared->surface);
    wl_display_flush(shared->display);
    return 0;
}

}  // namespace

SDL_Surface* WindowSurface(SDL_Window* window) {
    if (!DriverIsWayland()) return SDL_GetWindowSurface(window);
    return SharedSurfaceOf(window);
}

int UpdateWindowSurface(SDL_Window* window, const SDL_Rect* rects, int count) {
    if (!DriverIsWayland()) {
        return rects == nullptr ? SDL_UpdateWindowSurface(window)
                                : SDL_UpdateWindowSurfaceRects(window, rects, count);
    }
    return ShowShared(window, rects, count);
}

}  // namespace vorlix::sdl
