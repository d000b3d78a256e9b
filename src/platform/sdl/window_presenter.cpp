#include "platform/sdl/window_presenter.h"

#include "platform/desktop.h"
#include "platform/sdl/wayland_surface.h"

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

SDL_Rect Bounding(const SDL_Rect& a, const SDL_Rect& b) {
    const int left = a.x < b.x ? a.x : b.x;
    const int top = a.y < b.y ? a.y : b.y;
    const int right = a.x + a.w > b.x + b.w ? a.x + a.w : b.x + b.w;
    const int bottom = a.y + a.h > b.y + b.h ? a.y + a.h : b.y + b.h;
    return SDL_Rect{left, top, right - left, bottom - top};
}

int JoinSharedRows(SDL_Rect* rects, int count, int gap) {
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (kept > 0) {
            SDL_Rect& last = rects[kept - 1];
            // Rows that overlap: the changed spans of one row of cells need not cover the
            // same pixel rows.
            const bool sharedRows = rects[i].y < last.y + last.h && last.y < rects[i].y + rects[i].h;
            if (sharedRows && rects[i].x - (last.x + last.w) <= gap) {
                last = Bounding(last, rects[i]);
                continue;
            }
        }
        rects[kept++] = rects[i];
    }
    return kept;
}

int JoinPairs(SDL_Rect* rects, int count) {
    int kept = 0;
    for (int i = 0; i < count; i += 2)
        rects[kept++] = i + 1 < count ? Bounding(rects[i], rects[i + 1]) : rects[i];
    return kept;
}

}  // namespace

int JoinRects(SDL_Rect* rects, int count, int limit) {
    if (limit < 1) limit = 1;
    for (int gap = 16; count > limit && gap < (1 << 16); gap *= 4)
        count = JoinSharedRows(rects, count, gap);
    while (count > limit) count = JoinPairs(rects, count);
    return count;
}

SDL_Surface* WindowPresenter::Surface() {
    if (host_ == nullptr || host_->window == nullptr) return nullptr;
    if (surface_ == nullptr || host_->surfaceStale.exchange(false)) {
        surface_ = WindowSurface(host_->window);
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
        ++generation_;
        shown_ = Shown{};
    }
    if (host_->exposed.exchange(false)) shown_ = Shown{};
    return surface_;
}

bool WindowPresenter::WideTarget(const Placement& place, bool filling,
                                 platform::LockedMemory& memory, bool& renewed) {
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return false;
    const SDL_PixelFormat& format = *surface->format;
    const bool inside = place.x >= 0 && place.y >= 0 && place.width > 0 && place.height > 0 &&
                        place.x + place.width <= surface->w &&
                        place.y + place.height <= surface->h &&
                        (!filling || (place.width == surface->w && place.height == surface->h));
    if (format.BytesPerPixel != 4 || format.Rmask != 0x00FF0000 || format.Gmask != 0x0000FF00 ||
        format.Bmask != 0x000000FF || !inside) {
        return false;
    }
    renewed = generation_ != wideGeneration_;
    wideGeneration_ = generation_;
    memory.pixels = static_cast<std::uint8_t*>(surface->pixels) +
                    static_cast<std::ptrdiff_t>(place.y) * surface->pitch +
                    static_cast<std::ptrdiff_t>(place.x) * 4;
    memory.pitchBytes = surface->pitch;
    return true;
}

bool WindowPresenter::PresentWide(const platform::ChangedArea* changes, const Placement& place,
                                  std::int32_t zoom) {
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return false;
    bool shown;
    if (Owed() || changes == nullptr || changes->whole) {
        shown = Update(true, Placement{});
    } else {
        partCount_ = 0;
        for (std::int32_t i = 0; i < changes->count; ++i) {
            const ScreenRect& r = changes->rects[i];
            AddPart(Placement{place.x + r.left * zoom, place.y + r.top * zoom,
                              (r.right - r.left) * zoom, (r.bottom - r.top) * zoom});
        }
        shown = UpdateParts();
    }
    // A 16-bit frame converted there before is drawn over, shown or not.
    if (shown || !Owed()) shown_ = Shown{Shown::Picture::Wide};
    return shown;
}

bool WindowPresenter::Update(bool whole, const Placement& part) {
    int result;
    if (whole) {
        result = UpdateWindowSurface(host_->window, nullptr, 0);
    } else {
        SDL_Rect rect{part.x, part.y, part.width, part.height};
        result = UpdateWindowSurface(host_->window, &rect, 1);
    }
    // SDL refuses once the window changed size: fetch the surface again next time.
    if (result != 0) host_->surfaceStale.store(true);
    if (result == 0) host_->lastPresent.store(platform::TickCount() | 1u);
    return result == 0;
}

bool WindowPresenter::UpdateParts() {
    partCount_ = JoinRects(parts_, partCount_, MaxUpdateRects);
    const int result = UpdateWindowSurface(host_->window, parts_, partCount_);
    if (result != 0) host_->surfaceStale.store(true);
    if (result == 0) host_->lastPresent.store(platform::TickCount() | 1u);
    return result == 0;
}

// Changed areas lie far apart in the frame and in the window surface, both larger than the
// cache: the memory of the area after next is fetched while one is converted.
constexpr std::int32_t FetchAhead = 2;

bool WindowPresenter::Partial(const std::uint16_t* pixels, std::int32_t x, std::int32_t y,
                              const platform::ChangedArea* changes) const {
    return shown_.picture == Shown::Picture::Converted && shown_.pixels == pixels &&
           shown_.x == x && shown_.y == y && changes != nullptr && !changes->whole;
}

void WindowPresenter::AddPart(const Placement& part) {
    if (part.width <= 0 || part.height <= 0 || partCount_ >= platform::MaxChangedRects) return;
    parts_[partCount_++] = SDL_Rect{part.x, part.y, part.width, part.height};
}

bool WindowPresenter::PresentScaled(const std::uint16_t* pixels, std::int32_t pitch,
                                    std::int32_t width, std::int32_t height,
                                    const platform::ChangedArea* changes) {
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return false;
    Placement placement = FitInside(width, height, surface->w, surface->h);
    return PresentInto(surface, Owed(), pixels, pitch, width, height, placement, changes, 0, 0);
}

bool WindowPresenter::PresentPlaced(const std::uint16_t* pixels, std::int32_t pitch,
                                    std::int32_t width, std::int32_t height,
                                    const Placement& placement,
                                    const platform::ChangedArea* changes,
                                    std::int32_t changesLeft, std::int32_t changesTop) {
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return false;
    bool fits = placement.x >= 0 && placement.y >= 0 && placement.width > 0 &&
                placement.height > 0 && placement.x + placement.width <= surface->w &&
                placement.y + placement.height <= surface->h;
    Placement used = fits ? placement : FitInside(width, height, surface->w, surface->h);
    return PresentInto(surface, Owed(), pixels, pitch, width, height, used, changes,
                       changesLeft, changesTop);
}

bool WindowPresenter::PresentBlack() {
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return false;
    if (!Owed()) return true;
    if (!Update(true, Placement{})) return false;
    shown_ = Shown{Shown::Picture::Black};
    return true;
}

bool WindowPresenter::PresentInto(SDL_Surface* surface, bool fresh, const std::uint16_t* pixels,
                                  std::int32_t pitch, std::int32_t width, std::int32_t height,
                                  const Placement& placement,
                                  const platform::ChangedArea* changes, std::int32_t changesLeft,
                                  std::int32_t changesTop) {
    TargetLayout layout = LayoutOf(*surface);
    if (!converter_.Matches(width, height, layout, placement)) {
        if (!converter_.Configure(width, height, layout, placement)) return false;
        fresh = true;
    }
    const bool partial = !fresh && Partial(pixels, 0, 0, changes);
    // Until the update is made, the window shows neither the old frame nor the new one.
    shown_.pixels = nullptr;
    if (SDL_LockSurface(surface) != 0) return false;
    auto* target = static_cast<std::uint8_t*>(surface->pixels);
    if (partial) {
        partCount_ = 0;
        for (std::int32_t i = 0; i < changes->count; ++i) {
            if (i + FetchAhead < changes->count) {
                const ScreenRect& next = changes->rects[i + FetchAhead];
                converter_.FetchArea(pixels, pitch, target, surface->pitch,
                                     next.left - changesLeft, next.top - changesTop,
                                     next.right - changesLeft, next.bottom - changesTop);
            }
            const ScreenRect& rect = changes->rects[i];
            AddPart(converter_.ConvertArea(pixels, pitch, target, surface->pitch,
                                           rect.left - changesLeft, rect.top - changesTop,
                                           rect.right - changesLeft, rect.bottom - changesTop));
        }
    } else {
        converter_.Convert(pixels, pitch, target, surface->pitch);
    }
    SDL_UnlockSurface(surface);
    if (!(partial ? UpdateParts() : Update(fresh, placement))) return false;
    shown_ = Shown{Shown::Picture::Converted, pixels, 0, 0};
    return true;
}

bool WindowPresenter::PresentAt(const std::uint16_t* pixels, std::int32_t pitch,
                                std::int32_t width, std::int32_t height, std::int32_t x,
                                std::int32_t y, const platform::ChangedArea* changes) {
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return false;
    const bool fresh = Owed();
    TargetLayout layout = LayoutOf(*surface);
    Placement whole{0, 0, width, height};
    if (!converter_.Matches(width, height, layout, whole) &&
        !converter_.Configure(width, height, layout, whole)) {
        return false;
    }
    const bool partial = Partial(pixels, x, y, changes);
    shown_.pixels = nullptr;
    if (SDL_LockSurface(surface) != 0) return false;
    auto* target = static_cast<std::uint8_t*>(surface->pixels);
    Placement covered;
    bool inside = false;
    if (partial) {
        partCount_ = 0;
        for (std::int32_t i = 0; i < changes->count; ++i) {
            const ScreenRect& r = changes->rects[i];
            if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height) continue;
            const std::uint16_t* first = pixels + static_cast<std::ptrdiff_t>(r.top) * pitch + r.left;
            if (converter_.ConvertUnscaled(first, pitch, r.right - r.left, r.bottom - r.top, target,
                                           surface->pitch, surface->w, surface->h, x + r.left,
                                           y + r.top, covered))
                AddPart(covered);
        }
    } else {
        inside = converter_.ConvertUnscaled(pixels, pitch, width, height, target, surface->pitch,
                                            surface->w, surface->h, x, y, covered);
    }
    SDL_UnlockSurface(surface);
    if (!partial && !inside) return true;
    if (!(partial ? UpdateParts() : Update(fresh, covered))) return false;
    shown_ = Shown{Shown::Picture::Converted, pixels, x, y};
    return true;
}

}  // namespace vorlix::sdl
