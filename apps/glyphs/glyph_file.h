#pragma once
// The glyph animation file (glyph2.ani) as the tool sees it: a 12-byte header and frames of
// 24-bit blue-green-red rows, top row first, each optionally followed by a byte map.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlix::glyphtool {

constexpr std::uint8_t GlyphFileVersion = 2;
constexpr std::size_t GlyphHeaderSize = 12;
// The loader's capacities: frame slots and scratch pixels.
constexpr std::size_t MaxGlyphFrames = 100;
constexpr std::size_t MaxFramePixels = 480000;

struct GlyphFrame {
    std::vector<std::uint8_t> bgr;  // width × height × 3
    std::vector<std::uint8_t> map;  // width × height, only when the file has maps
};

struct GlyphFile {
    // Header bytes the loader never examines; ours say "VRLX" and 0.
    std::array<std::uint8_t, 4> tag{'V', 'R', 'L', 'X'};
    std::uint8_t tail = 0;
    std::uint8_t mapFlag = 0;  // any value but 0 means every frame carries a map
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<GlyphFrame> frames;

    bool HasMaps() const { return mapFlag != 0; }
    std::size_t FramePixels() const { return std::size_t{width} * height; }
};

// Checks a frame size and count against what the loader accepts; fills error if not.
bool CheckGlyphGeometry(std::size_t width, std::size_t height, std::size_t frames,
                        std::string& error);

// Parses a whole file image. Trailing bytes after the last frame are ignored, as the loader
// does; a short file, a wrong version or an oversized header is an error.
bool ParseGlyphFile(const std::vector<std::uint8_t>& bytes, GlyphFile& file, std::string& error);
// Serialises after checking that every frame has the size the header promises.
bool SerializeGlyphFile(const GlyphFile& file, std::vector<std::uint8_t>& bytes,
                        std::string& error);

bool ReadGlyphFile(const std::string& path, GlyphFile& file, std::string& error);
bool WriteGlyphFile(const std::string& path, const GlyphFile& file, std::string& error);

}  // namespace vorlix::glyphtool
