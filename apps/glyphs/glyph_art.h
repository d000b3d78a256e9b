#pragma once
// The glyph source art: text, one character per pixel, reviewed and edited by hand.
//
//   ; a comment             lines starting with ';' and blank lines are skipped
//   cell 12 16              frame width and height, once, before the first glyph
//   glyph <name>            then exactly `height` rows of `width` characters:
//   ...#+...                '.' background, '+' half ink (soft edges), '#' full ink
#include <cstdint>
#include <string>
#include <vector>

namespace vorlix::glyphtool {

constexpr std::uint8_t InkNone = 0;
constexpr std::uint8_t InkHalf = 128;
constexpr std::uint8_t InkFull = 255;

struct GlyphShape {
    std::string name;
    std::vector<std::uint8_t> ink;  // width × height coverage, row by row, top row first
};

struct GlyphArt {
    int width = 0;
    int height = 0;
    std::vector<GlyphShape> shapes;
};

// Parses the art; errors name the source and line.
bool ParseGlyphArt(const std::string& text, const std::string& sourceName, GlyphArt& art,
                   std::string& error);
bool ReadGlyphArt(const std::string& path, GlyphArt& art, std::string& error);

}  // namespace vorlix::glyphtool
