#pragma once
// The state ScreenSaverProc keeps for its window, readable by tests and diagnostics.
#include <cstdint>

#include "display/ddraw_manager.h"
#include "glyphs/animation.h"
#include "glyphs/graphics_loader.h"
#include "glyphs/glyph_images.h"
#include "platform/screen_layout.h"
#include "platform/types.h"
#include "rain/cell_record.h"
#include "rain/cover_frames.h"
#include "rain/rain_grid.h"

namespace vorlix {

// What window creation builds and the teardown frees, in that order reversed.
struct SaverObjects {
    DDrawManager* display = nullptr;
    GraphicsLoader* loader = nullptr;
    Animation* glyphs = nullptr;
    RainGrid grid;  // its cell block is owned here
    ScreenPlan plan;  // where the picture goes; none where the host has one screen, unzoomed
    CellRecord record;  // what each back buffer shows, sized for the grid
    WideGlyphs wide;    // the glyphs in the screen's own pixels, where drawn straight into them
    CoverSet covers;    // the windows over the other monitors, where the host makes them
};
extern SaverObjects WindowObjects;

extern std::uint8_t FullScreenMode;
extern WindowHandle SaverWindow;
extern std::uint8_t CursorCaptured;
extern ScreenPoint StartCursorPos;
extern std::uint8_t TrapFirstClose;

// How long WM_DESTROY waits for the draw thread before it gives the objects up for lost.
constexpr std::uint32_t ThreadEndTimeoutMs = 5000;
// The glyph file must hold every shape twice and the blank cell.
constexpr std::int32_t MinGlyphFrames = 55;

// Child-window enumeration callback for diagnosis: logs the child's title; 0 stops.
std::int32_t EnumChildProc(WindowHandle window, LParam value);

// The parts of ScreenSaverProc, one per message it looks at.
LResult CreateSaverObjects(WindowHandle window);
LResult DestroySaverObjects(WindowHandle window, WParam w, LParam l);
LResult TeardownSaverObjects();
// WM_SIZE: a preview follows its window's size.
void ResizeSaverObjects(WindowHandle window, std::int32_t width, std::int32_t height);
// WM_DISPLAYCHANGE: where the host plans the monitors, a full-screen saver covers them anew.
void FollowMonitorChange(WindowHandle window);

}  // namespace vorlix
