#pragma once
#include "display/ddraw_manager.h"
#include "glyphs/animation.h"
#include "rain/rain_grid.h"

namespace vorlix {

// What the draw thread draws with. The window procedure fills it before starting the thread
// and frees what it points to only after ThreadEnded is set.
struct DrawTargets {
    DDrawManager* display = nullptr;
    Animation* glyphs = nullptr;
    RainGrid* grid = nullptr;
};
extern DrawTargets Drawing;

// The draw thread's entry: paces frames at 30 ms, draws every cell and presents, until
// ThreadAlive drops.
void DrawVorlix();

}  // namespace vorlix
