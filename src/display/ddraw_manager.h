#pragma once
// Owns the display device of one saver window: mode, primary, back buffer, clipper and the
// off-screen table. Records the back buffers' memory once at set-up so the draw thread writes
// pixels straight into them, and puts each frame on the screen.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "display/frame_buffers.h"
#include "glyphs/pixel_format.h"
#include "glyphs/surface_view.h"
#include "platform/display_device.h"
#include "platform/types.h"

namespace vorlix {

constexpr int MaxOffSurfaces = 200;

// Bounds of the loops that wait on the display, in attempts with a 1 ms sleep between two.
// They are counts, not clock readings, so a stopped or faked clock cannot make them endless.
// Set-up: the back buffer's lock and each present loop (a flip lasts one refresh, a few ms).
constexpr int SetupAttempts = 250;
// GetBackBuffer's wait for a pending flip; when it runs out the frame is drawn anyway.
constexpr int FlipWaitPolls = 100;
// BltOffSurface and LockOffSurface while the display answers busy or still drawing.
constexpr int OffSurfaceAttempts = 100;

class DDrawManager {
  public:
    DDrawManager();
    ~DDrawManager();
    DDrawManager(const DDrawManager&) = delete;
    DDrawManager& operator=(const DDrawManager&) = delete;

    // Given before CreateDirectDraw: where the picture goes on the monitors or in the window.
    void UseScreenPlan(const ScreenPlan& plan) { plan_ = plan; }
    bool CreateDirectDraw(WindowHandle window, std::int32_t width, std::int32_t height,
                          bool fullScreen);
    PixelFormat GetPixelFormat() const { return pixelFormat_; }
    SurfaceView* GetBackBuffer();
    // After GetBackBuffer, in its place: the screen's own 32-bit pixels, where the display can
    // show a frame drawn straight into them; null where it cannot. The view is the frame's
    // size times WideZoom().
    WideView* GetWideBackBuffer();
    std::int32_t WideZoom() const { return wideZoom_; }
    // 0: the frame is on the screen; 1: call again. changes: what differs from the frame
    // presented before (null: everything), for a device that can use it. wide: the frame was
    // drawn into GetWideBackBuffer's pixels.
    int Present(const platform::ChangedArea* changes = nullptr, bool wide = false);
    void FlipToGdi();
    bool Restore();
    bool DisplayModeChanged() const { return displayModeChanged_; }

    // Off-screen surfaces in local video memory, colour-keyed with magenta.
    int AddOffSurface(std::int32_t width, std::int32_t height);
    bool CreateOffSurface(int index, std::int32_t width, std::int32_t height);
    SurfaceView* LockOffSurface(int index);
    void UnlockOffSurface(int index);
    void BltOffSurface(std::int32_t x, std::int32_t y, int index);
    bool IsBltBusy();
    void ClearBackBuffer();

    // The buffer GetBackBuffer handed out and the one whose frame is on the screen: -1 unless
    // set-up proved that each buffer keeps its own pixels from one frame to its next. A flip
    // chain of one buffer, which a flip shows and leaves behind the back-buffer surface, is
    // buffer 0 throughout.
    int DrawnBuffer() const;
    int ShownBuffer() const;
    // The tokens of the frame about to be drawn: into GetWideBackBuffer's pixels with wide,
    // else into GetBackBuffer's. Read after both were asked for, since either may find the
    // memory made anew.
    FrameBuffers BuffersForFrame(bool wide);
    bool KeepsFrames() const { return keepsFrames_; }

    // For tests and diagnostics.
    int BackIndex() const { return backIndex_; }
    const SurfaceView& BackView(int index) const { return backViews_[index]; }
    int OffCount() const { return offCount_; }

  private:
    bool CheckPixelLayout(const platform::PixelMasks& masks);
    bool CreateClipper();
    bool CreateBackBuffer();
    bool RecordBackView();
    bool PresentUntilShown();
    const char* ProveBuffersKeepFrames();
    bool ProveAgain();
    // After a write into the buffers behind the drawing's back, never before it: a frame that
    // read a token before the write must find it moved.
    void ForgetBuffers();
    void ForgetDrawnBuffer();
    using Generations = std::array<std::uint32_t, 2>;
    Generations ReadGenerations() const;
    BufferToken TokenOf(int buffer) const;
    void NoteRestore(platform::DeviceResult result);
    int PresentFullScreen();
    int PresentWindowed();
    platform::DeviceResult LockOffRetrying(platform::DisplaySurface& surface,
                                           platform::LockedMemory& memory);
    bool HoldsOffSurface(int index) const;
    void DropOffSurface(int index);

    bool notReady_ = true;
    bool fullScreen_ = false;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    PixelFormat pixelFormat_ = Rgb565;
    SurfaceView backViews_[2];
    WideView wideView_;
    std::int32_t wideZoom_ = 1;
    SurfaceView offView_;
    int backIndex_ = 0;
    int offCount_ = 0;
    bool displayModeChanged_ = false;
    bool keepsFrames_ = false;
    bool oneBufferChain_ = false;
    bool takesChanges_ = false;
    std::atomic<std::uint32_t> generations_[2] = {};
    // The memory each buffer's last frame was drawn into; other memory is a buffer anew.
    struct DrawnMemory {
        const void* pixels = nullptr;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t pitch = 0;
        bool wide = false;
        friend bool operator==(const DrawnMemory&, const DrawnMemory&) = default;
    };
    DrawnMemory drawnMemory_[2];
    // A restore may have moved the buffers' memory and what they keep: the next GetBackBuffer
    // records and proves them again.
    std::atomic<bool> restored_{false};

    WindowHandle window_ = 0;
    platform::DesktopMode desktop_;
    ScreenPlan plan_;
    std::unique_ptr<platform::DisplayDevice> device_;
    std::unique_ptr<platform::DisplaySurface> primary_;
    std::unique_ptr<platform::DisplaySurface> backBuffer_;
    std::unique_ptr<platform::DisplayClipper> clipper_;
    std::unique_ptr<platform::DisplaySurface> offSurfaces_[MaxOffSurfaces];
    std::int32_t offWidths_[MaxOffSurfaces] = {};
    std::int32_t offHeights_[MaxOffSurfaces] = {};
};

}  // namespace vorlix
