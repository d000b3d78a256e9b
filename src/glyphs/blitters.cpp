#include "glyphs/blitters.h"

#include <algorithm>
#include <limits>

#include "glyphs/frame_walkers.h"
#include "glyphs/row_kernels.h"
#include "glyphs/row_runs.h"

namespace vorlix {

ClipRectangle ClipRect;

namespace {

using kernels::BlendOp;
using kernels::CopyOp;
using kernels::DimOp;
using walkers::Bounds;
using walkers::Frame;

// ClipRect, narrowed to the view so that a rectangle larger than the surface cannot send a
// write past its memory.
Bounds BoundsFor(const SurfaceView& view) {
    return {ClipRect.left, ClipRect.top, std::min<std::int64_t>(ClipRect.right, view.width),
            std::min<std::int64_t>(ClipRect.bottom, view.height)};
}

// The frame to draw, or null when the index or the frame is not there to draw.
const std::uint16_t* FrameWords(const Animation& animation, std::int32_t frame) {
    if (frame < 0 || frame >= animation.frameCount || frame >= MaxAnimationFrames) return nullptr;
    if (animation.width <= 0 || animation.height <= 0) return nullptr;
    return animation.frames[frame];
}

template <class Op>
void DrawRaw(const Frame& f, const SurfaceView& view, std::int32_t x, std::int32_t y, Op op) {
    const Bounds bounds = BoundsFor(view);
    if (walkers::WhollyInside(bounds, f, x, y)) {
        walkers::RawUnclipped(f, view, x, y, op);
        return;
    }
    walkers::RawClipped(f, bounds, view, x, y, op);
}

template <class Op>
void DrawLle(const Frame& f, const SurfaceView& view, std::int32_t x, std::int32_t y, Op op) {
    const Bounds bounds = BoundsFor(view);
    if (walkers::WhollyInside(bounds, f, x, y)) {
        walkers::LleUnclipped(f, view, x, y, op);
        return;
    }
    walkers::LleClipped(f, bounds, view, x, y, op);
}

template <class Op>
void DrawFrame(const Animation& animation, const std::uint16_t* words, const SurfaceView& view,
               std::int32_t x, std::int32_t y, Op op) {
    const Frame f{words, animation.width, animation.height};
    if (animation.compressed != 0) {
        DrawLle(f, view, x, y, op);
        return;
    }
    DrawRaw(f, view, x, y, op);
}

// DrawGlyph's less common cases: clipped at an edge, wider than a sized copy, or LLE. Given
// what DrawGlyph was given, so that reaching it is a jump with every argument in its register.
[[gnu::noinline]] void DrawGlyphApart(const Animation& animation, const SurfaceView& view,
                                      std::int32_t x, std::int32_t y, std::int32_t frame) {
    const std::uint16_t* words = FrameWords(animation, frame);
    if (words == nullptr) return;
    DrawFrame(animation, words, view, x, y, CopyOp{});
}

template <int Level>
void DrawBlendedRaw(const Frame& f, const SurfaceView& view, std::int32_t x, std::int32_t y,
                    const kernels::DimMasks& masks) {
    const Bounds bounds = BoundsFor(view);
    if (walkers::WhollyInside(bounds, f, x, y)) {
        walkers::RawUnclipped(f, view, x, y, BlendOp<Level>{masks});
        return;
    }
    // Levels 1 and 2 fall back to a plain copy at the edges; level 3 has no such form, so it
    // is blended with clipping rather than written past the edge.
    if constexpr (Level == 3) {
        walkers::RawClipped(f, bounds, view, x, y, BlendOp<Level>{masks});
    } else {
        walkers::RawClipped(f, bounds, view, x, y, CopyOp{});
    }
}

void MapRow(std::uint16_t* destination, const std::uint16_t* source, const std::uint8_t* map,
            std::int32_t count, PixelFormat format) {
    for (std::int32_t i = 0; i < count; ++i) {
        if (map[i] == 0) continue;
        if (map[i] > 3) {
            destination[i] = source[i];
            continue;
        }
        BlendPixels(destination + i, source + i, 1, map[i], format);
    }
}

// A map applies only where the whole picture is inside; elsewhere it is a plain clipped copy.
void DrawMappedPicture(const Picture& picture, const SurfaceView& view, std::int32_t x,
                       std::int32_t y) {
    const Frame f{picture.pixels, picture.width, picture.height};
    const Bounds bounds = BoundsFor(view);
    if (!walkers::WhollyInside(bounds, f, x, y)) {
        walkers::RawClipped(f, bounds, view, x, y, CopyOp{});
        return;
    }
    const std::uint16_t* source = picture.pixels;
    const std::uint8_t* map = picture.map;
    std::uint16_t* destination = walkers::PixelAt(view, x, y);
    for (std::int32_t r = 0; r < picture.height; ++r) {
        MapRow(destination, source, map, picture.width, ActivePixelFormat);
        source += picture.width;
        map += picture.width;
        destination += view.pitch;
    }
}

// Calls draw with the row operation of a dim level: 1, 2 and 3 dim by half, quarter and
// eighth in the active layout; any other level copies.
template <class Draw>
void WithLevelOp(std::int32_t level, Draw draw) {
    const kernels::DimMasks masks = kernels::MasksFor(ActivePixelFormat);
    switch (level) {
        case 1: draw(DimOp<1>{masks.half}); return;
        case 2: draw(DimOp<2>{masks.quarter}); return;
        case 3: draw(DimOp<3>{masks.eighth}); return;
        default: draw(CopyOp{}); return;
    }
}

}  // namespace

void DrawGlyph(Animation& animation, const SurfaceView& view, std::int32_t x, std::int32_t y,
               std::int32_t frame) {
    animation.currentFrame = frame;
    const std::uint16_t* words = FrameWords(animation, frame);
    if (words == nullptr) return;
    // This is the call made for every cell of every frame, and a raw glyph of up to
    // row_runs::MaxWidth pixels wholly inside is its common case: kept apart from the others,
    // so that it builds nothing in memory and ends in a jump to the copy of its width.
    const Frame f{words, animation.width, animation.height};
    if (animation.compressed == 0 && f.width <= row_runs::MaxWidth &&
        walkers::WhollyInside(BoundsFor(view), f, x, y)) {
        walkers::RawUnclipped(f, view, x, y, CopyOp{});
        return;
    }
    DrawGlyphApart(animation, view, x, y, frame);
}

void DrawGlyphDimmed(Animation& animation, const SurfaceView& view, std::int32_t x,
                     std::int32_t y, std::int32_t frame, std::int32_t level) {
    animation.currentFrame = frame;
    const std::uint16_t* words = FrameWords(animation, frame);
    if (words == nullptr) return;
    // LLE frames are dimmed run by run rather than read as raw pixels they are not.
    WithLevelOp(level, [&](auto op) { DrawFrame(animation, words, view, x, y, op); });
}

void DrawGlyphRows(Animation& animation, const SurfaceView& view, std::int32_t x, std::int32_t y,
                   std::int32_t frame, std::int32_t level, std::int32_t first, std::int32_t end) {
    if (animation.compressed != 0) {
        DrawGlyphDimmed(animation, view, x, y, frame, level);
        return;
    }
    animation.currentFrame = frame;
    const std::uint16_t* words = FrameWords(animation, frame);
    if (words == nullptr) return;
    first = std::max(first, 0);
    end = std::min(end, animation.height);
    if (first >= end || y > std::numeric_limits<std::int32_t>::max() - first) return;
    const Frame rows{words + static_cast<std::ptrdiff_t>(first) * animation.width, animation.width,
                     end - first};
    const std::int32_t top = y + first;
    WithLevelOp(level, [&](auto op) { DrawRaw(rows, view, x, top, op); });
}

void DrawGlyphBlended(Animation& animation, const SurfaceView& view, std::int32_t x,
                      std::int32_t y, std::int32_t frame, std::int32_t level) {
    animation.currentFrame = frame;
    const std::uint16_t* words = FrameWords(animation, frame);
    if (words == nullptr) return;
    if (animation.compressed != 0 || level < 1 || level > 3) {
        DrawFrame(animation, words, view, x, y, CopyOp{});
        return;
    }
    const Frame f{words, animation.width, animation.height};
    const kernels::DimMasks masks = kernels::MasksFor(ActivePixelFormat);
    switch (level) {
        case 1: DrawBlendedRaw<1>(f, view, x, y, masks); return;
        case 2: DrawBlendedRaw<2>(f, view, x, y, masks); return;
        default: DrawBlendedRaw<3>(f, view, x, y, masks); return;
    }
}

void DrawPicture(const Picture& picture, const SurfaceView& view, std::int32_t x,
                 std::int32_t y) {
    if (picture.pixels == nullptr || picture.width <= 0 || picture.height <= 0) return;
    const Frame f{picture.pixels, picture.width, picture.height};
    if (picture.compressed != 0) {
        DrawLle(f, view, x, y, CopyOp{});
        return;
    }
    if (picture.hasMap != 0 && picture.map != nullptr) {
        DrawMappedPicture(picture, view, x, y);
        return;
    }
    DrawRaw(f, view, x, y, CopyOp{});
}

}  // namespace vorlix
