#pragma once
#include <cstdint>

#include "display/ddraw_manager.h"
#include "glyphs/animation.h"
#include "glyphs/glyph_images.h"
#include "rain/cell_record.h"
#include "rain/cover_frames.h"
#include "rain/rain_grid.h"

namespace vorlix {

// What the draw thread draws with. The window procedure fills it before starting the thread
// and frees what it points to only after ThreadEnded is set.
struct DrawTargets {
    DDrawManager* display = nullptr;
    Animation* glyphs = nullptr;
    RainGrid* grid = nullptr;
    CellRecord* record = nullptr;  // null: every frame drawn in full
    // Room for the glyphs widened to the screen's own pixels, made when first drawn into
    // them; null: always drawn into the 16-bit back buffer.
    WideGlyphs* wide = nullptr;
    CoverSet* covers = nullptr;  // the other monitors' rain, drawn after each frame; or none
};
extern DrawTargets Drawing;

// The draw thread's entry: paces frames at 30 ms, draws every cell and presents, until
// ThreadAlive drops. Every wait in it sleeps, so a paused saver costs next to nothing.
void DrawVorlix();
// One frame of it, drawn and presented at once, without pacing: the first frame may come at
// any time. True when it reached the screen.
bool DrawFrame(const DrawTargets& targets);

// For the window procedure after it has cleared ThreadAlive: sleeps in short steps until the
// thread has set ThreadEnded. False when timeoutMs passed first; the thread may then still
// use what Drawing points to, so nothing of it may be freed.
bool WaitForThreadEnd(std::uint32_t timeoutMs);

}  // namespace vorlix
