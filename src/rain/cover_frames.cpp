#include "rain/cover_frames.h"

#include <cstdio>
#include <new>

#include "diagnostics/debug_log.h"
#include "glyphs/blitters.h"
#include "rain/frame_drawing.h"
#include "rain/thread_flags.h"

namespace vorlix {

namespace {

constexpr auto KeepDrawing = [] { return DrawActive.load() != 0; };

// The window keeps its picture from one frame to the next: one buffer, both drawn into and
// shown, and shown whole. Its memory lives as long as its record.
constexpr FrameBuffers CoverBuffers = OneBuffer(0, false);

void StopDrawing(Cover& cover) {
    cover.drawing = false;
    cover.window->LeaveBlack();
    char line[96];
    std::snprintf(line, sizeof line, "[DrawVorlix] Monitor %d could not be drawn: left black",
                  cover.monitor);
    LogMessage(line, LOG_WARNING);
}

void DrawCover(Cover& cover, Animation& glyphs) {
    // The blitters clip to the picture drawn into; the primary's clip is put back after.
    ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(cover.view.width),
                             static_cast<std::uint16_t>(cover.view.height)};
    // An empty record (no memory) draws every cell.
    DrawRainFrame(cover.grid, glyphs, cover.view, &cover.record, CoverBuffers, KeepDrawing);
    if (!KeepDrawing()) return;
    if (!cover.window->Show()) StopDrawing(cover);
}

}  // namespace

bool CoverSet::Allocate(int count) {
    Free();
    if (count <= 0) return true;
    covers_.reset(new (std::nothrow) Cover[count]);
    if (!covers_) return false;
    count_ = count;
    return true;
}

void CoverSet::Free() {
    for (int i = 0; i < count_; ++i) {
        Cover& cover = covers_[i];
        cover.drawing = false;
        FreeRainGrid(cover.grid);
        cover.record.Free();
        cover.window.reset();
    }
    covers_.reset();
    count_ = 0;
}

void DrawCoverFrames(CoverSet& covers, Animation& glyphs) {
    const ClipRectangle primaryClip = ClipRect;
    for (int i = 0; i < covers.Count() && KeepDrawing(); ++i)
        if (covers[i].drawing) DrawCover(covers[i], glyphs);
    ClipRect = primaryClip;
}

}  // namespace vorlix
