#pragma once
// Puts 5-6-5 frames into one saver window through SDL's window surface, which it fetches
// again whenever the window's size changed or SDL refused an update.
#include <SDL2/SDL.h>

#include <cstdint>

#include "platform/sdl/frame_converter.h"
#include "platform/sdl/host_windows.h"

namespace vorlix::sdl {

class WindowPresenter {
public:
    void Attach(HostWindow* host) { host_ = host; }
    HostWindow* Host() const { return host_; }

    // The frame scaled to fit the window, centred between black bars. Frames presented one
    // after another from two alternating buffers convert only what changed between them.
    bool PresentScaled(const std::uint16_t* pixels, std::int32_t pitch, std::int32_t width,
                       std::int32_t height);
    // The frame scaled into placement (a whole-number zoom keeps glyph pixels even), black
    // around it; fitted as PresentScaled does when the window is smaller than placement.
    bool PresentPlaced(const std::uint16_t* pixels, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, const Placement& placement);
    // Only black: put once, when the window's surface is new or was uncovered.
    bool PresentBlack();
    // The frame unscaled at (x, y) of the window, cut to the window.
    bool PresentAt(const std::uint16_t* pixels, std::int32_t pitch, std::int32_t width,
                   std::int32_t height, std::int32_t x, std::int32_t y);

private:
    // The current window surface, black all over when it is new; null when SDL has none.
    SDL_Surface* Surface(bool& fresh);
    bool Update(bool whole, const Placement& part);
    bool PresentInto(SDL_Surface* surface, bool fresh, const std::uint16_t* pixels,
                     std::int32_t pitch, std::int32_t width, std::int32_t height,
                     const Placement& placement);

    HostWindow* host_ = nullptr;
    SDL_Surface* surface_ = nullptr;
    FrameConverter converter_;
    const std::uint16_t* shown_ = nullptr;  // the buffer the window shows, while unchanged
};

}  // namespace vorlix::sdl
