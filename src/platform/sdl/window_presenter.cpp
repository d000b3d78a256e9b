#include "platform/sdl/window_presenter.h"

#include "platform/desktop.h"

namespace vorlix::sdl {

namespace {

TargetLayout LayoutOf(const SDL_Surface& surface) {
    TargetLayout layout;
    layout.bytesPerPixel = surface.format->BytesPerPixel;
    layout.red = surface.format->Rmask;
    layout.green = surface.format->Gmask;
    layout.blue = surface.format->Bmask;
    return layout;
}

}  // namespace

SDL_Surface* WindowPresenter::Surface(bool& fresh) {
    fresh = false;
    if (host_ == nullptr || host_->window == nullptr) return nullptr;
    if (surface_ == nullptr || host_->surfaceStale.exchange(false)) {
        surface_ = SDL_GetWindowSurface(host_->window);
        if (surface_ == nullptr) {
            host_->surfaceStale.store(true);
            return nullptr;
        }
        if (surface_->format->BytesPerPixel < 1 || surface_->format->BytesPerPixel > 4) {
            surface_ = nullptr;
            return nullptr;
        }
        if (SDL_LockSurface(surface_) == 0) {
            FrameConverter::FillBlack(static_cast<std::uint8_t*>(surface_->pixels), surface_->pitch,
                                      surface_->w, surface_->h, surface_->format->BytesPerPixel);
            SDL_UnlockSurface(surface_);
        }
        fresh = true;
    }
    if (host_->exposed.exchange(false)) fresh = true;
    return surface_;
}

bool WindowPresenter::Update(bool whole, const Placement& part) {
    int result;
    if (whole) {
        result = SDL_UpdateWindowSurface(host_->window);
    } else {
        SDL_Rect rect{part.x, part.y, part.width, part.height};
        result = SDL_UpdateWindowSurfaceRects(host_->window, &rect, 1);
    }
    // SDL refuses once the window changed size: fetch the surface again next time.
    if (result != 0) host_->surfaceStale.store(true);
    if (result == 0) host_->lastPresent.store(platform::TickCount() | 1u);
    return result == 0;
}

bool WindowPresenter::PresentScaled(const std::uint16_t* pixels, std::int32_t pitch,
                                    std::int32_t width, std::int32_t height) {
    bool fresh = false;
    SDL_Surface* surface = Surface(fresh);
    if (surface == nullptr) return false;
    Placement placement = FitInside(width, height, surface->w, surface->h);
    return PresentInto(surface, fresh, pixels, pitch, width, height, placement);
}

bool WindowPresenter::PresentPlaced(const std::uint16_t* pixels, std::int32_t pitch,
                                    std::int32_t width, std::int32_t height,
                                    const Placement& placement) {
    bool fresh = false;
    SDL_Surface* surface = Surface(fresh);
    if (surface == nullptr) return false;
    bool fits = placement.x >= 0 && placement.y >= 0 && placement.width > 0 &&
                placement.height > 0 && placement.x + placement.width <= surface->w &&
                placement.y + placement.height <= surface->h;
    Placement used = fits ? placement : FitInside(width, height, surface->w, surface->h);
    return PresentInto(surface, fresh, pixels, pitch, width, height, used);
}

bool WindowPresenter::PresentBlack() {
    bool fresh = false;
    SDL_Surface* surface = Surface(fresh);
    if (surface == nullptr) return false;
    if (!fresh) return true;
    return Update(true, Placement{});
}

bool WindowPresenter::PresentInto(SDL_Surface* surface, bool fresh, const std::uint16_t* pixels,
                                  std::int32_t pitch, std::int32_t width, std::int32_t height,
                                  const Placement& placement) {
    TargetLayout layout = LayoutOf(*surface);
    if (!converter_.Matches(width, height, layout, placement)) {
        if (!converter_.Configure(width, height, layout, placement)) return false;
        fresh = true;
    }
    const std::uint16_t* previous = fresh || shown_ == pixels ? nullptr : shown_;
    shown_ = nullptr;
    if (SDL_LockSurface(surface) != 0) return false;
    converter_.Convert(pixels, pitch, static_cast<std::uint8_t*>(surface->pixels), surface->pitch,
                       previous);
    SDL_UnlockSurface(surface);
    if (!Update(fresh, placement)) return false;
    shown_ = pixels;
    return true;
}

bool WindowPresenter::PresentAt(const std::uint16_t* pixels, std::int32_t pitch,
                                std::int32_t width, std::int32_t height, std::int32_t x,
                                std::int32_t y) {
    bool fresh = false;
    SDL_Surface* surface = Surface(fresh);
    if (surface == nullptr) return false;
    TargetLayout layout = LayoutOf(*surface);
    Placement whole{0, 0, width, height};
    if (!converter_.Matches(width, height, layout, whole) &&
        !converter_.Configure(width, height, layout, whole)) {
        return false;
    }
    if (SDL_LockSurface(surface) != 0) return false;
    Placement covered;
    bool inside = converter_.ConvertUnscaled(pixels, pitch, width, height,
                                             static_cast<std::uint8_t*>(surface->pixels),
                                             surface->pitch, surface->w, surface->h, x, y, covered);
    SDL_UnlockSurface(surface);
    if (!inside) return true;
    return Update(fresh, covered);
}

}  // namespace vorlix::sdl
