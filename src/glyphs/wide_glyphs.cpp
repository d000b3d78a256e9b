#include "glyphs/wide_glyphs.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

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
    width_ = height_ = frames_ = 0;
}

bool WideGlyphs::Build(const Animation& glyphs, PixelFormat format) {
    if (Holds(glyphs, format)) return true;
    Clear();
    if (glyphs.compressed != 0 || glyphs.width <= 0 || glyphs.height <= 0 ||
        glyphs.frameCount <= 0)
        return false;
    const std::int32_t frames = std::min(glyphs.frameCount, MaxAnimationFrames);
    const std::size_t area = static_cast<std::size_t>(glyphs.width) * glyphs.height;
    pixels_.reset(new (std::nothrow) std::uint32_t[area * Levels * frames]);
    std::vector<std::uint16_t> dimmed;
    try {
        dimmed.resize(area);
    } catch (const std::bad_alloc&) {
        pixels_.reset();
    }
    if (!pixels_) return false;
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        present_[frame] = glyphs.frames[frame] != nullptr;
        if (!present_[frame]) continue;
        for (int level = 0; level < Levels; ++level) {
            DimPixels(dimmed.data(), glyphs.frames[frame], static_cast<std::int32_t>(area), level,
                      format);
            std::uint32_t* image = pixels_.get() + (static_cast<std::size_t>(frame) * Levels + level) * area;
            for (std::size_t i = 0; i < area; ++i) image[i] = WidenPixel(dimmed[i], format);
        }
    }
    source_ = &glyphs;
    format_ = format;
    width_ = glyphs.width;
    height_ = glyphs.height;
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
    const std::int64_t width = glyphs.Width();
    const std::int64_t left = std::max<std::int64_t>(ClipRect.left, x);
    const std::int64_t right =
        std::min<std::int64_t>(std::min<std::int64_t>(ClipRect.right, view.width), x + width);
    const std::int64_t top = std::max<std::int64_t>(
        {static_cast<std::int64_t>(ClipRect.top), static_cast<std::int64_t>(y) + first,
         static_cast<std::int64_t>(y)});
    const std::int64_t bottom = std::min<std::int64_t>(
        {std::min<std::int64_t>(ClipRect.bottom, view.height), static_cast<std::int64_t>(y) + end,
         static_cast<std::int64_t>(y) + glyphs.Height()});
    if (left >= right || top >= bottom) return;
    const std::size_t bytes = static_cast<std::size_t>(right - left) * 4;
    const auto* source = reinterpret_cast<const std::uint8_t*>(image + (top - y) * width + (left - x));
    auto* target = reinterpret_cast<std::uint8_t*>(view.pixels + top * view.pitch + left);
    const std::size_t sourcePitch = static_cast<std::size_t>(width) * 4;
    const std::size_t targetPitch = static_cast<std::size_t>(view.pitch) * 4;
    // A glyph row of 8 to 16 pixels is two fixed 32-byte copies, the second ending at the
    // row's end: no call and no length loop per row.
    if (bytes >= 32 && bytes <= 64) {
        for (std::int64_t row = top; row < bottom; ++row) {
            std::memcpy(target, source, 32);
            std::memcpy(target + bytes - 32, source + bytes - 32, 32);
            source += sourcePitch;
            target += targetPitch;
        }
        return;
    }
    for (std::int64_t row = top; row < bottom; ++row) {
        std::memcpy(target, source, bytes);
        source += sourcePitch;
        target += targetPitch;
    }
}

}  // namespace vorlix
