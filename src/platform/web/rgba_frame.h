#pragma once
// The picture as a canvas takes it: 8-bit red, green, blue and opaque alpha per pixel, in
// memory order, converted from the 16-bit picture through a table of every pixel value. Only
// what a frame changed is converted, and the changed rows are kept as a few wide bands, joined
// where that puts little unchanged area, so that the page puts a few rectangles into the
// canvas rather than hundreds of glyph cells.
#include <cstdint>
#include <memory>
#include <vector>

#include "glyphs/pixel_format.h"
#include "platform/display_device.h"
#include "platform/types.h"

namespace vorlix::web {

class RgbaFrame {
public:
    static constexpr std::int32_t BandHeight = 32;
    // Unchanged pixels worth putting again to save a call: in Chromium a putImageData call
    // costs about as much as copying this many pixels.
    static constexpr std::int64_t JoinSlack = 32768;

    RgbaFrame();
    // Black, of that size, all of it to be put; false without memory (then empty).
    bool Resize(std::int32_t width, std::int32_t height);
    // The 16-bit picture (pitch counted in pixels) in this layout; changes null or whole
    // converts all of it.
    void Convert(const std::uint16_t* picture, std::int32_t pitch, PixelFormat format,
                 const platform::ChangedArea* changes);

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    const std::uint32_t* Pixels() const { return pixels_.get(); }
    // The rectangles changed since the last TakeBands, as left, top, right, bottom: each
    // band's changes, bands that touch joined while that adds at most JoinSlack unchanged
    // pixels; their count is written to rectCount. The list is then empty again.
    const std::int32_t* TakeBands(std::int32_t& rectCount);

private:
    void ConvertRect(const std::uint16_t* picture, std::int32_t pitch, const ScreenRect& rect);
    void MarkAll();

    std::vector<std::uint32_t> tables_[2];  // per PixelFormat: 16-bit value to RGBA
    const std::uint32_t* table_ = nullptr;  // the one in use
    std::unique_ptr<std::uint32_t[]> pixels_;
    std::unique_ptr<ScreenRect[]> bands_;  // per band; empty when right <= left
    std::unique_ptr<std::int32_t[]> taken_;  // the bands handed out
    std::int32_t bandCount_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

}  // namespace vorlix::web
