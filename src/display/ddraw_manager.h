#pragma once
// Owns the display device of one saver window: mode, primary, back buffer, clipper and the
// off-screen table. Records the back buffers' memory once at set-up so the draw thread writes
// pixels straight into them, and puts each frame on the screen.
#include <cstdint>
#include <memory>

#include "glyphs/pixel_format.h"
#include "glyphs/surface_view.h"
#include "platform/display_device.h"
#include "platform/types.h"

namespace vorlix {

constexpr int MaxOffSurfaces = 200;

class DDrawManager {
public:
    DDrawManager();
    ~DDrawManager();
    DDrawManager(const DDrawManager&) = delete;
    DDrawManager& operator=(const DDrawManager&) = delete;

    bool CreateDirectDraw(WindowHandle window, std::int32_t width, std::int32_t height,
                          bool fullScreen);
    PixelFormat GetPixelFormat() const { return pixelFormat_; }
    SurfaceView* GetBackBuffer();
    int Present();  // 0: the frame is on the screen; 1: call again
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

    // For tests and diagnostics.
    int BackIndex() const { return backIndex_; }
    const SurfaceView& BackView(int index) const { return backViews_[index]; }
    int OffCount() const { return offCount_; }

private:
    // (the display helper fills in the private members)
    bool notReady_ = true;
    bool fullScreen_ = false;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    PixelFormat pixelFormat_ = Rgb565;
    SurfaceView backViews_[2];
    SurfaceView offView_;
    int backIndex_ = 0;
    int offCount_ = 0;
    bool displayModeChanged_ = false;
};

}  // namespace vorlix
