#pragma once
// A raw glyph set widened to 32-bit XRGB pixels, each frame at each dim level and at a
// whole-number zoom, so that rain can be drawn straight into a screen of those pixels: a copy
// per glyph row, no conversion or scaling after. The pixels are the ones converting the 16-bit
// drawing gives, dimmed first, then widened; zoomed, each is repeated zoom by zoom.
#include <cstdint>
#include <memory>

#include "glyphs/animation.h"
#include "glyphs/pixel_format.h"
#include "glyphs/surface_view.h"

namespace vorlix {

// A 16-bit pixel as XRGB, each channel widened by repeating its top bits.
std::uint32_t WidenPixel(std::uint16_t pixel, PixelFormat format);

class WideGlyphs {
public:
    static constexpr int Levels = 4;
    static constexpr std::int32_t MaxZoom = 8;

    // For this glyph set in this layout at this zoom; false (and empty) for an LLE set, a zoom
    // outside 1 ... MaxZoom, or without memory. Made again only when any of them differs.
    bool Build(const Animation& glyphs, PixelFormat format, std::int32_t zoom = 1);
    bool Holds(const Animation& glyphs, PixelFormat format, std::int32_t zoom = 1) const {
        return source_ == &glyphs && format_ == format && zoom_ == zoom && pixels_ != nullptr;
    }
    void Clear();

    std::int32_t Zoom() const { return zoom_; }
    // The images' size: the glyphs' at the zoom.
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    // Null for a frame the set does not have: drawing it leaves the buffer as it was.
    const std::uint32_t* Image(std::int32_t frame, std::int32_t level) const;

private:
    std::unique_ptr<std::uint32_t[]> pixels_;
    bool present_[MaxAnimationFrames] = {};
    const Animation* source_ = nullptr;
    PixelFormat format_ = Rgb565;
    std::int32_t zoom_ = 1;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t frames_ = 0;
};

// Rows first ... end - 1 of a glyph at a dim level (0 full, 1 to 3 dimmer; any other copies),
// where drawing the whole glyph at (x, y) of the picture puts them, cut to ClipRect. Position,
// rows and ClipRect count the picture's pixels; the view is the screen's, the picture's size
// times the glyphs' zoom.
void DrawWideGlyphRows(const WideGlyphs& glyphs, const WideView& view, std::int32_t x,
                       std::int32_t y, std::int32_t frame, std::int32_t level, std::int32_t first,
                       std::int32_t end);

}  // namespace vorlix
