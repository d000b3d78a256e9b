#pragma once
// One frame of rain: the stream pass, then the draw-and-age pass. With a cell record, a cell is
// blitted only when the buffer drawn into does not already show its look, and the cells whose
// look differs from the frame on the screen are gathered as row spans for the present step;
// of both, only the pixel rows where the old look or the new one has ink.
// The passes, their order and their random draws are the same either way.
#include <cstdint>

#include "glyphs/animation.h"
#include "glyphs/surface_view.h"
#include "glyphs/wide_glyphs.h"
#include "platform/display_device.h"
#include "rain/cell_drawing.h"
#include "rain/cell_record.h"
#include "rain/rain_grid_passes.h"

namespace vorlix {

namespace frame_detail {

// Appends the changed rows of a cell to the changed area, joined to the span before it when
// they share a row of cells and at most one unchanged cell lies between them (the span then
// covers the rows of both). Cut to the buffer.
class ChangeCollector {
public:
    ChangeCollector(platform::ChangedArea& area, std::int32_t width, std::int32_t height,
                    std::int32_t cellWidth)
        : area_(area), width_(width), height_(height), cellWidth_(cellWidth) {}

    // The cell at (x, y); rows are counted from its top.
    void Add(std::int32_t x, std::int32_t y, const InkRows& rows) {
        const std::int32_t top = y + rows.top < 0 ? 0 : y + rows.top;
        const std::int32_t bottom = y + rows.bottom > height_ ? height_ : y + rows.bottom;
        const std::int32_t right = x + cellWidth_ > width_ ? width_ : x + cellWidth_;
        if (area_.whole || bottom <= top || right <= x) return;
        if (area_.count > 0 && y == lastY_) {
            ScreenRect& last = area_.rects[area_.count - 1];
            if (x >= last.right && x - last.right <= cellWidth_) {
                last.right = right;
                last.top = top < last.top ? top : last.top;
                last.bottom = bottom > last.bottom ? bottom : last.bottom;
                return;
            }
        }
        if (area_.count == platform::MaxChangedRects) {
            area_.whole = true;
            return;
        }
        area_.rects[area_.count++] = ScreenRect{x, top, right, bottom};
        lastY_ = y;
    }

private:
    platform::ChangedArea& area_;
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t cellWidth_;
    std::int32_t lastY_ = 0;
};

// Cells listed by a frame's pass, in the pass's order (up the rows, left to right).
struct CellList {
    const std::int32_t* cells;
    std::int32_t count;
};

// Notes each cell's look as the draw-and-age pass hands it over, and lists the cells whose
// look the buffer drawn into lacks, and those the screen lacks. Every cell is written to both
// lists; a count moves past it only when it differs, so the lists are gathered without a
// branch: which cells differ follows no pattern. Held by value through the pass.
class LookLister {
public:
    LookLister(std::uint16_t* looks, const std::uint16_t* drawn, const std::uint16_t* shown,
               std::int32_t* toDraw, std::int32_t* toShow, std::int32_t columns,
               std::int32_t cells)
        : looks_(looks), drawn_(drawn), shown_(shown), toDraw_(toDraw), toShow_(toShow),
          columns_(columns), rowStart_(cells) {}

    // Cells come up the rows, left to right.
    void operator()(std::int32_t x, std::int32_t, std::uint8_t glyph, std::uint8_t mode) {
        if (x == 0) {
            rowStart_ -= columns_;
            at_ = rowStart_;
        } else {
            ++at_;
        }
        const std::uint16_t key = LookKeyOf(glyph, mode);
        looks_[at_] = key;
        toDraw_[drawCount_] = at_;
        drawCount_ += key != drawn_[at_];
        toShow_[showCount_] = at_;
        showCount_ += key != shown_[at_];
        ++noted_;
    }

    CellList ToDraw() const { return {toDraw_, drawCount_}; }
    CellList ToShow() const { return {toShow_, showCount_}; }
    std::int32_t Noted() const { return noted_; }

private:
    std::uint16_t* looks_;
    const std::uint16_t* drawn_;
    const std::uint16_t* shown_;
    std::int32_t* toDraw_;
    std::int32_t* toShow_;
    std::int32_t columns_;
    std::int32_t rowStart_;
    std::int32_t at_ = 0;
    std::int32_t drawCount_ = 0;
    std::int32_t showCount_ = 0;
    std::int32_t noted_ = 0;
};

// Draws looks into the buffer's 16-bit pixels with the blitters.
struct NarrowPainter {
    Animation& glyphs;
    const SurfaceView& view;

    std::int32_t Width() const { return view.width; }  // the picture's
    std::int32_t Height() const { return view.height; }
    void Cell(std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) const {
        DrawRainCell(glyphs, view, x, y, glyph, mode);
    }
    void Rows(std::int32_t x, std::int32_t y, const CellLook& look, std::int32_t first,
              std::int32_t end) const {
        DrawCellLookRows(glyphs, view, x, y, look, first, end);
    }
};

// Draws looks into the screen's own 32-bit pixels from the widened glyph set, at its zoom.
struct WidePainter {
    const WideGlyphs& glyphs;
    const WideView& view;  // the picture at the glyphs' zoom

    std::int32_t Width() const { return view.width / glyphs.Zoom(); }  // the picture's
    std::int32_t Height() const { return view.height / glyphs.Zoom(); }
    void Cell(std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) const {
        const CellLook look = LookOf(glyph, mode);
        DrawWideGlyphRows(glyphs, view, x, y, look.frame, look.dimLevel, 0, glyphs.Height());
    }
    void Rows(std::int32_t x, std::int32_t y, const CellLook& look, std::int32_t first,
              std::int32_t end) const {
        DrawWideGlyphRows(glyphs, view, x, y, look.frame, look.dimLevel, first, end);
    }
};

// Walks a list with each cell's position on the surface.
template <class Visit>
void ForEachListed(const RainGrid& grid, const CellList& list, Visit visit) {
    const std::int32_t columns = grid.Columns;
    const std::int32_t cellWidth = grid.CellWidth;
    const std::int32_t cellHeight = grid.CellHeight;
    std::int32_t rowStart = (grid.Rows - 1) * columns;
    std::int32_t y = (grid.Rows - 1) * cellHeight - RowLift;
    for (std::int32_t i = 0; i < list.count; ++i) {
        const std::int32_t at = list.cells[i];
        for (; at < rowStart; rowStart -= columns) y -= cellHeight;
        visit(at, (at - rowStart) * cellWidth, y);
    }
}

// Draws the listed cells: of a cell the buffer shows a known look in, only the rows where
// the two looks may differ. With changes, also adds those rows to them: where the buffer drawn
// into is the one on the screen, what it lacks is what the screen lacks.
template <class Painter>
void DrawListed(const RainGrid& grid, const Painter& painter, const CellList& list,
                const std::uint16_t* looks, std::uint16_t* drawn, const CellRecord& record,
                ChangeCollector* changes = nullptr) {
    ForEachListed(grid, list, [&](std::int32_t at, std::int32_t x, std::int32_t y) {
        const InkRows rows = record.RowsBetween(drawn[at], looks[at]);
        if (changes != nullptr) changes->Add(x, y, rows);
        painter.Rows(x, y, LookOfKey(looks[at]), rows.top, rows.bottom);
        drawn[at] = looks[at];
    });
}

// Adds the rows of each listed cell where the screen's look and the frame's may differ.
inline void CollectListed(const RainGrid& grid, const CellList& list, const std::uint16_t* looks,
                          const std::uint16_t* shown, const CellRecord& record,
                          ChangeCollector& changes) {
    ForEachListed(grid, list, [&](std::int32_t at, std::int32_t x, std::int32_t y) {
        changes.Add(x, y, record.RowsBetween(shown[at], looks[at]));
    });
}

// The frame drawn with the painter into its view.
template <class KeepGoing, class Painter>
const platform::ChangedArea* DrawRainFrameWith(RainGrid& grid, Animation& glyphs,
                                               const Painter& painter, CellRecord* record,
                                               const FrameBuffers& buffers,
                                               KeepGoing keepGoing) {
    AdvanceStreams(grid, keepGoing);
    const std::int32_t cells = grid.Columns * grid.Rows;
    if (record == nullptr || !record->Track(cells, glyphs, painter.view, buffers)) {
        DrawAndAgeCells(grid, keepGoing,
                        [&](std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) {
                            painter.Cell(x, y, glyph, mode);
                        });
        return nullptr;
    }
    std::uint16_t* looks = record->FrameLooks();
    std::uint16_t* drawn = record->Looks(buffers.drawn);
    const std::uint16_t* shown = record->Looks(buffers.shown);
    const LookLister lister =
        DrawAndAgeCells(grid, keepGoing,
                        LookLister(looks, drawn, shown, record->ToDraw(), record->ToShow(),
                                   grid.Columns, cells));
    if (lister.Noted() != cells) {
        record->Changes().whole = true;
        return &record->Changes();
    }
    ChangeCollector changes(record->Changes(), painter.Width(), painter.Height(), grid.CellWidth);
    if (drawn == shown) {
        // One buffer: the cells to draw are the cells the screen lacks, one walk for both.
        DrawListed(grid, painter, lister.ToDraw(), looks, drawn, *record, &changes);
        return &record->Changes();
    }
    CollectListed(grid, lister.ToShow(), looks, shown, *record, changes);
    DrawListed(grid, painter, lister.ToDraw(), looks, drawn, *record);
    return &record->Changes();
}

}  // namespace frame_detail

// Returns what changed on the screen, or null for everything. The pixels are the same either
// way: cells do not overlap, so drawing the changed ones after the passes gives what drawing
// each during the pass gives. A pass stopped early leaves the buffer as it was.
template <class KeepGoing>
const platform::ChangedArea* DrawRainFrame(RainGrid& grid, Animation& glyphs,
                                           const SurfaceView& view, CellRecord* record,
                                           const FrameBuffers& buffers, KeepGoing keepGoing) {
    return frame_detail::DrawRainFrameWith(grid, glyphs, frame_detail::NarrowPainter{glyphs, view},
                                           record, buffers, keepGoing);
}

// The same frame in the screen's own 32-bit pixels, from glyphs widened from that set.
template <class KeepGoing>
const platform::ChangedArea* DrawRainFrame(RainGrid& grid, Animation& glyphs,
                                           const WideGlyphs& wide, const WideView& view,
                                           CellRecord* record, const FrameBuffers& buffers,
                                           KeepGoing keepGoing) {
    return frame_detail::DrawRainFrameWith(grid, glyphs, frame_detail::WidePainter{wide, view},
                                           record, buffers, keepGoing);
}

}  // namespace vorlix
