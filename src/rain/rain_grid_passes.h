#pragma once
// The two per-frame passes over a RainGrid. Templates so the keep-going test and the cell
// drawing inline into the loops: both run for every cell of every frame.
#include "rain/rain_grid.h"
#include "rain/random.h"

namespace vorlix {

namespace rain_detail {

inline std::uint8_t StreamCellMode(std::int32_t length, std::int32_t j) {
    // The last three cells fade: half, quarter, eighth.
    const std::int32_t left = length - j;
    return static_cast<std::uint8_t>(left > DrawFull ? DrawFull : left);
}

inline void RestartStream(RainGrid& grid, RainStream& stream) {
    stream.HeadRow = -1 - Random() % 5;
    stream.Length = static_cast<std::uint8_t>(10 + Random() % 35);
    stream.Column = static_cast<std::uint16_t>(Random() % grid.Columns);
}

// Marks j = 0, 1, ... while HeadRow - j >= 0, j < Length and keepGoing() holds, tested before
// each j; rows below the grid are tested for but not marked. The bounds are worked out once,
// so each loop does nothing per cell but the test and the store.
template <class KeepGoing>
void MarkStream(RainGrid& grid, const RainStream& stream, KeepGoing& keepGoing) {
    const std::int32_t length = stream.Length;
    const std::int32_t headRow = stream.HeadRow;
    const std::int32_t columns = grid.Columns;
    GlyphCell* const cells = grid.Cells;
    const std::int32_t end = headRow + 1 < length ? headRow + 1 : length;
    const std::int32_t belowGrid = headRow - grid.Rows + 1;  // cells of the stream below it
    const std::int32_t firstInside = belowGrid < 0 ? 0 : (belowGrid < end ? belowGrid : end);
    const std::int32_t firstFading = length - 3 < end ? length - 3 : end;
    std::int32_t j = 0;
    for (; j < firstInside; ++j) {
        if (!keepGoing()) return;
    }
    std::int32_t at = (headRow - j) * columns + stream.Column;
    for (; j < firstFading; ++j, at -= columns) {
        if (!keepGoing()) return;
        cells[at].Mode = DrawFull;
    }
    for (; j < end; ++j, at -= columns) {
        if (!keepGoing()) return;
        cells[at].Mode = StreamCellMode(length, j);
    }
}

inline void MoveHighlightDown(GlyphCell& cell, GlyphCell& below) {
    if (cell.Glyph >= GlyphShapes) return;
    cell.Glyph = static_cast<std::uint8_t>(cell.Glyph + GlyphShapes);
    if (below.Glyph >= GlyphShapes)
        below.Glyph = static_cast<std::uint8_t>(below.Glyph - GlyphShapes);
}

inline void AgeCell(GlyphCell& cell, bool mayHighlight, std::uint32_t highlightPercent) {
    cell.Age = static_cast<std::uint8_t>(cell.Age + 1);
    if (cell.Age <= cell.ChangeDelay) return;
    const std::uint32_t chance = static_cast<std::uint32_t>(Random() % 100);
    if (chance < highlightPercent && mayHighlight) {
        cell.Glyph = static_cast<std::uint8_t>(Random() % GlyphShapes);
    } else {
        cell.Glyph = static_cast<std::uint8_t>(GlyphShapes + Random() % GlyphShapes);
    }
    cell.Age = 0;
    cell.ChangeDelay = static_cast<std::uint8_t>(Random() % 80);
}

}  // namespace rain_detail

template <class KeepGoing>
void AdvanceStreams(RainGrid& grid, KeepGoing keepGoing) {
    const std::int32_t streams = grid.StreamCount;
    for (std::int32_t s = 0; s < streams && keepGoing(); ++s) {
        RainStream& stream = grid.Streams[s];
        if (stream.StepToggle == 1) {
            stream.StepToggle = 0;
            ++stream.HeadRow;
        } else {
            stream.StepToggle = 1;
        }
        if (stream.HeadRow - stream.Length >= grid.Rows) {
            rain_detail::RestartStream(grid, stream);
            continue;
        }
        if (stream.HeadRow >= 0) rain_detail::MarkStream(grid, stream, keepGoing);
    }
}

// Returns the drawer, as std::for_each does: one that keeps counts by value keeps them in
// registers through the pass (the cells' byte stores may alias anything in memory), and the
// caller reads them afterwards. The grid's fields are read once for the same reason.
template <class KeepGoing, class DrawCell>
DrawCell DrawAndAgeCells(RainGrid& grid, KeepGoing keepGoing, DrawCell drawCell) {
    const std::int32_t columns = grid.Columns;
    const std::int32_t cellWidth = grid.CellWidth;
    const std::int32_t cellHeight = grid.CellHeight;
    const std::uint32_t highlightPercent = grid.HighlightPercent;
    GlyphCell* const cells = grid.Cells;
    const std::int32_t lowest = grid.Rows - 1;
    const std::int32_t highlightRows = (2 * grid.Rows) / 3;
    std::int32_t y = lowest * cellHeight - RowLift;
    for (std::int32_t r = lowest; r >= 0; --r, y -= cellHeight) {
        if (!keepGoing()) return drawCell;
        GlyphCell* row = cells + r * columns;
        const bool mayHighlight = r < highlightRows;
        std::int32_t x = 0;
        for (std::int32_t c = 0; c < columns; ++c, x += cellWidth) {
            if (!keepGoing()) return drawCell;
            GlyphCell& cell = row[c];
            drawCell(x, y, cell.Glyph, cell.Mode);
            if (r < lowest) rain_detail::MoveHighlightDown(cell, row[c + columns]);
            rain_detail::AgeCell(cell, mayHighlight, highlightPercent);
            cell.Mode = DrawBlank;
        }
    }
    return drawCell;
}

}  // namespace vorlix
