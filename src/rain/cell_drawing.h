#pragma once
// How the draw thread draws one cell of the grid: the cell's glyph at the brightness its mode
// asks for, or the blank glyph where no stream covers it.
#include <cstdint>

#include "glyphs/animation.h"
#include "glyphs/blitters.h"
#include "glyphs/surface_view.h"
#include "rain/rain_grid.h"

namespace vorlix {

inline void DrawRainCell(Animation& glyphs, const SurfaceView& view, std::int32_t x, std::int32_t y,
                         std::uint8_t glyph, std::uint8_t mode) {
    switch (mode) {
        case DrawFull:
            DrawGlyph(glyphs, view, x, y, glyph);
            return;
        case DrawHalf:
        case DrawQuarter:
        case DrawEighth:
            // Dim level 1 halves, 2 quarters, 3 eighths.
            DrawGlyphDimmed(glyphs, view, x, y, glyph, DrawFull - mode);
            return;
        default:
            DrawGlyph(glyphs, view, x, y, BlankGlyph);
            return;
    }
}

}  // namespace vorlix
