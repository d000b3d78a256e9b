#pragma once
// What a cell puts on the screen for its glyph and draw mode: a glyph frame at a dim level.
#include <array>
#include <cstdint>

#include "rain/rain_grid.h"

namespace vorlix {

struct CellLook {
    std::uint8_t frame;
    std::uint8_t dimLevel;  // 0 full, 1 half, 2 quarter, 3 eighth
};

namespace look_detail {

constexpr std::uint8_t Blank = 4;

// The dim level of each mode, Blank for the blank glyph.
constexpr std::array<std::uint8_t, 256> LevelsOfModes() {
    std::array<std::uint8_t, 256> levels{};
    for (auto& level : levels) level = Blank;
    levels[DrawFull] = 0;
    levels[DrawHalf] = 1;
    levels[DrawQuarter] = 2;
    levels[DrawEighth] = 3;
    return levels;
}

inline constexpr std::array<std::uint8_t, 256> ModeLevels = LevelsOfModes();

}  // namespace look_detail

// Mode 4 draws full; 3, 2 and 1 dim by levels 1, 2 and 3; 0 and any other value draw blank.
// A table rather than a switch: modes come in no order a branch could guess.
inline CellLook LookOf(std::uint8_t glyph, std::uint8_t mode) {
    const std::uint8_t level = look_detail::ModeLevels[mode];
    const bool blank = level == look_detail::Blank;
    return {blank ? BlankGlyph : glyph, static_cast<std::uint8_t>(blank ? 0 : level)};
}

// One number per look, so a record of looks compares cells with one test.
inline std::uint16_t LookKey(const CellLook& look) {
    return static_cast<std::uint16_t>((look.frame << 2) | look.dimLevel);
}

inline CellLook LookOfKey(std::uint16_t key) {
    return {static_cast<std::uint8_t>(key >> 2), static_cast<std::uint8_t>(key & 3)};
}

}  // namespace vorlix
