#pragma once
// Glyph and picture blitters: write 16-bit pixels straight into a surface's memory, clipped
// to ClipRect.
#include <cstdint>

#include "glyphs/animation.h"
#include "glyphs/pixel_format.h"
#include "glyphs/surface_view.h"

namespace vorlix {

// The area the blitters may write; right and bottom are exclusive.
struct ClipRectangle {
    std::uint16_t left = 0;
    std::uint16_t top = 0;
    std::uint16_t right = 0;
    std::uint16_t bottom = 0;
};
extern ClipRectangle ClipRect;

void DrawGlyph(Animation& animation, const SurfaceView& view, std::int32_t x, std::int32_t y,
               std::int32_t frame);
void DrawGlyphDimmed(Animation& animation, const SurfaceView& view, std::int32_t x,
                     std::int32_t y, std::int32_t frame, std::int32_t level);
// Rows first ... end - 1 of a glyph at a dim level (0 full, as DrawGlyphDimmed), each where
// drawing the whole glyph puts it. An LLE glyph is drawn whole.
void DrawGlyphRows(Animation& animation, const SurfaceView& view, std::int32_t x, std::int32_t y,
                   std::int32_t frame, std::int32_t level, std::int32_t first, std::int32_t end);
void DrawGlyphBlended(Animation& animation, const SurfaceView& view, std::int32_t x,
                      std::int32_t y, std::int32_t frame, std::int32_t level);
void DrawPicture(const Picture& picture, const SurfaceView& view, std::int32_t x,
                 std::int32_t y);

// Row operations: each writes exactly count destination pixels.
void CopyPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count);
void DimPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count,
               std::int32_t level, PixelFormat format);
void BlendPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count,
                 std::int32_t level, PixelFormat format);

}  // namespace vorlix
