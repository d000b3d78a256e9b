#include "platform/display_device.h"

#include <cstring>
#include <new>

#include "platform/sdl/frame_converter.h"
#include "platform/sdl/host_windows.h"
#include "platform/sdl/window_presenter.h"

namespace vorlix::platform {

namespace {

constexpr std::int32_t MaxSide = 8192;
constexpr std::uint32_t ColorKeyNone = 0x10000;

bool SideOk(std::int32_t side) { return side > 0 && side <= MaxSide; }

// Sixteen-bit pixels in memory, rows 64-byte aligned.
class PixelBuffer {
public:
    bool Allocate(std::int32_t width, std::int32_t height) {
        width_ = width;
        height_ = height;
        pitch_ = (width + 31) & ~31;
        std::size_t count = static_cast<std::size_t>(pitch_) * static_cast<std::size_t>(height);
        memory_.reset(new (std::nothrow) std::uint16_t[count + 32]());
        if (!memory_) return false;
        auto address = reinterpret_cast<std::uintptr_t>(memory_.get());
        pixels_ = reinterpret_cast<std::uint16_t*>((address + 63) & ~std::uintptr_t{63});
        return true;
    }
    std::uint16_t* Pixels() const { return pixels_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::int32_t Pitch() const { return pitch_; }  // in pixels
    void Clear() {
        std::memset(pixels_, 0, static_cast<std::size_t>(pitch_) * height_ * 2);
    }

private:
    std::unique_ptr<std::uint16_t[]> memory_;
    std::uint16_t* pixels_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t pitch_ = 0;
};

// What memory-to-memory copies need of a surface.
class MemoryBacked {
public:
    virtual ~MemoryBacked() = default;
    virtual PixelBuffer* Buffer() = 0;
    std::uint32_t colorKey = ColorKeyNone;
};

DeviceResult ReportMasks(PixelMasks& masks) {
    // The back buffers are 5-6-5 whatever the window's depth: presenting converts them.
    masks.red = 0xF800;
    masks.green = 0x07E0;
    masks.blue = 0x001F;
    masks.bitsPerPixel = 16;
    return DeviceResult::Ok;
}

// Copies from's rectangle of source to (x, y) of target, cut to both; key leaves out pixels.
DeviceResult CopyPixels(PixelBuffer& target, PixelBuffer& source, std::int32_t x, std::int32_t y,
                        const ScreenRect& from, std::uint32_t key) {
    std::int32_t left = from.left < 0 ? 0 : from.left;
    std::int32_t top = from.top < 0 ? 0 : from.top;
    std::int32_t right = from.right > source.Width() ? source.Width() : from.right;
    std::int32_t bottom = from.bottom > source.Height() ? source.Height() : from.bottom;
    x += left - from.left;
    y += top - from.top;
    if (x < 0) { left -= x; x = 0; }
    if (y < 0) { top -= y; y = 0; }
    if (right - left > target.Width() - x) right = left + target.Width() - x;
    if (bottom - top > target.Height() - y) bottom = top + target.Height() - y;
    for (std::int32_t row = top; row < bottom; ++row) {
        const std::uint16_t* in = source.Pixels() + static_cast<std::ptrdiff_t>(row) * source.Pitch();
        std::uint16_t* out =
            target.Pixels() + static_cast<std::ptrdiff_t>(y + row - top) * target.Pitch() + x;
        for (std::int32_t column = left; column < right; ++column, ++out)
            if (in[column] != key) *out = in[column];
    }
    return DeviceResult::Ok;
}

// Operations a surface of this device does not offer answer Failed.
class SurfaceBase : public DisplaySurface {
public:
    DeviceResult Lock(LockedMemory&) override { return DeviceResult::Failed; }
    DeviceResult Unlock() override { return DeviceResult::Ok; }
    DeviceResult PixelFormat(PixelMasks& masks) override { return ReportMasks(masks); }
    DeviceResult SetClipper(DisplayClipper&) override { return DeviceResult::Failed; }
    DeviceResult AttachedBackBuffer(std::unique_ptr<DisplaySurface>&) override {
        return DeviceResult::Failed;
    }
    DeviceResult FillBlack() override { return DeviceResult::Failed; }
    DeviceResult CopyFrom(DisplaySurface&, const ScreenRect&, const ScreenRect&) override {
        return DeviceResult::Failed;
    }
    DeviceResult CopyKeyedFrom(DisplaySurface&, std::int32_t, std::int32_t,
                               const ScreenRect&) override {
        return DeviceResult::Failed;
    }
    DeviceResult FlipStatus() override { return DeviceResult::Ok; }
    DeviceResult BlitStatus() override { return DeviceResult::Ok; }
    DeviceResult Flip() override { return DeviceResult::Failed; }
    DeviceResult Restore() override { return DeviceResult::Ok; }
    bool IsLost() override { return false; }
    DeviceResult SetColorKey(std::uint16_t) override { return DeviceResult::Failed; }
    DeviceResult Capabilities(std::uint32_t& caps) override {
        caps = CapsSystemMemory;
        return DeviceResult::Ok;
    }
};

// A memory surface: an off-screen plain surface, or the windowed back buffer.
class MemorySurface final : public SurfaceBase, public MemoryBacked {
public:
    bool Allocate(std::int32_t width, std::int32_t height) { return pixels_.Allocate(width, height); }
    PixelBuffer* Buffer() override { return &pixels_; }

    DeviceResult Lock(LockedMemory& memory) override {
        memory.pixels = pixels_.Pixels();
        memory.pitchBytes = pixels_.Pitch() * 2;
        return DeviceResult::Ok;
    }
    DeviceResult FillBlack() override {
        pixels_.Clear();
        return DeviceResult::Ok;
    }
    DeviceResult CopyFrom(DisplaySurface& source, const ScreenRect& to,
                          const ScreenRect& from) override {
        auto* memory = dynamic_cast<MemoryBacked*>(&source);
        if (memory == nullptr) return DeviceResult::Failed;
        return CopyPixels(pixels_, *memory->Buffer(), to.left, to.top, from, ColorKeyNone);
    }
    DeviceResult CopyKeyedFrom(DisplaySurface& source, std::int32_t x, std::int32_t y,
                               const ScreenRect& from) override {
        auto* memory = dynamic_cast<MemoryBacked*>(&source);
        if (memory == nullptr) return DeviceResult::Failed;
        return CopyPixels(pixels_, *memory->Buffer(), x, y, from, memory->colorKey);
    }
    DeviceResult SetColorKey(std::uint16_t key) override {
        colorKey = key;
        return DeviceResult::Ok;
    }

private:
    PixelBuffer pixels_;
};

sdl::Placement PlacementOf(const ScreenRect& rect) {
    return sdl::Placement{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool IsEmpty(const ScreenRect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

bool SameRect(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The full-screen flip chain: one memory buffer, which a flip converts into the windows and
// leaves to be drawn over. The windows hold the shown frame themselves, so a second buffer
// would only make every frame redraw the cells of the frame before last as well. Without a
// plan the window shows the frame scaled to fit, with black bars; with one, each monitor's
// window shows its part of the frame as the plan places it.
struct FlipChain {
    PixelBuffer buffer;
    sdl::WindowPresenter presenter;  // the saver window's, without a plan
    ScreenPlan plan;
    sdl::WindowPresenter screens[MaxMonitors];

    bool Hidden() const { return presenter.Host() == nullptr || presenter.Host()->hidden.load(); }

    // The window that shows the whole frame at a whole-number zoom, and where: the saver
    // window without a plan, or the one monitor of a plan that places all of the frame.
    struct WideScreen {
        sdl::WindowPresenter* window = nullptr;
        sdl::Placement place;
        std::int32_t zoom = 1;
    };
    WideScreen Wide() {
        const std::int32_t width = buffer.Width();
        const std::int32_t height = buffer.Height();
        if (plan.count == 0) return {&presenter, sdl::Placement{0, 0, width, height}, 1};
        const PlannedScreen& only = plan.screens[0];
        const ScreenRect whole{0, 0, width, height};
        const std::int32_t zoom = only.zoom;
        if (plan.count != 1 || !SameRect(only.source, whole) || zoom < 1 ||
            only.target.right - only.target.left != width * zoom ||
            only.target.bottom - only.target.top != height * zoom)
            return {};
        return {&screens[0], PlacementOf(only.target), zoom};
    }

    // That window's own pixels, to draw the frame straight into.
    DeviceResult LockWide(LockedMemory& memory) {
        const WideScreen wide = Wide();
        if (Hidden() || wide.window == nullptr) return DeviceResult::Failed;
        bool renewed = false;
        // Without a plan the 16-bit way fits the frame to the window: only one the frame's
        // size shows it unscaled.
        if (!wide.window->WideTarget(wide.place, plan.count == 0, memory, renewed))
            return DeviceResult::Failed;
        memory.zoom = wide.zoom;
        return renewed ? DeviceResult::Lost : DeviceResult::Ok;
    }

    bool Present(const PixelBuffer& shown, const ChangedArea* changes, bool wide) {
        const WideScreen screen = wide ? Wide() : WideScreen{};
        if (screen.window != nullptr)
            return screen.window->PresentWide(changes, screen.place, screen.zoom);
        if (plan.count == 0)
            return presenter.PresentScaled(shown.Pixels(), shown.Pitch(), shown.Width(),
                                           shown.Height(), changes);
        bool primaryShown = false;
        for (int i = 0; i < plan.count; ++i) {
            bool ok = PresentScreen(i, shown, changes);
            if (screens[i].Host() == presenter.Host()) primaryShown = ok;
        }
        return primaryShown;
    }

    bool PresentScreen(int index, const PixelBuffer& shown, const ChangedArea* changes) {
        sdl::WindowPresenter& screen = screens[index];
        if (screen.Host() == nullptr) return false;
        const PlannedScreen& part = plan.screens[index];
        if (IsEmpty(part.source)) return screen.PresentBlack();
        const std::uint16_t* first = shown.Pixels() +
                                     static_cast<std::ptrdiff_t>(part.source.top) * shown.Pitch() +
                                     part.source.left;
        return screen.PresentPlaced(first, shown.Pitch(), part.source.right - part.source.left,
                                    part.source.bottom - part.source.top,
                                    PlacementOf(part.target), changes, part.source.left,
                                    part.source.top);
    }
};

// A plan's part must lie inside the picture, or presenting would read past the buffers.
bool PlanFits(const ScreenPlan& plan, std::int32_t width, std::int32_t height) {
    for (int i = 0; i < plan.count; ++i) {
        const ScreenRect& source = plan.screens[i].source;
        if (IsEmpty(source)) continue;
        if (source.left < 0 || source.top < 0 || source.right > width || source.bottom > height)
            return false;
    }
    return true;
}

class FlipBackBuffer final : public SurfaceBase, public MemoryBacked {
public:
    explicit FlipBackBuffer(std::shared_ptr<FlipChain> chain) : chain_(std::move(chain)) {}
    PixelBuffer* Buffer() override { return &chain_->buffer; }

    DeviceResult Lock(LockedMemory& memory) override {
        if (chain_->Hidden()) return DeviceResult::Lost;
        memory.pixels = Buffer()->Pixels();
        memory.pitchBytes = Buffer()->Pitch() * 2;
        return DeviceResult::Ok;
    }
    DeviceResult FillBlack() override {
        Buffer()->Clear();
        return DeviceResult::Ok;
    }
    DeviceResult CopyKeyedFrom(DisplaySurface& source, std::int32_t x, std::int32_t y,
                               const ScreenRect& from) override {
        auto* memory = dynamic_cast<MemoryBacked*>(&source);
        if (memory == nullptr) return DeviceResult::Failed;
        return CopyPixels(*Buffer(), *memory->Buffer(), x, y, from, memory->colorKey);
    }
    // Flips finish inside Flip; only a hidden or minimised window holds frames back.
    DeviceResult FlipStatus() override {
        return chain_->Hidden() ? DeviceResult::Lost : DeviceResult::Ok;
    }
    DeviceResult Restore() override {
        return chain_->Hidden() ? DeviceResult::Failed : DeviceResult::Ok;
    }
    bool IsLost() override { return chain_->Hidden(); }
    DeviceResult LockWide(LockedMemory& memory) override { return chain_->LockWide(memory); }

private:
    std::shared_ptr<FlipChain> chain_;
};

class FlipPrimary final : public SurfaceBase {
public:
    explicit FlipPrimary(std::shared_ptr<FlipChain> chain) : chain_(std::move(chain)) {}

    DeviceResult AttachedBackBuffer(std::unique_ptr<DisplaySurface>& backBuffer) override {
        backBuffer.reset(new (std::nothrow) FlipBackBuffer(chain_));
        return backBuffer ? DeviceResult::Ok : DeviceResult::Failed;
    }
    void SetChangedArea(const ChangedArea* area) override { changes_ = area; }
    bool TakesChangedArea() const override { return true; }
    void SetWideFrame(bool wide) override { wide_ = wide; }
    DeviceResult Flip() override {
        if (chain_->Hidden()) return DeviceResult::Lost;
        if (!chain_->Present(chain_->buffer, changes_, wide_)) {
            return chain_->Hidden() ? DeviceResult::Lost : DeviceResult::Failed;
        }
        return DeviceResult::Ok;
    }
    DeviceResult FlipStatus() override {
        return chain_->Hidden() ? DeviceResult::Lost : DeviceResult::Ok;
    }
    DeviceResult Restore() override {
        return chain_->Hidden() ? DeviceResult::Failed : DeviceResult::Ok;
    }
    bool IsLost() override { return chain_->Hidden(); }

private:
    std::shared_ptr<FlipChain> chain_;
    const ChangedArea* changes_ = nullptr;
    bool wide_ = false;
};

class WindowClipper final : public DisplayClipper {
public:
    DeviceResult SetWindow(WindowHandle window) override {
        if (sdl::FindHostWindow(window) == nullptr) return DeviceResult::Failed;
        window_ = window;
        return DeviceResult::Ok;
    }
    WindowHandle Window() const { return window_; }

private:
    WindowHandle window_ = 0;
};

// The windowed primary: the desktop, reached only through the clipper's window.
class DesktopPrimary final : public SurfaceBase {
public:
    // A window shown at a glyph zoom: the whole back buffer scaled into the plan's place.
    void Zoom(const PlannedScreen& screen) {
        zoomed_ = screen.zoom > 1;
        place_ = PlacementOf(screen.target);
    }
    DeviceResult SetClipper(DisplayClipper& clipper) override {
        auto* ours = dynamic_cast<WindowClipper*>(&clipper);
        if (ours == nullptr) return DeviceResult::Failed;
        sdl::HostWindow* host = sdl::FindHostWindow(ours->Window());
        if (host == nullptr) return DeviceResult::Failed;
        presenter_.Attach(host);
        return DeviceResult::Ok;
    }
    void SetChangedArea(const ChangedArea* area) override { changes_ = area; }
    bool TakesChangedArea() const override { return true; }
    // to is in screen coordinates, as the window's client origin puts it.
    DeviceResult CopyFrom(DisplaySurface& source, const ScreenRect& to,
                          const ScreenRect& from) override {
        auto* memory = dynamic_cast<MemoryBacked*>(&source);
        sdl::HostWindow* host = presenter_.Host();
        if (memory == nullptr || host == nullptr) return DeviceResult::Failed;
        if (host->hidden.load()) return DeviceResult::Lost;
        PixelBuffer& pixels = *memory->Buffer();
        std::int32_t left = from.left < 0 ? 0 : from.left;
        std::int32_t top = from.top < 0 ? 0 : from.top;
        std::int32_t right = from.right > pixels.Width() ? pixels.Width() : from.right;
        std::int32_t bottom = from.bottom > pixels.Height() ? pixels.Height() : from.bottom;
        if (right <= left || bottom <= top) return DeviceResult::Ok;
        if (zoomed_) {
            return presenter_.PresentPlaced(pixels.Pixels(), pixels.Pitch(), pixels.Width(),
                                            pixels.Height(), place_, changes_)
                       ? DeviceResult::Ok
                       : DeviceResult::Failed;
        }
        const std::uint16_t* first =
            pixels.Pixels() + static_cast<std::ptrdiff_t>(top) * pixels.Pitch() + left;
        std::int32_t x = to.left - host->originX.load() + (left - from.left);
        std::int32_t y = to.top - host->originY.load() + (top - from.top);
        // The changes are in the source's pixels: they fit a copy from its corner only.
        const ChangedArea* changes = left == 0 && top == 0 ? changes_ : nullptr;
        if (!presenter_.PresentAt(first, pixels.Pitch(), right - left, bottom - top, x, y, changes))
            return DeviceResult::Failed;
        return DeviceResult::Ok;
    }
    bool IsLost() override {
        return presenter_.Host() != nullptr && presenter_.Host()->hidden.load();
    }

private:
    sdl::WindowPresenter presenter_;
    bool zoomed_ = false;
    sdl::Placement place_;
    const ChangedArea* changes_ = nullptr;
};

class SdlDevice final : public DisplayDevice {
public:
    DeviceResult SetCooperativeLevel(WindowHandle window, bool fullScreen) override {
        host_ = sdl::FindHostWindow(window);
        if (host_ == nullptr) return DeviceResult::Failed;
        fullScreen_ = fullScreen;
        return DeviceResult::Ok;
    }
    // No real mode change: the desktop-sized window shows the mode's picture scaled to fit.
    DeviceResult SetDisplayMode(std::int32_t width, std::int32_t height,
                                std::int32_t bitsPerPixel) override {
        if (host_ == nullptr || !fullScreen_ || bitsPerPixel != 16) return DeviceResult::Failed;
        if (!SideOk(width) || !SideOk(height)) return DeviceResult::Failed;
        modeWidth_ = width;
        modeHeight_ = height;
        return DeviceResult::Ok;
    }
    DeviceResult CreatePrimary(bool flipChain, std::unique_ptr<DisplaySurface>& primary) override {
        if (host_ == nullptr) return DeviceResult::Failed;
        if (!flipChain) {
            std::unique_ptr<DesktopPrimary> desktop(new (std::nothrow) DesktopPrimary);
            if (!desktop) return DeviceResult::Failed;
            if (plan_.count > 0) desktop->Zoom(plan_.screens[0]);
            primary = std::move(desktop);
            return DeviceResult::Ok;
        }
        if (!fullScreen_ || modeWidth_ == 0) return DeviceResult::Failed;
        std::shared_ptr<FlipChain> chain(new (std::nothrow) FlipChain);
        if (!chain || !chain->buffer.Allocate(modeWidth_, modeHeight_)) return DeviceResult::Failed;
        chain->presenter.Attach(host_);
        if (plan_.count > 0 && PlanFits(plan_, modeWidth_, modeHeight_)) {
            chain->plan = plan_;
            for (int i = 0; i < plan_.count; ++i)
                chain->screens[i].Attach(sdl::FindMonitorWindow(host_->handle, i));
        }
        primary.reset(new (std::nothrow) FlipPrimary(chain));
        return primary ? DeviceResult::Ok : DeviceResult::Failed;
    }
    DeviceResult CreateOffscreen(std::int32_t width, std::int32_t height,
                                 std::unique_ptr<DisplaySurface>& surface) override {
        if (!SideOk(width) || !SideOk(height)) return DeviceResult::Failed;
        std::unique_ptr<MemorySurface> created(new (std::nothrow) MemorySurface);
        if (!created || !created->Allocate(width, height)) return DeviceResult::Failed;
        surface = std::move(created);
        return DeviceResult::Ok;
    }
    DeviceResult CreateClipper(std::unique_ptr<DisplayClipper>& clipper) override {
        clipper.reset(new (std::nothrow) WindowClipper);
        return clipper ? DeviceResult::Ok : DeviceResult::Failed;
    }
    // Takes the full-screen windows away so the desktop, and any message box, shows.
    DeviceResult FlipToDesktop() override {
        if (host_ == nullptr || !fullScreen_) return DeviceResult::Ok;
        for (int i = 0; i < MaxMonitors; ++i) {
            sdl::HostWindow* screen = sdl::FindMonitorWindow(host_->handle, i);
            if (screen != nullptr && screen != host_ && screen->window != nullptr)
                SDL_HideWindow(screen->window);
        }
        if (host_->window != nullptr) SDL_HideWindow(host_->window);
        return DeviceResult::Ok;
    }
    DeviceResult UseScreenPlan(const ScreenPlan& plan) override {
        plan_ = plan;
        return DeviceResult::Ok;
    }

private:
    sdl::HostWindow* host_ = nullptr;
    ScreenPlan plan_;
    bool fullScreen_ = false;
    std::int32_t modeWidth_ = 0;
    std::int32_t modeHeight_ = 0;
};

}  // namespace

std::unique_ptr<DisplayDevice> CreateDisplayDevice() {
    if (!sdl::DisplayIsOpen()) return nullptr;
    return std::unique_ptr<DisplayDevice>(new (std::nothrow) SdlDevice);
}

DesktopMode ReadDesktopMode() {
    DesktopMode mode;
    SDL_DisplayMode desktop;
    if (!sdl::DisplayIsOpen() || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return mode;
    mode.width = desktop.w;
    mode.height = desktop.h;
    mode.bitsPerPixel = static_cast<std::int32_t>(SDL_BITSPERPIXEL(desktop.format));
    return mode;
}

bool OffersDesktopSize() { return true; }

}  // namespace vorlix::platform
