#pragma once
// A window's surface to draw frames into. On x11 it is SDL's own. SDL 2.26's wayland driver has
// none of its own: SDL would show one through a texture and GL (in software where there is no
// GPU), uploading and copying the whole frame every time. There the window gets a surface in
// shared memory instead, put on SDL's wl_surface as it is, with only the changed parts damaged.
#include <SDL2/SDL.h>

namespace vorlix::sdl {

// The window's surface at its current size, made anew after a size change; null when none.
SDL_Surface* WindowSurface(SDL_Window* window);
// Shows the rectangles of it (all of it without any), as SDL_UpdateWindowSurfaceRects does.
int UpdateWindowSurface(SDL_Window* window, const SDL_Rect* rects, int count);

}  // namespace vorlix::sdl
