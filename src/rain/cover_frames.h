#pragma once
// Rain on the monitors beside the primary: each cover has a grid of its own, drawn into its
// window's 16-bit pixels and shown by the draw thread after the primary's frame.
#include <cstdint>
#include <memory>

#include "glyphs/animation.h"
#include "glyphs/surface_view.h"
#include "platform/cover_window.h"
#include "rain/cell_record.h"
#include "rain/rain_grid.h"

namespace vorlix {

struct Cover {
    std::unique_ptr<platform::CoverWindow> window;  // null: none could be made
    SurfaceView view;                               // the window's picture
    RainGrid grid;                                  // its cell block owned here
    CellRecord record;                              // empty: every frame drawn in full
    int monitor = 0;       // as the log numbers the monitors, the primary 0
    bool drawing = false;  // false: the window stays black
};

// The covers of one run. Made by the window procedure before the draw thread starts, drawn by
// that thread alone, freed after it has ended.
class CoverSet {
  public:
    // Room for count covers, none made yet; false when there is no memory for them.
    bool Allocate(int count);
    void Free();  // the windows, grids and records
    int Count() const { return count_; }
    Cover& operator[](int index) { return covers_[index]; }

  private:
    std::unique_ptr<Cover[]> covers_;
    int count_ = 0;
};

// One frame on every cover that draws. A cover whose window cannot be drawn is turned black,
// with a log line, and not drawn again. Gives up when drawing is paused.
void DrawCoverFrames(CoverSet& covers, Animation& glyphs);

}  // namespace vorlix
