#pragma once
// 8-bit RGB or RGBA images read from and written to PNG files through libpng, with one
// optional text chunk for the tool's own metadata.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlix::glyphtool {

// Caps what a sheet may decode to (256 MB of RGBA), whatever its header claims.
constexpr std::size_t MaxImagePixels = std::size_t{64} << 20;

struct Image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool alpha = false;               // RGBA when set, else RGB
    std::vector<std::uint8_t> pixels;  // rows top first, 3 or 4 bytes per pixel
    std::string metadataKey;           // one text chunk; empty key: none
    std::string metadata;

    std::size_t Channels() const { return alpha ? 4 : 3; }
};

// Reads any PNG (palette, grey, 16-bit, interlaced) as 8-bit RGBA; a file without an alpha
// channel reads as opaque. Picks up the text chunk named metadataKey if present.
bool ReadPngImage(const std::string& path, const std::string& metadataKey, Image& image,
                  std::string& error);
// Writes all or nothing; the output carries no time stamp, so equal images give equal bytes.
bool WritePngImage(const std::string& path, const Image& image, std::string& error);

}  // namespace vorlix::glyphtool
