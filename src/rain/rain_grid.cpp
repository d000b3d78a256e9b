#include "rain/rain_grid.h"

#include <new>

#include "rain/random.h"

namespace vorlix {

namespace {

// Far above any display; keeps the cell count and the pixel positions inside 32 bits.
constexpr std::int64_t MaxCells = 16 * 1024 * 1024;

std::int32_t RandomBelow(std::int32_t n) {
    return Random() % n;
}

void FillCells(RainGrid& grid) {
    const std::int32_t count = grid.Columns * grid.Rows;
    for (std::int32_t i = 0; i < count; ++i) {
        GlyphCell& cell = grid.Cells[i];
        if (RandomBelow(100) < 5) {
            cell.Glyph = static_cast<std::uint8_t>(RandomBelow(GlyphShapes));
        } else {
            cell.Glyph = static_cast<std::uint8_t>(GlyphShapes + RandomBelow(GlyphShapes));
        }
        cell.Mode = DrawBlank;
        cell.Age = 0;
        cell.ChangeDelay = static_cast<std::uint8_t>(RandomBelow(80));
    }
}

void FillStreams(RainGrid& grid) {
    for (std::int32_t s = 0; s < grid.StreamCount; ++s) {
        RainStream& stream = grid.Streams[s];
        stream.HeadRow = RandomBelow(grid.Rows + 30);
        stream.Length = static_cast<std::uint8_t>(10 + RandomBelow(35));
        stream.Column = static_cast<std::uint16_t>(RandomBelow(grid.Columns));
        stream.StepToggle = 0;
    }
}

}  // namespace

bool BuildRainGrid(RainGrid& grid, std::int32_t width, std::int32_t height, std::int32_t cellWidth,
                   std::int32_t cellHeight, std::uint32_t streamCount,
                   std::uint32_t highlightPercent) {
    grid.Cells = nullptr;
    if (width < 0 || height < 0 || cellWidth < 1 || cellHeight < 1) return false;
    const std::int64_t columns = width / cellWidth + 1;
    const std::int64_t rows = height / cellHeight + 2;
    if (columns * rows > MaxCells) return false;
    if (columns * cellWidth > MaxCells || rows * cellHeight > MaxCells) return false;
    GlyphCell* cells = new (std::nothrow) GlyphCell[columns * rows];
    if (cells == nullptr) return false;

    grid.Columns = static_cast<std::int32_t>(columns);
    grid.Rows = static_cast<std::int32_t>(rows);
    grid.CellWidth = cellWidth;
    grid.CellHeight = cellHeight;
    grid.Cells = cells;
    grid.StreamCount =
        static_cast<std::int32_t>(streamCount > MaxStreams ? MaxStreams : streamCount);
    grid.HighlightPercent = highlightPercent;
    FillCells(grid);
    FillStreams(grid);
    return true;
}

void FreeRainGrid(RainGrid& grid) {
    delete[] grid.Cells;
    grid.Cells = nullptr;
}

}  // namespace vorlix
