#pragma once
// What a cell puts on the screen for its glyph and draw mode: a glyph frame at a dim level.
#include <array>
#include <cstddef>
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

namespace look_detail {

// Per mode, what LookKey(LookOf(glyph, mode)) keeps of the shifted glyph and what it adds:
// all of it and the dim level, or none of it and the blank glyph's key.
struct KeyParts {
    std::uint16_t glyphMask;
    std::uint16_t add;
};

constexpr std::array<KeyParts, 256> KeyPartsOfModes() {
    std::array<KeyParts, 256> parts{};
    for (std::size_t mode = 0; mode < parts.size(); ++mode) {
        const std::uint8_t level = ModeLevels[mode];
        parts[mode] = level == Blank ? KeyParts{0, static_cast<std::uint16_t>(BlankGlyph << 2)}
                                     : KeyParts{0xFFFF, level};
    }
    return parts;
}

inline constexpr std::array<KeyParts, 256> ModeKeyParts = KeyPartsOfModes();

}  // namespace look_detail

// LookKey(LookOf(glyph, mode)) without a branch: whether a cell is blank follows no pattern.
inline std::uint16_t LookKeyOf(std::uint8_t glyph, std::uint8_t mode) {
    const look_detail::KeyParts parts = look_detail::ModeKeyParts[mode];
    return static_cast<std::uint16_t>(((glyph << 2) & parts.glyphMask) | parts.add);
}

inline CellLook LookOfKey(std::uint16_t key) {
    return {static_cast<std::uint8_t>(key >> 2), static_cast<std::uint8_t>(key & 3)};
}

}  // namespace vorlix
