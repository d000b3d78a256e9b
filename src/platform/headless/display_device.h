#pragma once
// A memory display behind platform::CreateDisplayDevice and platform::ReadDesktopMode.
//
// There is one display per process, like a real screen: every device made by
// CreateDisplayDevice shares it. Full screen it holds a flip chain of two distinct buffers of
// the current mode's size (locking the back-buffer surface reports the buffer currently
// behind it; a flip swaps them), or of one buffer that a flip shows and leaves behind the
// back-buffer surface, as the Linux window's chain does. Windowed, the primary is the desktop itself, of the desktop
// mode's size; copies into it are clipped to the desktop and, once a clipper with a window is
// set on it, to that window's client area as the headless window manager places it.
//
// Everything below may be called from any thread: one mutex guards the display. Memory handed
// out by Lock is written without it, as the real thing does.
//
// Defaults (and after ResetDisplay): desktop 1024x768 at 16 bits, 5-6-5 layout, every display
// mode accepted, no row padding, off-screen surfaces in local video memory, no faults.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/screen_layout.h"

namespace vorlix::headless {

// The pixel layout the display reports through PixelFormat (its red, green and blue masks).
// Bits32 reports the 8-8-8 masks at 32 bits per pixel and its buffers hold 4 bytes a pixel.
enum class DisplayLayout { Rgb555, Rgb565, Bits32 };

// Where CreateOffscreen puts a surface, as reported by Capabilities.
enum class Placement { LocalVideo, NonLocalVideo, SystemMemory };

// Every operation of the device, its surfaces and its clipper; Release is the destruction of
// an object, Create the making of the device itself.
enum class DisplayOp {
    Create,
    SetCooperativeLevel,
    SetDisplayMode,
    CreatePrimary,
    CreateOffscreen,
    CreateClipper,
    FlipToDesktop,
    SetWindow,  // the clipper's
    Lock,
    Unlock,
    PixelFormat,
    SetClipper,
    AttachedBackBuffer,
    FillBlack,
    CopyFrom,
    CopyKeyedFrom,
    FlipStatus,
    BlitStatus,
    Flip,
    Restore,
    IsLost,
    SetColorKey,
    Capabilities,
    LockWide,
    Release,
};

// What an object is. Windowed, the back buffer is an Offscreen surface like any other.
enum class Role { Any, Device, Clipper, Primary, BackBuffer, Offscreen };

const char* OpName(DisplayOp op);
const char* RoleName(Role role);

// One call made on the display, in the order made.
struct DisplayCall {
    DisplayOp op = DisplayOp::Create;
    Role role = Role::Any;
    int object = 0;  // a number per object, from 1, in creation order; 0 for none
    std::int32_t a = 0, b = 0, c = 0;  // the call's numbers: mode, rectangle corner, key ...
    platform::DeviceResult result = platform::DeviceResult::Ok;
};

// ----- Set-up of the display -----
void ResetDisplay();  // back to the defaults; forgets faults, captures and the call log
void SetDesktopMode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
void SetDisplayLayout(DisplayLayout layout);
// The monitors platform::ReadMonitors reports (none until set), and whether "Desktop size"
// is offered (not until set, as on Windows).
void SetMonitors(const std::vector<MonitorInfo>& monitors);
void OfferDesktopSize(bool offered);
void RefuseDisplayMode(std::int32_t width, std::int32_t height);  // SetDisplayMode fails for it
void SetRowPaddingBytes(std::int32_t bytes);  // added to every new surface's pitch
void SetOffscreenPlacement(Placement placement);  // for surfaces made from now on
void SetFlipChainBuffers(int count);  // 2 or 1, for flip chains made from now on
// From now on a flip chain of one buffer also offers the screen's own pixels, 8-8-8 in 32 bits,
// through LockWide on its back buffer, each frame pixel shown zoom by zoom: Lost the first time
// and after each restore (the memory is then made anew), Lost while the surfaces are lost. A
// flip after SetWideFrame(true) shows them, taken back to the display's 16-bit layout for
// ShownFrame and the hook; a frame pixel whose zoom by zoom pixels differ shows changed.
void OfferWideBackBuffer(bool offered, std::int32_t zoom = 1);
// Right after that shown frame, the screen's own pixels are made anew, black, as a window's
// are when it changes size; may be called for several frames.
void RenewWideAfter(std::uint64_t shownFrame);

// ----- Fault injection -----
// The next `calls` calls of op on objects of the role (after `skip` of them have gone through)
// return `result` and do nothing else. IsLost answers true for any result but Ok; Create
// returns no device. A Pending flip status or blit status is what a flip or blit under way
// looks like. Up to 32 faults stand at once; the first one that matches a call takes it.
constexpr int Always = 1 << 30;
void InjectFault(DisplayOp op, platform::DeviceResult result, int calls, Role role = Role::Any,
                 int skip = 0);
void ClearFaults();
// Marks every surface made so far as lost, as a mode switch by another program does: Lock,
// Flip, FlipStatus, BlitStatus, FillBlack and copies report Lost, IsLost answers true, until
// the surface is restored. Restoring a flip-chain primary restores its back buffer too; the
// memory stays where it was.
void LoseSurfaces();
// From now on a Restore fills the restored memory with value (a flip-chain primary: both
// buffers), as real surfaces come back with whatever their memory then holds.
void FillOnRestore(bool fill, std::uint16_t value = 0);
// From now on a Restore gives the restored surfaces (a flip-chain primary: both buffers) new
// memory, as a driver may; what was locked before stays readable and writable, but no longer
// shows.
void MoveMemoryOnRestore(bool move);

// ----- State -----
platform::DesktopMode CurrentDisplayMode();  // the desktop mode until SetDisplayMode changes it
bool FullScreenCooperation();                // the last cooperative level asked for
ScreenPlan LastScreenPlan();                 // the last plan a device was given
bool DesktopShown();  // FlipToDesktop was called and no flip has come since
int LiveObjects();    // devices, clippers and surfaces not yet released

// ----- The calls made -----
// Called on the calling thread, under the display's lock, right after each call has done its
// work and been logged. The hook must not call back into the display. An empty function
// removes it.
using DisplayCallHook = std::function<void(const DisplayCall& call)>;
void SetDisplayCallHook(DisplayCallHook hook);
std::vector<DisplayCall> DisplayCalls();  // oldest first; the last 65536 are kept
std::vector<DisplayCall> DisplayCalls(DisplayOp op);
void ClearDisplayCalls();
std::string FormatCall(const DisplayCall& call);  // "Release Primary#2 -> Ok" and so on

// ----- The shown frame -----
// Full screen: the front buffer after each flip. Windowed: the rectangle of the primary
// that the last copy wrote, after clipping. 16-bit layouts only.
struct ShownFrame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    DisplayLayout layout = DisplayLayout::Rgb565;
    std::uint64_t number = 0;  // shown frames counted since the display was reset; 1 is the first
    std::vector<std::uint16_t> pixels;  // width * height, rows top to bottom, no padding
};
std::uint64_t ShownFrameCount();
// Copies the frame now on the screen; false before the first one.
bool CaptureShownFrame(ShownFrame& frame);
// Called on the presenting thread, under the display's lock, right after each frame is shown;
// pixels point at the shown memory (pitch in pixels) and stay valid only during the call. The
// callback must not call back into the display. An empty function removes it.
using ShownFrameHook = std::function<void(const std::uint16_t* pixels, std::int32_t width,
                                          std::int32_t height, std::int32_t pitch,
                                          std::uint64_t number)>;
void SetShownFrameHook(ShownFrameHook hook);

// 8-bit red, green, blue triples of a 16-bit pixel row or frame in the given layout.
void ConvertToRgb(const std::uint16_t* pixels, std::int32_t count, DisplayLayout layout,
                  std::uint8_t* rgb);
std::vector<std::uint8_t> ToRgb(const ShownFrame& frame);
// Writes the frame as an 8-bit RGB PNG; false with nothing left behind when it cannot.
bool SavePng(const ShownFrame& frame, const std::string& path);

}  // namespace vorlix::headless
