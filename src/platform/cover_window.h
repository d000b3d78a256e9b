#pragma once
// Windows over the monitors beside the one a full-screen saver takes for itself, where the
// host's full screen is a display mode on the primary monitor only (Windows). Each shows a
// 16-bit picture of its own, zoomed; black until the first picture and wherever none can be
// shown. They never take the activation away from the saver window, and every message they
// get goes to the procedure they were made with.
#include <cstdint>
#include <memory>

#include "platform/display_device.h"
#include "platform/types.h"

namespace vorlix::platform {

struct CoverLayout {
    ScreenRect monitor;      // the window's rectangle on the screen
    std::int32_t width = 0;  // the picture, 0 by 0 for a window that stays black
    std::int32_t height = 0;
    std::int32_t zoom = 1;  // each picture pixel covers zoom by zoom screen pixels
    bool rgb565 = true;     // the picture's 16-bit layout, else 5-5-5
    WindowProc procedure = nullptr;
};

class CoverWindow {
  public:
    virtual ~CoverWindow() = default;
    virtual WindowHandle Handle() const = 0;
    // The picture's memory, top row first, written by the draw thread between two Shows;
    // false where the window has none and stays black.
    virtual bool Pixels(LockedMemory& memory) = 0;
    // Puts the picture on the window, centred. False when the window could not be drawn.
    virtual bool Show() = 0;
    // From now on the window shows black, whatever the picture holds.
    virtual void LeaveBlack() = 0;
};

// True where the host covers the other monitors with these windows.
bool OffersCoverWindows();
// A window shown over the layout's monitor, or null when none could be made. Made and
// destroyed on the thread of the saver window's message loop; Show may come from another.
std::unique_ptr<CoverWindow> CreateCoverWindow(const CoverLayout& layout);

}  // namespace vorlix::platform
