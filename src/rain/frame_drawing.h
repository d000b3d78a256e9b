#pragma once
// One frame of rain: the stream pass, then the draw-and-age pass. With a cell record, a cell is
// blitted only when the buffer drawn into does not already show its look, and the cells whose
// look differs from the frame on the screen are gathered as row spans for the present step.
// The passes, their order and their random draws are the same either way.
#include <bit>
#include <cstdint>
#include <cstring>

#include "glyphs/animation.h"
#include "glyphs/surface_view.h"
#include "platform/display_device.h"
#include "rain/cell_drawing.h"
#include "rain/cell_record.h"
#include "rain/rain_grid_passes.h"

namespace vorlix {

namespace frame_detail {

// Appends a cell to the changed area, joined to the span before it when they share a row
// and at most one unchanged cell lies between them. Cut to the buffer.
class ChangeCollector {
public:
    ChangeCollector(platform::ChangedArea& area, const SurfaceView& view, std::int32_t cellWidth,
                    std::int32_t cellHeight)
        : area_(area), view_(view), cellWidth_(cellWidth), cellHeight_(cellHeight) {}

    void Add(std::int32_t x, std::int32_t y) {
        const std::int32_t top = y < 0 ? 0 : y;
        const std::int32_t bottom = y + cellHeight_ > view_.height ? view_.height : y + cellHeight_;
        const std::int32_t right = x + cellWidth_ > view_.width ? view_.width : x + cellWidth_;
        if (area_.whole || bottom <= top || right <= x) return;
        if (area_.count > 0) {
            ScreenRect& last = area_.rects[area_.count - 1];
            if (last.top == top && x >= last.right && x - last.right <= cellWidth_) {
                last.right = right;
                return;
            }
        }
        if (area_.count == platform::MaxChangedRects) {
            area_.whole = true;
            return;
        }
        area_.rects[area_.count++] = ScreenRect{x, top, right, bottom};
    }

private:
    platform::ChangedArea& area_;
    const SurfaceView& view_;
    std::int32_t cellWidth_;
    std::int32_t cellHeight_;
};

// The top bit of each 16-bit lane of x that is not zero.
inline std::uint64_t NonZeroLanes(std::uint64_t x) {
    constexpr std::uint64_t Low = 0x7FFF7FFF7FFF7FFFull;
    return (((x & Low) + Low) | x) & ~Low;
}

// After the passes: each cell whose look differs from the buffer's is drawn, and each whose
// look differs from the screen's joins the changes. Four cells are compared at a time and only
// the differing ones are visited, in order: most of a frame is as it was, and which cells
// differ follows no pattern a branch could guess.
inline void DrawChangedCells(const RainGrid& grid, Animation& glyphs, const SurfaceView& view,
                             const std::uint16_t* looks, std::uint16_t* drawn,
                             const std::uint16_t* shown, ChangeCollector& changes) {
    const auto cell = [&](std::int32_t at, std::int32_t x, std::int32_t y, bool onScreen,
                          bool inBuffer) {
        const std::uint16_t key = looks[at];
        if (onScreen) changes.Add(x, y);
        if (!inBuffer) return;
        DrawCellLook(glyphs, view, x, y, LookOfKey(key));
        drawn[at] = key;
    };
    const std::int32_t columns = grid.Columns;
    const std::int32_t width = grid.CellWidth;
    std::int32_t y = -RowLift;
    for (std::int32_t r = 0; r < grid.Rows; ++r, y += grid.CellHeight) {
        const std::int32_t first = r * columns;
        std::int32_t c = 0;
        for (; c + 4 <= columns; c += 4) {
            std::uint64_t now, before, onScreen;
            std::memcpy(&now, looks + first + c, 8);
            std::memcpy(&before, drawn + first + c, 8);
            std::memcpy(&onScreen, shown + first + c, 8);
            const std::uint64_t inBuffer = NonZeroLanes(now ^ before);
            const std::uint64_t onScreenLanes = NonZeroLanes(now ^ onScreen);
            for (std::uint64_t lanes = inBuffer | onScreenLanes; lanes != 0; lanes &= lanes - 1) {
                const int bit = std::countr_zero(lanes);
                const std::uint64_t lane = std::uint64_t{1} << bit;
                const std::int32_t j = c + bit / 16;
                cell(first + j, j * width, y, (onScreenLanes & lane) != 0, (inBuffer & lane) != 0);
            }
        }
        for (; c < columns; ++c) {
            const std::int32_t at = first + c;
            cell(at, c * width, y, looks[at] != shown[at], looks[at] != drawn[at]);
        }
    }
}

}  // namespace frame_detail

// Returns what changed on the screen, or null for everything. The pixels are the same either
// way: cells do not overlap, so drawing the changed ones after the passes gives what drawing
// each during the pass gives. A pass stopped early leaves the buffer as it was.
template <class KeepGoing>
const platform::ChangedArea* DrawRainFrame(RainGrid& grid, Animation& glyphs,
                                           const SurfaceView& view, CellRecord* record,
                                           const FrameBuffers& buffers, KeepGoing keepGoing) {
    AdvanceStreams(grid, keepGoing);
    const std::int32_t cells = grid.Columns * grid.Rows;
    if (record == nullptr || !record->Track(cells, glyphs, view, buffers)) {
        DrawAndAgeCells(grid, keepGoing,
                        [&](std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) {
                            DrawRainCell(glyphs, view, x, y, glyph, mode);
                        });
        return nullptr;
    }
    std::uint16_t* looks = record->FrameLooks();
    std::int32_t at = 0;  // the cell's index; the pass goes up the rows, left to right
    std::int32_t visited = 0;
    DrawAndAgeCells(grid, keepGoing,
                    [&](std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) {
                        at = x == 0 ? (y + RowLift) / grid.CellHeight * grid.Columns : at + 1;
                        looks[at] = LookKey(LookOf(glyph, mode));
                        ++visited;
                    });
    if (visited != cells) {
        record->Changes().whole = true;
        return &record->Changes();
    }
    frame_detail::ChangeCollector changes(record->Changes(), view, grid.CellWidth,
                                          grid.CellHeight);
    frame_detail::DrawChangedCells(grid, glyphs, view, looks, record->Looks(buffers.drawn),
                                   record->Looks(buffers.shown), changes);
    return &record->Changes();
}

}  // namespace vorlix
