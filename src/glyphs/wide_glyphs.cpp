#include "glyphs/wide_glyphs.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

#include "glyphs/blitters.h"

namespace vorlix {

std::uint32_t WidenPixel(std::uint16_t pixel, PixelFormat format) {
    std::uint32_t r, g, b;
    if (format == Rgb565) {
        r = (pixel >> 11) & 31;
        g = (pixel >> 5) & 63;
        g = (g << 2) | (g >> 4);
    } else {
        r = (pixel >> 10) & 31;
        g = (pixel >> 5) & 31;
        g = (g << 3) | (g >> 2);
    }
    b = pixel & 31;
    r = (r << 3) | (r >> 2);
    b = (b << 3) | (b >> 2);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

void WideGlyphs::Clear() {
    pixels_.reset();
    std::fill(std::begin(present_), std::end(present_), false);
    source_ = nullptr;
    zoom_ = 1;
    width_ = height_ = frames_ = 0;
}

namespace {

// One glyph frame at one level, each pixel repeated zoom times across and down.
void WidenImage(const std::uint16_t* dimmed, std::int32_t width, std::int32_t height,
                std::int32_t zoom, PixelFormat format, std::uint32_t* image) {
    const std::int32_t wideWidth = width * zoom;
    for (std::int32_t row = 0; row < height; ++row) {
        std::uint32_t* line = image + static_cast<std::ptrdiff_t>(row) * zoom * wideWidth;
        for (std::int32_t x = 0; x < wideWidth; ++x)
            line[x] = WidenPixel(dimmed[static_cast<std::ptrdiff_t>(row) * width + x / zoom], format);
        for (std::int32_t copy = 1; copy < zoom; ++copy)
            std::memcpy(line + static_cast<std::ptrdiff_t>(copy) * wideWidth, line,
                        static_cast<std::size_t>(wideWidth) * 4);
    }
}

}  // namespace

bool WideGlyphs::Build(const Animation& glyphs, PixelFormat format, std::int32_t zoom) {
    if (Holds(glyphs, format, zoom)) return true;
    Clear();
    if (glyphs.compressed != 0 || glyphs.width <= 0 || glyphs.height <= 0 ||
        glyphs.frameCount <= 0 || zoom < 1 || zoom > MaxZoom)
        return false;
    const std::int32_t frames = std::min(glyphs.frameCount, MaxAnimationFrames);
    const std::size_t area = static_cast<std::size_t>(glyphs.width) * glyphs.height;
    const std::size_t wideArea = area * static_cast<std::size_t>(zoom * zoom);
    pixels_.reset(new (std::nothrow) std::uint32_t[wideArea * Levels * frames]);
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
            WidenImage(dimmed.get(), glyphs.width, glyphs.height, zoom, format,
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

const std::uint32_t* WideGlyphs::Image(std::int32_t frame, std::int32_t level) const {
    if (frame < 0 || frame >= frames_ || !present_[frame]) return nullptr;
    if (level < 0 || level >= Levels) level = 0;
    const std::size_t area = static_cast<std::size_t>(width_) * height_;
    return pixels_.get() + (static_cast<std::size_t>(frame) * Levels + level) * area;
}

void DrawWideGlyphRows(const WideGlyphs& glyphs, const WideView& view, std::int32_t x,
                       std::int32_t y, std::int32_t frame, std::int32_t level, std::int32_t first,
                       std::int32_t end) {
    const std::uint32_t* image = glyphs.Image(frame, level);
    if (image == nullptr) return;
    // Everything in the screen's pixels from here on.
    const std::int64_t zoom = glyphs.Zoom();
    const std::int64_t width = glyphs.Width();
    const std::int64_t screenX = x * zoom;
    const std::int64_t screenY = y * zoom;
    const std::int64_t left = std::max<std::int64_t>(ClipRect.left * zoom, screenX);
    const std::int64_t right = std::min<std::int64_t>(
        {ClipRect.right * zoom, static_cast<std::int64_t>(view.width), screenX + width});
    const std::int64_t top = std::max<std::int64_t>(
        {ClipRect.top * zoom, screenY + std::max(first, 0) * zoom, screenY});
    const std::int64_t bottom = std::min<std::int64_t>(
        {ClipRect.bottom * zoom, static_cast<std::int64_t>(view.height),
         screenY + static_cast<std::int64_t>(end) * zoom, screenY + glyphs.Height()});
    if (left >= right || top >= bottom) return;
    const std::uint32_t* from = image + (top - screenY) * width + (left - screenX);
    const std::size_t bytes = static_cast<std::size_t>(right - left) * 4;
    const auto* source = reinterpret_cast<const std::uint8_t*>(from);
    auto* target = reinterpret_cast<std::uint8_t*>(view.pixels + top * view.pitch + left);
    const std::size_t sourcePitch = static_cast<std::size_t>(width) * 4;
    const std::size_t targetPitch = static_cast<std::size_t>(view.pitch) * 4;
    // A glyph row of 8 to 16 pixels is two fixed 32-byte copies, the second ending at the
    // row's end, and one of 16 to 32 pixels two of 64 bytes: no call and no length loop per row.
    const auto rows = [&](auto block) {
        constexpr std::size_t Block = decltype(block)::value;
        for (std::int64_t row = top; row < bottom; ++row) {
            std::memcpy(target, source, Block);
            std::memcpy(target + bytes - Block, source + bytes - Block, Block);
            source += sourcePitch;
            target += targetPitch;
        }
    };
    if (bytes >= 32 && bytes <= 64) return rows(std::integral_constant<std::size_t, 32>{});
    if (bytes > 64 && bytes <= 128) return rows(std::integral_constant<std::size_t, 64>{});
    for (std::int64_t row = top; row < bottom; ++row) {
        std::memcpy(target, source, bytes);
        source += sourcePitch;
        target += targetPitch;
    }
}

}  // namespace vorlix
