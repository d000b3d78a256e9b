#pragma once
// How the draw thread draws one cell of the grid: the cell's glyph at the brightness its mode
// asks for, or the blank glyph where no stream covers it.
#include <cstdint>

#include "glyphs/animation.h"
#include "glyphs/blitters.h"
#include "glyphs/surface_view.h"
#include "rain/cell_look.h"

namespace vorlix {

inline void DrawCellLook(Animation& glyphs, const SurfaceView& view, std::int32_t x,
                         std::int32_t y, const CellLook& look) {
    if (look.dimLevel == 0) {
        DrawGlyph(glyphs, view, x, y, look.frame);
        return;
    }
    DrawGlyphDimmed(glyphs, view, x, y, look.frame, look.dimLevel);
}

// Only rows first ... end - 1 of the look: outside them the buffer already shows it.
inline void DrawCellLookRows(Animation& glyphs, const SurfaceView& view, std::int32_t x,
                             std::int32_t y, const CellLook& look, std::int32_t first,
                             std::int32_t end) {
    DrawGlyphRows(glyphs, view, x, y, look.frame, look.dimLevel, first, end);
}

inline void DrawRainCell(Animation& glyphs, const SurfaceView& view, std::int32_t x, std::int32_t y,
                         std::uint8_t glyph, std::uint8_t mode) {
    DrawCellLook(glyphs, view, x, y, LookOf(glyph, mode));
}

}  // namespace vorlix
