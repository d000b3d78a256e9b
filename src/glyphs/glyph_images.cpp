#include "glyphs/glyph_images.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "glyphs/blitters.h"
#include "glyphs/masked_rows.h"

namespace vorlix {

template <class Pixel>
void GlyphImages<Pixel>::Clear() {
    pixels_.reset();
    std::fill(std::begin(present_), std::end(present_), false);
    source_ = nullptr;
    zoom_ = 1;
    width_ = height_ = frames_ = 0;
}

namespace {

// One glyph frame at one level in the images' pixels, each repeated zoom times across and down.
template <class Pixel>
void DrawImage(const std::uint16_t* dimmed, std::int32_t width, std::int32_t height,
               std::int32_t zoom, PixelFormat format, Pixel* image) {
    const std::int32_t wideWidth = width * zoom;
    for (std::int32_t row = 0; row < height; ++row) {
        Pixel* line = image + static_cast<std::ptrdiff_t>(row) * zoom * wideWidth;
        for (std::int32_t x = 0; x < wideWidth; ++x) {
            const std::uint16_t pixel = dimmed[static_cast<std::ptrdiff_t>(row) * width + x / zoom];
            if constexpr (sizeof(Pixel) == 2) {
                line[x] = pixel;
            } else {
                line[x] = WidenPixel(pixel, format);
            }
        }
        for (std::int32_t copy = 1; copy < zoom; ++copy)
            std::memcpy(line + static_cast<std::ptrdiff_t>(copy) * wideWidth, line,
                        static_cast<std::size_t>(wideWidth) * sizeof(Pixel));
    }
}

}  // namespace

template <class Pixel>
bool GlyphImages<Pixel>::Build(const Animation& glyphs, PixelFormat format, std::int32_t zoom) {
    if (Holds(glyphs, format, zoom)) return true;
    Clear();
    if (glyphs.compressed != 0 || glyphs.width <= 0 || glyphs.height <= 0 ||
        glyphs.frameCount <= 0 || zoom < 1 || zoom > MaxZoom)
        return false;
    const std::int32_t frames = std::min(glyphs.frameCount, MaxAnimationFrames);
    const std::size_t area = static_cast<std::size_t>(glyphs.width) * glyphs.height;
    const std::size_t wideArea = area * static_cast<std::size_t>(zoom * zoom);
    pixels_.reset(new (std::nothrow) Pixel[wideArea * Levels * frames]);
    std::unique_ptr<std::uint16_t[]> dimmed(new (std::nothrow) std::uint16_t[area]);
    if (!pixels_ || !dimmed) {
        pixels_.reset();
        return false;
    }
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        present_[frame] = glyphs.frames[frame] != nullptr;
        if (!present_[frame]) continue;
        for (int level = 0; level < Levels; ++level) {
            DimPixels(dimmed.get(), glyphs.frames[frame], static_cast<std::int32_t>(area), level,
                      format);
            DrawImage(dimmed.get(), glyphs.width, glyphs.height, zoom, format,
                       pixels_.get() + (static_cast<std::size_t>(frame) * Levels + level) * wideArea);
        }
    }
    source_ = &glyphs;
    format_ = format;
    zoom_ = zoom;
    width_ = glyphs.width * zoom;
    height_ = glyphs.height * zoom;
    frames_ = frames;
    return true;
}

template class GlyphImages<std::uint16_t>;
template class GlyphImages<std::uint32_t>;

GlyphRowBatch::GlyphRowBatch(const NarrowGlyphs* images, const SurfaceView& view)
    : images_(images), pixels_(view.pixels), pitch_(view.pitch) {
    if (images == nullptr || images->Zoom() != 1 || images->Width() <= 0 ||
        images->Width() > row_runs::MaxWidth)
        return;
    masked_ =
        masked_rows::Built && images->Width() <= masked_rows::MaxWidth && masked_rows::Available();
    width_ = images->Width();
    height_ = images->Height();
    left_ = ClipRect.left;
    right_ = std::min<std::int32_t>(ClipRect.right, view.width) - width_;
    top_ = ClipRect.top;
    bottom_ = std::min<std::int32_t>(ClipRect.bottom, view.height);
    usable_ = true;
}

void GlyphRowBatch::Flush() {
    if (count_ == 0) return;
    if (masked_) {
        if constexpr (masked_rows::Built) masked_rows::CopyRuns(runs_, count_, width_, pitch_);
    } else {
        row_runs::CopyInBlocks(runs_, count_, width_, pitch_);
    }
    count_ = 0;
}

}  // namespace vorlix
