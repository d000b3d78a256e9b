#pragma once
// One frame of rain: the stream pass, then the draw-and-age pass. With a cell record, a cell is
// drawn only when the buffer drawn into does not already show its look, and, for a present
// step that shows only what changed, the cells whose look differs from the frame on the
// screen are gathered as row spans; of both, only the pixel rows where the old look or the
// new one has ink. The passes, their order and their random draws are the same either way.
#include <bit>
#include <cstdint>

#include "glyphs/animation.h"
#include "glyphs/surface_view.h"
#include "glyphs/glyph_images.h"
#include "platform/display_device.h"
#include "rain/cell_drawing.h"
#include "rain/cell_record.h"
#include "rain/look_scan.h"
#include "rain/rain_grid_passes.h"

namespace vorlix {

// What a frame did to the picture on the screen, for the present step: everything there may
// have changed, only the listed areas did, or the present step did not ask.
struct DrawnFrame {
    enum class Changes { All, Listed, NotAsked };
    Changes changes = Changes::All;
    const platform::ChangedArea* listed = nullptr;  // with Listed only

    static DrawnFrame All() { return {Changes::All, nullptr}; }
    static DrawnFrame NotAsked() { return {Changes::NotAsked, nullptr}; }
    // Listed, unless the list overflowed into the whole picture.
    static DrawnFrame Listed(const platform::ChangedArea& area) {
        return area.whole ? All() : DrawnFrame{Changes::Listed, &area};
    }
    // What the present step is given: null for everything.
    const platform::ChangedArea* ForPresent() const {
        return changes == Changes::Listed ? listed : nullptr;
    }
};

namespace frame_detail {

// Appends the changed rows of a cell to the changed area, joined to the span before it when
// they share a row of cells and at most one unchanged cell lies between them (the span then
// covers the rows of both). Cut to the buffer.
class ChangeCollector {
public:
    ChangeCollector(platform::ChangedArea& area, std::int32_t width, std::int32_t height,
                    std::int32_t cellWidth)
        : area_(area), width_(width), height_(height), cellWidth_(cellWidth) {}

    // The cell at (x, y); rows are counted from its top. Cells come left to right along a
    // row of cells. Whether a cell joins the span before it follows no pattern, so both
    // outcomes are worked out and one is kept, without a branch.
    void Add(std::int32_t x, std::int32_t y, const InkRows& rows) {
        const std::int32_t top = y + rows.top < 0 ? 0 : y + rows.top;
        const std::int32_t bottom = y + rows.bottom > height_ ? height_ : y + rows.bottom;
        const std::int32_t right = x + cellWidth_ > width_ ? width_ : x + cellWidth_;
        if (area_.whole || bottom <= top || right <= x) return;
        const std::int32_t count = area_.count;
        const ScreenRect& last = area_.rects[count > 0 ? count - 1 : 0];
        const bool joins =
            count > 0 && y == lastY_ && x >= last.right && x - last.right <= cellWidth_;
        const std::int32_t at = joins ? count - 1 : count;
        if (at == platform::MaxChangedRects) {
            area_.whole = true;
            return;
        }
        const ScreenRect span{joins ? last.left : x, joins && last.top < top ? last.top : top,
                              right, joins && last.bottom > bottom ? last.bottom : bottom};
        area_.rects[at] = span;
        area_.count = at + 1;
        lastY_ = y;
    }

private:
    platform::ChangedArea& area_;
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t cellWidth_;
    std::int32_t lastY_ = 0;
};

// Counts the cells the draw-and-age pass hands over, to tell a pass stopped early.
struct CellCounter {
    std::int32_t noted = 0;
    void operator()(std::int32_t, std::int32_t, std::uint8_t, std::uint8_t) { ++noted; }
};

// Draws looks into the buffer's 16-bit pixels: from the glyphs drawn out at every level where
// the record holds them, many at a time where the batch is usable; else with the blitters.
struct NarrowPainter {
    Animation& glyphs;
    const SurfaceView& view;
    const NarrowGlyphs* images = nullptr;
    GlyphRowBatch* batch = nullptr;

    std::int32_t Width() const { return view.width; }  // the picture's
    std::int32_t Height() const { return view.height; }
    void Cell(std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) const {
        DrawRainCell(glyphs, view, x, y, glyph, mode);
    }
    void Rows(std::int32_t x, std::int32_t y, const CellLook& look, std::int32_t first,
              std::int32_t end) const {
        if (images == nullptr) {
            DrawCellLookRows(glyphs, view, x, y, look, first, end);
            return;
        }
        if (batch != nullptr && batch->Add(x, y, look.frame, look.dimLevel, first, end)) return;
        DrawGlyphImageRows(*images, view, x, y, look.frame, look.dimLevel, first, end);
    }
    void Finish() const {
        if (batch != nullptr) batch->Flush();
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
        DrawGlyphImageRows(glyphs, view, x, y, look.frame, look.dimLevel, 0, glyphs.Height());
    }
    void Rows(std::int32_t x, std::int32_t y, const CellLook& look, std::int32_t first,
              std::int32_t end) const {
        DrawGlyphImageRows(glyphs, view, x, y, look.frame, look.dimLevel, first, end);
    }
    void Finish() const {}
};

// Visits each cell whose bit is set in the pass's order (up the rows, left to right), with
// its position on the surface.
template <class Visit>
void ForEachMarked(const RainGrid& grid, const std::uint64_t* bits, Visit visit) {
    const std::int32_t columns = grid.Columns;
    const std::int32_t cellWidth = grid.CellWidth;
    std::int32_t y = (grid.Rows - 1) * grid.CellHeight - RowLift;
    for (std::int32_t r = grid.Rows - 1; r >= 0; --r, y -= grid.CellHeight) {
        const std::int32_t rowStart = r * columns;
        const std::int32_t rowEnd = rowStart + columns;
        for (std::int32_t word = rowStart / 64; word * 64 < rowEnd; ++word) {
            const std::int32_t base = word * 64;
            std::uint64_t marked = bits[word];
            if (base < rowStart) marked &= ~std::uint64_t{0} << (rowStart - base);
            if (rowEnd - base < 64) marked &= (std::uint64_t{1} << (rowEnd - base)) - 1;
            for (; marked != 0; marked &= marked - 1) {
                const std::int32_t at = base + std::countr_zero(marked);
                visit(at, (at - rowStart) * cellWidth, y);
            }
        }
    }
}

// Draws the cells the buffer lacks: of a cell whose old look is known, only the rows where
// the two looks may differ. With changes, also adds those rows to them: where the buffer drawn
// into is the one on the screen, what it lacks is what the screen lacks.
template <class Painter>
void DrawMarked(const RainGrid& grid, const Painter& painter, CellRecord& record,
                const std::uint16_t* looks, std::uint16_t* drawn,
                ChangeCollector* changes = nullptr) {
    ForEachMarked(grid, record.ToDraw(), [&](std::int32_t at, std::int32_t x, std::int32_t y) {
        const InkRows rows = record.RowsBetween(drawn[at], looks[at]);
        if (changes != nullptr) changes->Add(x, y, rows);
        painter.Rows(x, y, LookOfKey(looks[at]), rows.top, rows.bottom);
        drawn[at] = looks[at];
    });
    painter.Finish();
}

// Adds the rows of each cell the screen lacks where its look and the frame's may differ.
inline void CollectMarked(const RainGrid& grid, CellRecord& record, const std::uint16_t* looks,
                          const std::uint16_t* shown, ChangeCollector& changes) {
    ForEachMarked(grid, record.ToShow(), [&](std::int32_t at, std::int32_t x, std::int32_t y) {
        changes.Add(x, y, record.RowsBetween(shown[at], looks[at]));
    });
}

// The frame drawn with the painter into its view.
template <class KeepGoing, class Painter>
DrawnFrame DrawRainFrameWith(RainGrid& grid, Animation& glyphs, const Painter& painter,
                             CellRecord* record, const FrameBuffers& buffers,
                             KeepGoing keepGoing) {
    const DrawnFrame whole = buffers.changes ? DrawnFrame::All() : DrawnFrame::NotAsked();
    AdvanceStreams(grid, keepGoing);
    const std::int32_t cells = grid.Columns * grid.Rows;
    if (record == nullptr || !record->Track(cells, glyphs, buffers)) {
        DrawAndAgeCells(grid, keepGoing,
                        [&](std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) {
                            painter.Cell(x, y, glyph, mode);
                        });
        return whole;
    }
    std::uint16_t* looks = record->FrameLooks();
    std::uint16_t* drawn = record->Looks(buffers.drawn.buffer);
    const std::uint16_t* shown = record->Looks(buffers.shown.buffer);
    ScanLooks(grid.Cells, cells, looks, drawn, shown, record->ToDraw(), record->ToShow());
    if (DrawAndAgeCells(grid, keepGoing, CellCounter{}).noted != cells) return whole;
    if (!buffers.changes) {
        DrawMarked(grid, painter, *record, looks, drawn);
        return whole;
    }
    ChangeCollector changes(record->Changes(), painter.Width(), painter.Height(), grid.CellWidth);
    if (drawn == shown) {
        // One buffer: the cells to draw are the cells the screen lacks, one walk for both.
        DrawMarked(grid, painter, *record, looks, drawn, &changes);
        return DrawnFrame::Listed(record->Changes());
    }
    CollectMarked(grid, *record, looks, shown, changes);
    DrawMarked(grid, painter, *record, looks, drawn);
    return DrawnFrame::Listed(record->Changes());
}

}  // namespace frame_detail

// Returns what changed on the screen. The pixels are the same however the frame is drawn:
// cells do not overlap, so drawing the changed ones after the passes gives what drawing each
// during the pass gives. A pass stopped early leaves the buffer as it was.
template <class KeepGoing>
DrawnFrame DrawRainFrame(RainGrid& grid, Animation& glyphs, const SurfaceView& view,
                         CellRecord* record, const FrameBuffers& buffers, KeepGoing keepGoing) {
    const NarrowGlyphs* images = record != nullptr ? record->Images(glyphs) : nullptr;
    GlyphRowBatch batch(images, view);
    return frame_detail::DrawRainFrameWith(
        grid, glyphs,
        frame_detail::NarrowPainter{glyphs, view, images, batch.Usable() ? &batch : nullptr},
        record, buffers, keepGoing);
}

// The same frame in the screen's own 32-bit pixels, from glyphs widened from that set.
template <class KeepGoing>
DrawnFrame DrawRainFrame(RainGrid& grid, Animation& glyphs, const WideGlyphs& wide,
                         const WideView& view, CellRecord* record, const FrameBuffers& buffers,
                         KeepGoing keepGoing) {
    return frame_detail::DrawRainFrameWith(grid, glyphs, frame_detail::WidePainter{wide, view},
                                           record, buffers, keepGoing);
}

}  // namespace vorlix
