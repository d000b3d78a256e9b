#pragma once
// The display device the display manager drives: a DirectDraw-shaped object with an exclusive
// full-screen mode and a two-buffer flip chain, or a windowed primary with a clipper and an
// off-screen back buffer. Results tell apart what the manager reacts to differently.
#include <cstdint>
#include <memory>

#include "platform/screen_layout.h"
#include "platform/types.h"

namespace vorlix::platform {

enum class DeviceResult {
    Ok,
    Pending,  // a flip or blit is still under way (DDERR_WASSTILLDRAWING)
    Lost,     // the surface's memory was lost and needs Restore (DDERR_SURFACELOST)
    Busy,     // the surface is in use (DDERR_SURFACEBUSY)
    Failed,
};

// Surface capability bits, with DirectDraw's numbers.
constexpr std::uint32_t CapsSystemMemory = 0x00000800;
constexpr std::uint32_t CapsVideoMemory = 0x00004000;
constexpr std::uint32_t CapsLocalVideoMemory = 0x10000000;

struct LockedMemory {
    void* pixels = nullptr;
    std::int32_t pitchBytes = 0;
    std::int32_t zoom = 1;  // LockWide's: the whole-number zoom the screen shows the frame at
};

struct PixelMasks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    std::uint32_t bitsPerPixel = 0;
};

// The parts of a frame that differ from the frame presented before it, in back-buffer pixels
// (right and bottom exclusive). Whole when the list is unknown or would not fit.
constexpr int MaxChangedRects = 2048;
struct ChangedArea {
    bool whole = true;
    std::int32_t count = 0;
    ScreenRect rects[MaxChangedRects];
};

struct DesktopMode {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
};

class DisplayClipper {
public:
    virtual ~DisplayClipper() = default;
    virtual DeviceResult SetWindow(WindowHandle window) = 0;  // SetHWnd
};

class DisplaySurface {
public:
    virtual ~DisplaySurface() = default;
    // Whole surface, no waiting. The memory stays addressable and writable after Unlock.
    virtual DeviceResult Lock(LockedMemory& memory) = 0;
    virtual DeviceResult Unlock() = 0;
    virtual DeviceResult PixelFormat(PixelMasks& masks) = 0;  // GetSurfaceDesc
    virtual DeviceResult SetClipper(DisplayClipper& clipper) = 0;
    // The back buffer attached to a flip-chain primary (one more reference, released on reset).
    virtual DeviceResult AttachedBackBuffer(std::unique_ptr<DisplaySurface>& backBuffer) = 0;
    virtual DeviceResult FillBlack() = 0;  // colour fill 0 over the whole surface, waiting
    // Copies source's rectangle into this surface's rectangle without stretching or waiting;
    // on a primary with a clipper the copy is clipped to the clipper's window.
    virtual DeviceResult CopyFrom(DisplaySurface& source, const ScreenRect& to,
                                  const ScreenRect& from) = 0;
    // Copies source's rectangle to (x, y), leaving out pixels equal to the source's colour key.
    virtual DeviceResult CopyKeyedFrom(DisplaySurface& source, std::int32_t x, std::int32_t y,
                                       const ScreenRect& from) = 0;
    virtual DeviceResult FlipStatus() = 0;  // GetFlipStatus(DDGFS_ISFLIPDONE)
    virtual DeviceResult BlitStatus() = 0;  // GetBltStatus(DDGBS_ISBLTDONE)
    virtual DeviceResult Flip() = 0;        // on the primary, no waiting
    virtual DeviceResult Restore() = 0;
    virtual bool IsLost() = 0;
    virtual DeviceResult SetColorKey(std::uint16_t key) = 0;  // source key, low = high
    virtual DeviceResult Capabilities(std::uint32_t& caps) = 0;
    // On a primary, before Flip or CopyFrom: what the coming frame changed. A device that
    // converts or copies frames itself may do only that much; null means everything. The
    // area stays valid until the next call.
    virtual void SetChangedArea(const ChangedArea* area) { (void)area; }
    // On a primary: whether it uses SetChangedArea's area at all; where not (a flip that shows
    // a whole buffer), frames need not gather one.
    virtual bool TakesChangedArea() const { return false; }
    // On a back buffer: the screen's own 32-bit XRGB pixels where the frame's top left corner
    // shows, for a frame drawn straight into them rather than into the 16-bit buffer (then
    // shown as they are, with SetWideFrame on the primary), each frame pixel zoom by zoom.
    // Lost once each time that memory was made anew, black; Failed where the screen's pixels
    // cannot take the frame so, or the device has none to give.
    virtual DeviceResult LockWide(LockedMemory& memory) {
        (void)memory;
        return DeviceResult::Failed;
    }
    // On a primary, before Flip: whether the coming frame was drawn into LockWide's memory.
    virtual void SetWideFrame(bool wide) { (void)wide; }
};

class DisplayDevice {
public:
    virtual ~DisplayDevice() = default;
    virtual DeviceResult SetCooperativeLevel(WindowHandle window, bool fullScreen) = 0;
    virtual DeviceResult SetDisplayMode(std::int32_t width, std::int32_t height,
                                        std::int32_t bitsPerPixel) = 0;
    // Full screen: a flip chain of two buffers; windowed: the visible desktop.
    virtual DeviceResult CreatePrimary(bool flipChain, std::unique_ptr<DisplaySurface>& primary) = 0;
    // An off-screen plain surface in the display's format, placed where the device likes.
    virtual DeviceResult CreateOffscreen(std::int32_t width, std::int32_t height,
                                         std::unique_ptr<DisplaySurface>& surface) = 0;
    virtual DeviceResult CreateClipper(std::unique_ptr<DisplayClipper>& clipper) = 0;
    virtual DeviceResult FlipToDesktop() = 0;  // FlipToGDISurface
    // Where the picture goes on the monitors, given before the mode is set (full screen) or
    // the primary is made (windowed). A device with one screen and no zoom ignores it.
    virtual DeviceResult UseScreenPlan(const ScreenPlan&) { return DeviceResult::Ok; }
};

// DirectDrawCreate: the default display device, or null.
std::unique_ptr<DisplayDevice> CreateDisplayDevice();
// The desktop's resolution and depth (GetDeviceCaps on the desktop's device context).
DesktopMode ReadDesktopMode();

}  // namespace vorlix::platform
