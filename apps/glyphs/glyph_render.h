#pragma once
// Turns the 27 source shapes into the 55 frames of the default glyph set: frames 0…26 the
// highlighted renderings, 27…53 the normal ones, 54 the blank cell.
#include <cstdint>
#include <string>
#include <vector>

#include "glyph_art.h"
#include "glyph_file.h"

namespace vorlix::glyphtool {

constexpr int GlyphShapeCount = 27;
constexpr int GlyphSetFrames = 2 * GlyphShapeCount + 1;

struct Rgb {
    std::uint8_t r, g, b;
};

// A rendering maps a pixel's intensity (0…255: ink or glow) onto a colour ramp from black
// through `edge` at 128 to `core` at 255.
struct Rendering {
    Rgb edge;
    Rgb core;
};

extern const Rendering HighlightRendering;
extern const Rendering NormalRendering;

// Intensity of every pixel: its own ink, or the halo of its brightest neighbour.
std::vector<std::uint8_t> GlowIntensity(const GlyphShape& shape, int width, int height);
Rgb RampColour(const Rendering& rendering, std::uint8_t intensity);

bool RenderGlyphSet(const GlyphArt& art, GlyphFile& file, std::string& error);

}  // namespace vorlix::glyphtool
