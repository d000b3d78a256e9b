#pragma once
// The model behind the picture: a grid of glyph cells and up to 400 streams falling down its
// columns. The passes hand each cell to a drawing operation; they draw no pixels themselves.
#include <cstdint>

namespace vorlix {

constexpr int GlyphShapes = 27;
constexpr std::uint8_t BlankGlyph = 54;
constexpr int MaxStreams = 400;
// The grid's lowest row hangs below the screen; every row is drawn this many pixels higher.
constexpr std::int32_t RowLift = 10;

enum DrawMode : std::uint8_t {
    DrawBlank = 0,
    DrawEighth = 1,
    DrawQuarter = 2,
    DrawHalf = 3,
    DrawFull = 4,
};

struct GlyphCell {
    std::uint8_t Glyph;
    std::uint8_t ChangeDelay;
    std::uint8_t Age;
    std::uint8_t Mode;
};

struct RainStream {
    std::uint16_t Column;  // wide enough for a 3840-pixel display
    std::int32_t HeadRow;
    std::uint8_t Length;
    std::uint8_t StepToggle;
};

struct RainGrid {
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
    std::int32_t CellWidth = 0;
    std::int32_t CellHeight = 0;
    GlyphCell* Cells = nullptr;  // owned by the window procedure
    RainStream Streams[MaxStreams] = {};
    std::int32_t StreamCount = 0;
    std::uint32_t HighlightPercent = 0;
};

// The caller seeds the generator first. Fails only when the cells cannot be allocated.
bool BuildRainGrid(RainGrid& grid, std::int32_t width, std::int32_t height,
                   std::int32_t cellWidth, std::int32_t cellHeight, std::uint32_t streamCount,
                   std::uint32_t highlightPercent);
void FreeRainGrid(RainGrid& grid);

// The per-frame passes; keepGoing() is tested where a pass may stop early, and
// drawCell(x, y, glyph, mode) draws one cell and is returned at the end. Defined in
// rain_grid_passes.h.
template <class KeepGoing>
void AdvanceStreams(RainGrid& grid, KeepGoing keepGoing);
template <class KeepGoing, class DrawCell>
DrawCell DrawAndAgeCells(RainGrid& grid, KeepGoing keepGoing, DrawCell drawCell);

}  // namespace vorlix
