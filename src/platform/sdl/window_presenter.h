#pragma once
// Puts 5-6-5 frames into one saver window through SDL's window surface, which it fetches
// again whenever the window's size changed or SDL refused an update.
#include <SDL2/SDL.h>

#include <cstdint>

#include "platform/display_device.h"
#include "platform/sdl/frame_converter.h"
#include "platform/sdl/host_windows.h"

namespace vorlix::sdl {

class WindowPresenter {
public:
    void Attach(HostWindow* host) { host_ = host; }
    HostWindow* Host() const { return host_; }

    // The frame scaled to fit the window, centred between black bars. With changes (what
    // differs from the frame presented before), only those parts are converted and updated.
    bool PresentScaled(const std::uint16_t* pixels, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, const platform::ChangedArea* changes = nullptr);
    // The frame scaled into placement (a whole-number zoom keeps glyph pixels even), black
    // around it; fitted as PresentScaled does when the window is smaller than placement.
    // The frame may be part of a larger picture whose changes start at (-changesLeft,
    // -changesTop) from pixels.
    bool PresentPlaced(const std::uint16_t* pixels, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, const Placement& placement,
                       const platform::ChangedArea* changes = nullptr,
                       std::int32_t changesLeft = 0, std::int32_t changesTop = 0);
    // Only black: put once, when the window's surface is new or was uncovered.
    bool PresentBlack();
    // The window's own pixels at place's corner, for a frame drawn straight into them to fill
    // place: only where they are XRGB 8-8-8-8 and place lies inside the window (is all of it,
    // with filling). renewed: the surface was made anew, black, since the last call. Nothing
    // else changes until PresentWide: the frame may still go the 16-bit way.
    bool WideTarget(const Placement& place, bool filling, platform::LockedMemory& memory,
                    bool& renewed);
    // Shows the frame drawn into WideTarget's pixels: the changes (in the frame's pixels, each
    // shown zoom by zoom), or all of it. A surface made anew meanwhile has lost the frame and
    // is shown black.
    bool PresentWide(const platform::ChangedArea* changes, const Placement& place,
                     std::int32_t zoom);
    // The frame unscaled at (x, y) of the window, cut to the window; changes as above.
    bool PresentAt(const std::uint16_t* pixels, std::int32_t pitch, std::int32_t width,
                   std::int32_t height, std::int32_t x, std::int32_t y,
                   const platform::ChangedArea* changes = nullptr);

    // The most window parts one update names; more are joined into fewer, larger ones. The X
    // server copies each part on its own, and joined parts make it copy the black between
    // them too: a steady frame's parts fit unjoined even on a 4K screen.
    static constexpr int MaxUpdateRects = 1024;

private:
    // The current window surface, black all over when it is new; null when SDL has none. A
    // new or uncovered surface owes the window a whole update, whichever present comes next.
    SDL_Surface* Surface();
    bool Update(bool whole, const Placement& part);
    bool PresentInto(SDL_Surface* surface, bool fresh, const std::uint16_t* pixels,
                     std::int32_t pitch, std::int32_t width, std::int32_t height,
                     const Placement& placement, const platform::ChangedArea* changes,
                     std::int32_t changesLeft, std::int32_t changesTop);
    bool UpdateParts();
    // Only what changed: the window shows the frame before this one, converted from the same
    // pixels to the same place, and the frame lists its changes.
    bool Partial(const std::uint16_t* pixels, std::int32_t x, std::int32_t y,
                 const platform::ChangedArea* changes) const;
    void AddPart(const Placement& part);

    // What the window shows, as far as this presenter knows.
    struct Shown {
        enum class Picture {
            Unknown,    // the surface is new or was uncovered: the next update puts all of it
            Black,      // around a picture, or all over
            Converted,  // 16-bit pixels converted, at (x, y) for PresentAt
            Wide,       // a frame drawn straight into the surface
        };
        Picture picture = Picture::Unknown;
        const std::uint16_t* pixels = nullptr;  // Converted: from where
        std::int32_t x = 0;
        std::int32_t y = 0;
    };
    bool Owed() const { return shown_.picture == Shown::Picture::Unknown; }

    HostWindow* host_ = nullptr;
    SDL_Surface* surface_ = nullptr;
    FrameConverter converter_;
    Shown shown_;
    SDL_Rect parts_[platform::MaxChangedRects];
    int partCount_ = 0;
    std::uint32_t generation_ = 0;      // counts the surfaces fetched
    std::uint32_t wideGeneration_ = 0;  // the one WideTarget last gave
};

// Joins rectangles until at most limit are left: first neighbours on shared rows with gaps
// that grow each round, then, if need be, each rectangle with the next. Returns the count.
int JoinRects(SDL_Rect* rects, int count, int limit);

}  // namespace vorlix::sdl
