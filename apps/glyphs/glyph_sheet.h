#pragma once
// The contact sheet: every frame of a glyph file as one cell of a grid, left to right and top
// to bottom, with no gaps. A sheet written by the tool carries a text chunk with the frame
// size, count, scale and header bytes, so reading it back gives the same glyph file.
#include <string>

#include "glyph_file.h"
#include "png_image.h"

namespace vorlix::glyphtool {

extern const char* const SheetMetadataKey;

constexpr int MaxSheetScale = 16;

struct SheetLayout {
    int columns = 27;  // one row of highlighted shapes, one of normal shapes, then the blank
    int scale = 1;     // every pixel becomes a scale × scale block
};

// What from-png is told; zero means "take it from the sheet's metadata".
struct SheetRequest {
    int cellWidth = 0;
    int cellHeight = 0;
    int frames = 0;  // with neither option nor metadata: every cell of the grid
    int scale = 0;   // with neither option nor metadata: 1
    bool maps = false;  // take per-frame maps from the alpha channel
};

// Maps become the alpha channel; files without maps give an RGB sheet. Cells past the last
// frame stay black (transparent when there are maps); the metadata holds the frame count.
bool BuildSheet(const GlyphFile& file, const SheetLayout& layout, Image& sheet,
                std::string& error);
// Frame pixels are the top-left pixels of their blocks. Without maps, alpha is composited
// over black, since frames are drawn opaque.
bool SplitSheet(const Image& sheet, const SheetRequest& request, GlyphFile& file,
                std::string& error);

}  // namespace vorlix::glyphtool
