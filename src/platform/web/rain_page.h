#pragma once
// The rain on a web page: the core's grid, passes, glyph set and incremental frames, drawn
// into a 16-bit picture as the saver's back buffer, then into the canvas's RGBA pixels. The
// page's script asks for a picture size and for steps; it never sees the model.
#include <cstdint>
#include <memory>
#include <string>

#include "glyphs/animation.h"
#include "platform/screen_layout.h"
#include "platform/web/rgba_frame.h"
#include "rain/cell_record.h"
#include "rain/rain_grid.h"

namespace vorlix::web {

struct RainChoices {
    std::uint32_t density = 300;
    std::uint32_t highlight = 8;
    std::int32_t zoom = 0;  // 1 to 4, or 0 for the Desktop-size rule
};

class RainPage {
public:
    RainPage();
    ~RainPage();
    RainPage(const RainPage&) = delete;
    RainPage& operator=(const RainPage&) = delete;

    // Through the saver's own loader. On failure the set in use stays and error holds the
    // loader's reason. A picture already built is built again for the new glyphs.
    bool LoadGlyphs(const char* path, std::string& error);
    // Builds the picture for a canvas of that many device pixels with the saver's zoom rule;
    // false (and nothing to draw) when there are no glyphs or no memory.
    bool Fit(std::int32_t deviceWidth, std::int32_t deviceHeight, std::int32_t dotsPerInch,
             const RainChoices& choices);
    // One step of the model, as the draw thread's frame: the passes, drawing what changed.
    void Step();

    const PlannedScreen& Placement() const { return plan_.screens[0]; }
    RgbaFrame& Frame() { return frame_; }
    bool Ready() const { return grid_.Cells != nullptr; }

private:
    bool Build();
    void Clear();

    std::unique_ptr<Animation> glyphs_;
    RainChoices choices_;
    ScreenPlan plan_;
    RainGrid grid_;
    CellRecord record_;
    std::unique_ptr<std::uint16_t[]> picture_;
    std::uint32_t generation_ = 0;  // moves whenever the picture is made anew
    RgbaFrame frame_;
};

}  // namespace vorlix::web
