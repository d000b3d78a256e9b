#pragma once
// Before a frame's draw-and-age pass: each cell's look, and which cells the buffer drawn into
// and the screen lack it, as one bit per cell. A cell's glyph and mode when the pass reaches
// it are those it has before the pass (the pass changes only cells it has already passed), so
// this can run ahead of the pass, in bulk, over the cells in memory order.
#include <cstdint>

#include "rain/rain_grid.h"

namespace vorlix {

// Bits are numbered by cell index: cell i is bit i % 64 of word i / 64.
constexpr std::int32_t BitWordsFor(std::int32_t cells) {
    return cells / 64 + (cells % 64 != 0);
}

// looks[i] = LookKeyOf(cells[i]); bit i of toDraw set where looks[i] != drawn[i], of toShow
// where looks[i] != shown[i]. Bits past the last cell are clear.
void ScanLooks(const GlyphCell* cells, std::int32_t count, std::uint16_t* looks,
               const std::uint16_t* drawn, const std::uint16_t* shown, std::uint64_t* toDraw,
               std::uint64_t* toShow);

}  // namespace vorlix
