#pragma once
// A raw glyph set drawn out once: each frame at each dim level, in the pixels of the buffer it
// will be copied into and at a whole-number zoom, so that a cell of rain is a copy per glyph
// row, with no dimming, conversion or scaling after. 16-bit images hold the pixels the
// blitters draw; 32-bit XRGB ones the pixels converting that drawing gives, dimmed first, then
// widened; zoomed, each is repeated zoom by zoom.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#include "glyphs/animation.h"
#include "glyphs/blitters.h"
#include "glyphs/pixel_format.h"
#include "glyphs/row_runs.h"
#include "glyphs/surface_view.h"

namespace vorlix {

template <class Pixel>
class GlyphImages {
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
    const Pixel* Image(std::int32_t frame, std::int32_t level) const {
        if (frame < 0 || frame >= frames_ || !present_[frame]) return nullptr;
        if (level < 0 || level >= Levels) level = 0;
        const std::size_t area = static_cast<std::size_t>(width_) * height_;
        return pixels_.get() + (static_cast<std::size_t>(frame) * Levels + level) * area;
    }

private:
    std::unique_ptr<Pixel[]> pixels_;
    bool present_[MaxAnimationFrames] = {};
    const Animation* source_ = nullptr;
    PixelFormat format_ = Rgb565;
    std::int32_t zoom_ = 1;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t frames_ = 0;
};

// The blitters' own pixels, for a 16-bit buffer.
using NarrowGlyphs = GlyphImages<std::uint16_t>;
// The screen's own 32-bit pixels.
using WideGlyphs = GlyphImages<std::uint32_t>;

// Rows first ... end - 1 of a glyph at a dim level (0 full, 1 to 3 dimmer; any other copies),
// where drawing the whole glyph at (x, y) of the picture puts them, cut to ClipRect. Position,
// rows and ClipRect count the picture's pixels; the view is the buffer's, the picture's size
// times the images' zoom. Inline: it is the whole work of drawing a cell.
template <class Pixel>
void DrawGlyphImageRows(const GlyphImages<Pixel>& glyphs, const PixelView<Pixel>& view,
                        std::int32_t x, std::int32_t y, std::int32_t frame, std::int32_t level,
                        std::int32_t first, std::int32_t end) {
    const Pixel* image = glyphs.Image(frame, level);
    if (image == nullptr) return;
    // Everything in the buffer's pixels from here on.
    const std::int64_t zoom = glyphs.Zoom();
    const std::int64_t width = glyphs.Width();
    const std::int64_t bufferX = x * zoom;
    const std::int64_t bufferY = y * zoom;
    const std::int64_t left = std::max<std::int64_t>(ClipRect.left * zoom, bufferX);
    const std::int64_t right = std::min<std::int64_t>(
        {ClipRect.right * zoom, static_cast<std::int64_t>(view.width), bufferX + width});
    const std::int64_t top = std::max<std::int64_t>(
        {ClipRect.top * zoom, bufferY + std::max(first, 0) * zoom, bufferY});
    const std::int64_t bottom = std::min<std::int64_t>(
        {ClipRect.bottom * zoom, static_cast<std::int64_t>(view.height),
         bufferY + static_cast<std::int64_t>(end) * zoom, bufferY + glyphs.Height()});
    if (left >= right || top >= bottom) return;
    const Pixel* from = image + (top - bufferY) * width + (left - bufferX);
    const std::size_t bytes = static_cast<std::size_t>(right - left) * sizeof(Pixel);
    const auto* source = reinterpret_cast<const std::uint8_t*>(from);
    auto* target = reinterpret_cast<std::uint8_t*>(view.pixels + top * view.pitch + left);
    const std::size_t sourcePitch = static_cast<std::size_t>(width) * sizeof(Pixel);
    const std::size_t targetPitch = static_cast<std::size_t>(view.pitch) * sizeof(Pixel);
    // A row of Block to 2 * Block bytes is two fixed copies, the second ending at the row's
    // end: no call and no length loop per row.
    const auto rows = [&](auto block) {
        constexpr std::size_t Block = decltype(block)::value;
        for (std::int64_t row = top; row < bottom; ++row) {
            std::memcpy(target, source, Block);
            std::memcpy(target + bytes - Block, source + bytes - Block, Block);
            source += sourcePitch;
            target += targetPitch;
        }
    };
    if (bytes >= 16 && bytes <= 32) return rows(std::integral_constant<std::size_t, 16>{});
    if (bytes > 32 && bytes <= 64) return rows(std::integral_constant<std::size_t, 32>{});
    if (bytes > 64 && bytes <= 128) return rows(std::integral_constant<std::size_t, 64>{});
    for (std::int64_t row = top; row < bottom; ++row) {
        std::memcpy(target, source, bytes);
        source += sourcePitch;
        target += targetPitch;
    }
}

// Whole rows of 16-bit glyph images, gathered and copied many at a time: no call and no
// clipping per glyph. One masked store a row where the processor has masked stores, else at
// most two moves sized to the row (row_runs.h). Only for glyphs at most row_runs::MaxWidth
// wide at zoom 1; Usable() says.
class GlyphRowBatch {
public:
    GlyphRowBatch(const NarrowGlyphs* images, const SurfaceView& view);
    GlyphRowBatch(const GlyphRowBatch&) = delete;
    GlyphRowBatch& operator=(const GlyphRowBatch&) = delete;

    bool Usable() const { return usable_; }
    // Takes rows first ... end - 1 of a glyph at a dim level at (x, y) when they lie wholly
    // inside ClipRect and the view; false leaves them to the caller.
    bool Add(std::int32_t x, std::int32_t y, std::int32_t frame, std::int32_t level,
             std::int32_t first, std::int32_t end) {
        if (x < left_ || x > right_ || y + first < top_ || y + end > bottom_ || first < 0 ||
            first >= end || end > height_)
            return false;
        const std::uint16_t* image = images_->Image(frame, level);
        if (image == nullptr) return true;  // a frame the set lacks draws nothing
        runs_[count_++] = RowRun{
            pixels_ + static_cast<std::ptrdiff_t>(y + first) * pitch_ + x,
            image + static_cast<std::ptrdiff_t>(first) * width_, end - first};
        if (count_ == Size) Flush();
        return true;
    }
    // Copies what was gathered.
    void Flush();

private:
    static constexpr int Size = 64;
    const NarrowGlyphs* images_;
    std::uint16_t* pixels_;
    std::int64_t pitch_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    // Where a glyph's left edge and its rows may lie.
    std::int32_t left_ = 0;
    std::int32_t right_ = -1;
    std::int32_t top_ = 0;
    std::int32_t bottom_ = -1;
    bool usable_ = false;
    bool masked_ = false;  // with masked stores
    RowRun runs_[Size];
    int count_ = 0;
};

}  // namespace vorlix
