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

template <class KeepGoing>
void MarkStream(RainGrid& grid, const RainStream& stream, KeepGoing& keepGoing) {
    const std::int32_t length = stream.Length;
    for (std::int32_t j = 0; stream.HeadRow - j >= 0 && j < length && keepGoing(); ++j) {
        const std::int32_t row = stream.HeadRow - j;
        if (row >= grid.Rows) continue;
        grid.Cells[row * grid.Columns + stream.Column].Mode = StreamCellMode(length, j);
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
    for (std::int32_t s = 0; s < grid.StreamCount && keepGoing(); ++s) {
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

template <class KeepGoing, class DrawCell>
void DrawAndAgeCells(RainGrid& grid, KeepGoing keepGoing, DrawCell drawCell) {
    const std::int32_t lowest = grid.Rows - 1;
    const std::int32_t highlightRows = (2 * grid.Rows) / 3;
    std::int32_t y = lowest * grid.CellHeight - RowLift;
    for (std::int32_t r = lowest; r >= 0; --r, y -= grid.CellHeight) {
        if (!keepGoing()) return;
        GlyphCell* row = grid.Cells + r * grid.Columns;
        const bool mayHighlight = r < highlightRows;
        std::int32_t x = 0;
        for (std::int32_t c = 0; c < grid.Columns; ++c, x += grid.CellWidth) {
            if (!keepGoing()) return;
            GlyphCell& cell = row[c];
            drawCell(x, y, cell.Glyph, cell.Mode);
            if (r < lowest) rain_detail::MoveHighlightDown(cell, row[c + grid.Columns]);
            rain_detail::AgeCell(cell, mayHighlight, grid.HighlightPercent);
            cell.Mode = DrawBlank;
        }
    }
}

}  // namespace vorlix
