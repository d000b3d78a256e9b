#pragma once
// A 256-entry palette for the rain: every colour the blitters write from the loaded glyphs
// (each glyph at full brightness and at the three dim levels), exactly when there are
// at most 255 of them, else cut down by weighted median cut. Index 255 is left for
// transparency. A lookup table maps any 16-bit pixel to its nearest entry.
#include <array>
#include <cstdint>
#include <vector>

#include "glyphs/animation.h"
#include "glyphs/pixel_format.h"

namespace vorlix::record {

constexpr int PaletteColours = 255;
constexpr std::uint8_t TransparentIndex = 255;

struct RainPalette {
    std::array<std::uint8_t, 256 * 3> rgb{};  // red, green, blue per entry
    int used = 0;
    bool exact = false;
    std::vector<std::uint8_t> lookup;  // 65536 entries: 16-bit pixel to palette index
};

RainPalette BuildRainPalette(Animation& glyphs, PixelFormat format);
void PixelToRgb(std::uint16_t pixel, PixelFormat format, std::uint8_t* rgb);

}  // namespace vorlix::record
