#pragma once
// What a cell puts on the screen for its glyph and draw mode: a glyph frame at a dim level.
#include <cstdint>

#include "rain/rain_grid.h"

namespace vorlix {

struct CellLook {
    std::uint8_t frame;
    std::uint8_t dimLevel;  // 0 full, 1 half, 2 quarter, 3 eighth
};

// Mode 4 draws full; 3, 2 and 1 dim by levels 1, 2 and 3; 0 and any other value draw blank.
inline CellLook LookOf(std::uint8_t glyph, std::uint8_t mode) {
    switch (mode) {
        case DrawFull: return {glyph, 0};
        case DrawHalf:
        case DrawQuarter:
        case DrawEighth: return {glyph, static_cast<std::uint8_t>(DrawFull - mode)};
        default: return {BlankGlyph, 0};
    }
}

// One number per look, so a record of looks compares cells with one test.
inline std::uint16_t LookKey(const CellLook& look) {
    return static_cast<std::uint16_t>((look.frame << 2) | look.dimLevel);
}

}  // namespace vorlix
