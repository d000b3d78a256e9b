#include "platform/display_device.h"
#include "platform/screen_layout.h"

#include <memory>

#include <windows.h>
// After windows.h, which they need.
#include <ddraw.h>

#include "platform/win32/handles.h"

namespace vorlix::platform {

namespace {

constexpr DWORD FullScreenLevel = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE;  // 19
constexpr DWORD WindowedLevel = DDSCL_NORMAL;                                              // 8

DeviceResult Result(HRESULT hr) {
    switch (hr) {
        case DD_OK:
            return DeviceResult::Ok;
        case DDERR_WASSTILLDRAWING:
            return DeviceResult::Pending;
        case DDERR_SURFACELOST:
            return DeviceResult::Lost;
        case DDERR_SURFACEBUSY:
            return DeviceResult::Busy;
        default:
            return DeviceResult::Failed;
    }
}

// Each wrapper below holds one reference to its DirectDraw interface and gives it back once.
struct ReleaseInterface {
    template <class Interface>
    void operator()(Interface* object) const {
        object->Release();
    }
};
template <class Interface>
using Held = std::unique_ptr<Interface, ReleaseInterface>;

DDSURFACEDESC ClearedDescription() {
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    return desc;
}

class DirectDrawClipper final : public DisplayClipper {
  public:
    explicit DirectDrawClipper(IDirectDrawClipper* clipper) : clipper_(clipper) {}

    DeviceResult SetWindow(WindowHandle window) override {
        return Result(clipper_->SetHWnd(0, ToHwnd(window)));
    }
    IDirectDrawClipper* Interface() const { return clipper_.get(); }

  private:
    Held<IDirectDrawClipper> clipper_;
};

class DirectDrawSurface final : public DisplaySurface {
  public:
    explicit DirectDrawSurface(IDirectDrawSurface* surface) : surface_(surface) {}

    DeviceResult Lock(LockedMemory& memory) override {
        DDSURFACEDESC desc = ClearedDescription();
        HRESULT hr = surface_->Lock(nullptr, &desc, 0, nullptr);
        if (hr != DD_OK) return Result(hr);
        memory.pixels = desc.lpSurface;
        memory.pitchBytes = desc.lPitch;
        return DeviceResult::Ok;
    }

    DeviceResult Unlock() override { return Result(surface_->Unlock(nullptr)); }

    DeviceResult PixelFormat(PixelMasks& masks) override {
        DDSURFACEDESC desc = ClearedDescription();
        desc.dwFlags = DDSD_PIXELFORMAT;
        HRESULT hr = surface_->GetSurfaceDesc(&desc);
        if (hr != DD_OK) return Result(hr);
        masks.red = desc.ddpfPixelFormat.dwRBitMask;
        masks.green = desc.ddpfPixelFormat.dwGBitMask;
        masks.blue = desc.ddpfPixelFormat.dwBBitMask;
        masks.bitsPerPixel = desc.ddpfPixelFormat.dwRGBBitCount;
        return DeviceResult::Ok;
    }

    DeviceResult SetClipper(DisplayClipper& clipper) override {
        return Result(surface_->SetClipper(static_cast<DirectDrawClipper&>(clipper).Interface()));
    }

    DeviceResult AttachedBackBuffer(std::unique_ptr<DisplaySurface>& backBuffer) override {
        DDSCAPS caps{};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        IDirectDrawSurface* attached = nullptr;
        HRESULT hr = surface_->GetAttachedSurface(&caps, &attached);
        if (hr != DD_OK) return Result(hr);
        backBuffer = std::make_unique<DirectDrawSurface>(attached);
        return DeviceResult::Ok;
    }

    DeviceResult FillBlack() override {
        DDBLTFX effects;
        ZeroMemory(&effects, sizeof(effects));
        effects.dwSize = sizeof(effects);
        effects.dwFillColor = 0;
        return Result(
            surface_->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects));
    }

    DeviceResult CopyFrom(DisplaySurface& source, const ScreenRect& to,
                          const ScreenRect& from) override {
        RECT target = ToRect(to);
        RECT origin = ToRect(from);
        return Result(surface_->Blt(&target, Of(source), &origin, 0, nullptr));
    }

    DeviceResult CopyKeyedFrom(DisplaySurface& source, std::int32_t x, std::int32_t y,
                               const ScreenRect& from) override {
        RECT origin = ToRect(from);
        return Result(
            surface_->BltFast(x, y, Of(source), &origin, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
    }

    DeviceResult FlipStatus() override { return Result(surface_->GetFlipStatus(DDGFS_ISFLIPDONE)); }
    DeviceResult BlitStatus() override { return Result(surface_->GetBltStatus(DDGBS_ISBLTDONE)); }
    DeviceResult Flip() override { return Result(surface_->Flip(nullptr, 0)); }
    DeviceResult Restore() override { return Result(surface_->Restore()); }
    bool IsLost() override { return surface_->IsLost() == DDERR_SURFACELOST; }

    DeviceResult SetColorKey(std::uint16_t key) override {
        DDCOLORKEY colorKey{key, key};
        return Result(surface_->SetColorKey(DDCKEY_SRCBLT, &colorKey));
    }

    DeviceResult Capabilities(std::uint32_t& caps) override {
        DDSCAPS surfaceCaps{};
        HRESULT hr = surface_->GetCaps(&surfaceCaps);
        if (hr != DD_OK) return Result(hr);
        caps = surfaceCaps.dwCaps;
        return DeviceResult::Ok;
    }

  private:
    // Every surface of this device is one of ours.
    static IDirectDrawSurface* Of(DisplaySurface& surface) {
        return static_cast<DirectDrawSurface&>(surface).surface_.get();
    }

    Held<IDirectDrawSurface> surface_;
};

class DirectDrawDevice final : public DisplayDevice {
  public:
    explicit DirectDrawDevice(IDirectDraw* directDraw) : directDraw_(directDraw) {}

    DeviceResult SetCooperativeLevel(WindowHandle window, bool fullScreen) override {
        // Shown before the first frame: under Wine, showing the window while the draw thread
        // already presents into it races with that present and can crash inside Wine.
        if (fullScreen && !IsWindowVisible(ToHwnd(window))) ShowWindow(ToHwnd(window), SW_SHOW);
        return Result(directDraw_->SetCooperativeLevel(
            ToHwnd(window), fullScreen ? FullScreenLevel : WindowedLevel));
    }

    DeviceResult SetDisplayMode(std::int32_t width, std::int32_t height,
                                std::int32_t bitsPerPixel) override {
        return Result(directDraw_->SetDisplayMode(width, height, bitsPerPixel));
    }

    DeviceResult CreatePrimary(bool flipChain, std::unique_ptr<DisplaySurface>& primary) override {
        DDSURFACEDESC desc = ClearedDescription();
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        desc.dwBackBufferCount = 1;
        if (flipChain) {
            desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
            desc.ddsCaps.dwCaps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        }
        return Create(desc, primary);
    }

    DeviceResult CreateOffscreen(std::int32_t width, std::int32_t height,
                                 std::unique_ptr<DisplaySurface>& surface) override {
        DDSURFACEDESC desc = ClearedDescription();
        desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = static_cast<DWORD>(width);
        desc.dwHeight = static_cast<DWORD>(height);
        return Create(desc, surface);
    }

    DeviceResult CreateClipper(std::unique_ptr<DisplayClipper>& clipper) override {
        IDirectDrawClipper* created = nullptr;
        HRESULT hr = directDraw_->CreateClipper(0, &created, nullptr);
        if (hr != DD_OK) return Result(hr);
        clipper = std::make_unique<DirectDrawClipper>(created);
        return DeviceResult::Ok;
    }

    DeviceResult FlipToDesktop() override { return Result(directDraw_->FlipToGDISurface()); }

  private:
    DeviceResult Create(DDSURFACEDESC& desc, std::unique_ptr<DisplaySurface>& surface) {
        IDirectDrawSurface* created = nullptr;
        HRESULT hr = directDraw_->CreateSurface(&desc, &created, nullptr);
        if (hr != DD_OK) return Result(hr);
        surface = std::make_unique<DirectDrawSurface>(created);
        return DeviceResult::Ok;
    }

    Held<IDirectDraw> directDraw_;
};

}  // namespace

std::unique_ptr<DisplayDevice> CreateDisplayDevice() {
    IDirectDraw* directDraw = nullptr;
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK || directDraw == nullptr) {
        return nullptr;
    }
    return std::make_unique<DirectDrawDevice>(directDraw);
}

DesktopMode ReadDesktopMode() {
    DesktopMode mode;
    HWND desktop = GetDesktopWindow();
    HDC context = GetDC(desktop);
    if (context == nullptr) return mode;
    mode.width = GetDeviceCaps(context, HORZRES);
    mode.height = GetDeviceCaps(context, VERTRES);
    mode.bitsPerPixel = GetDeviceCaps(context, BITSPIXEL);
    ReleaseDC(desktop, context);
    return mode;
}

namespace {

struct MonitorList {
    MonitorInfo* monitors;
    int capacity;
    int count;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    auto& found = *reinterpret_cast<MonitorList*>(list);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    MonitorInfo entry;
    entry.bounds = FromRect(info.rcMonitor);
    // The primary goes first, the others move up (the last one out when the list is full);
    // a full list still looks on for the primary.
    if ((info.dwFlags & MONITORINFOF_PRIMARY) == 0) {
        if (found.count < found.capacity) found.monitors[found.count++] = entry;
        return TRUE;
    }
    const int kept = found.count < found.capacity ? found.count : found.capacity - 1;
    for (int i = kept; i > 0; --i) found.monitors[i] = found.monitors[i - 1];
    found.monitors[0] = entry;
    found.count = kept + 1;
    return TRUE;
}

}  // namespace

// The monitors as the system lays them out now (after a display mode change, the new layout).
// Their density is left unknown: the size alone decides the glyph zoom.
int ReadMonitors(MonitorInfo* monitors, int capacity) {
    if (capacity <= 0) return 0;
    MonitorList found{monitors, capacity, 0};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
    return found.count;
}

// The Windows module keeps its six modes on the primary display; the other monitors get
// cover windows, laid out once at the start.
int CoverMonitors(WindowHandle) { return 0; }
bool OffersDesktopSize() { return false; }

}  // namespace vorlix::platform
