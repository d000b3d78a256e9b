// The memory display: a flip chain or a desktop primary, clippers, off-screen surfaces, a fault
// table, a call log and the shown frame, all behind one mutex.
#include "platform/headless/display_device.h"

#include "glyphs/pixel_format.h"
#include "platform/desktop.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace vorlix::headless {
namespace {

using platform::DeviceResult;

constexpr std::size_t CallLogCapacity = 65536;
constexpr int FaultCapacity = 32;

struct Buffer {
    std::vector<std::uint8_t> bytes;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t pitch = 0;  // bytes
    std::int32_t pixelBytes = 2;

    std::uint8_t* Row(std::int32_t y) { return bytes.data() + static_cast<std::size_t>(y) * pitch; }
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) {
        const std::uint8_t* at = Row(y) + static_cast<std::size_t>(x) * pixelBytes;
        if (pixelBytes == 2) {
            std::uint16_t value;
            std::memcpy(&value, at, 2);
            return value;
        }
        std::uint32_t value;
        std::memcpy(&value, at, 4);
        return value;
    }
};

struct Chain {
    Buffer buffers[2];
    int count = 2;  // with 1, a flip shows buffers[0] and leaves it the back buffer
    int front = 0;
    std::vector<std::uint32_t> wide;  // the screen's own pixels, where offered
    std::int32_t wideZoom = 1;
    bool wideRenewed = true;          // made anew since LockWide last handed it out
    bool wideFrame = false;           // the coming flip shows wide
};

struct Object {
    Role role = Role::Any;
    bool lost = false;
    bool locked = false;
    bool cooperative = false;  // a device's: SetCooperativeLevel went through
    bool flipChain = false;    // a primary's
    std::shared_ptr<Chain> chain;    // flip-chain primary and its back buffer
    std::shared_ptr<Buffer> buffer;  // desktop primary and off-screen surfaces
    Placement placement = Placement::LocalVideo;
    bool keyed = false;
    std::uint16_t key = 0;
    WindowHandle window = 0;  // a clipper's
    int clipper = 0;          // the clipper set on a surface
};

struct Fault {
    DisplayOp op = DisplayOp::Create;
    DeviceResult result = DeviceResult::Failed;
    int remaining = 0;
    Role role = Role::Any;
    int skip = 0;
};

struct Display {
    std::mutex mutex;
    platform::DesktopMode desktop{1024, 768, 16};
    platform::DesktopMode mode{1024, 768, 16};
    DisplayLayout layout = DisplayLayout::Rgb565;
    std::vector<std::pair<std::int32_t, std::int32_t>> refused;
    std::int32_t padding = 0;
    Placement placement = Placement::LocalVideo;
    bool fullScreen = false;
    bool desktopShown = false;
    bool fillOnRestore = false;
    std::uint16_t restoreFill = 0;
    bool moveOnRestore = false;
    std::vector<std::vector<std::uint8_t>> movedAway;  // memory handed out before a move
    int flipChainBuffers = 2;
    bool wideOffered = false;
    std::int32_t wideZoom = 1;
    std::vector<std::uint64_t> wideRenewals;  // shown frame numbers

    std::map<int, Object> objects;
    int nextId = 1;
    std::shared_ptr<Buffer> desktopBuffer;

    std::array<Fault, FaultCapacity> faults{};
    int faultCount = 0;

    std::vector<DisplayCall> calls;  // a ring once full
    std::size_t callStart = 0;

    ShownFrame shown;
    ShownFrameHook hook;
    DisplayCallHook callHook;

    void Reset() {
        desktop = {1024, 768, 16};
        mode = desktop;
        layout = DisplayLayout::Rgb565;
        refused.clear();
        padding = 0;
        placement = Placement::LocalVideo;
        fullScreen = false;
        desktopShown = false;
        fillOnRestore = false;
        restoreFill = 0;
        moveOnRestore = false;
        movedAway.clear();
        flipChainBuffers = 2;
        wideOffered = false;
        wideZoom = 1;
        wideRenewals.clear();
        desktopBuffer.reset();
        faultCount = 0;
        calls.clear();
        callStart = 0;
        shown = ShownFrame{};
        hook = nullptr;
        callHook = nullptr;
        monitors.clear();
        desktopSizeOffered = false;
        plan = ScreenPlan{};
    }
    std::vector<MonitorInfo> monitors;
    bool desktopSizeOffered = false;
    ScreenPlan plan;  // the last one a device was given
};

// Never destroyed, so surfaces released during process exit still find it.
Display& TheDisplay() {
    static Display* display = new Display;
    return *display;
}

std::int32_t PixelBytes(DisplayLayout layout) { return layout == DisplayLayout::Bits32 ? 4 : 2; }

void MakeBuffer(Buffer& buffer, std::int32_t width, std::int32_t height, DisplayLayout layout,
                std::int32_t padding) {
    buffer.width = width;
    buffer.height = height;
    buffer.pixelBytes = PixelBytes(layout);
    buffer.pitch = width * buffer.pixelBytes + padding;
    buffer.bytes.assign(static_cast<std::size_t>(buffer.pitch) * height, 0);
}

// The caller holds the mutex in everything below.
void Record(Display& d, DisplayOp op, Role role, int object, DeviceResult result,
            std::int32_t a = 0, std::int32_t b = 0, std::int32_t c = 0) {
    DisplayCall call{op, role, object, a, b, c, result};
    if (d.calls.capacity() < CallLogCapacity) {
        // Written through once, so filling the ring later faults in no fresh pages: the
        // display's memory stays the same from the first frame to the last.
        d.calls.resize(CallLogCapacity);
        d.calls.clear();
    }
    if (d.calls.size() < CallLogCapacity) {
        d.calls.push_back(call);
    } else {
        d.calls[d.callStart] = call;
        d.callStart = (d.callStart + 1) % CallLogCapacity;
    }
    if (d.callHook) d.callHook(call);
}

bool TakeFault(Display& d, DisplayOp op, Role role, DeviceResult& result) {
    for (int i = 0; i < d.faultCount; ++i) {
        Fault& fault = d.faults[i];
        if (fault.op != op || (fault.role != Role::Any && fault.role != role)) continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        result = fault.result;
        if (--fault.remaining <= 0) {
            std::copy(d.faults.begin() + i + 1, d.faults.begin() + d.faultCount,
                      d.faults.begin() + i);
            --d.faultCount;
        }
        return true;
    }
    return false;
}

// One call on the object: a fault standing for it, or its body; logged either way.
template <typename Body>
DeviceResult RunOn(int id, Role role, DisplayOp op, Body body, std::int32_t a, std::int32_t b,
                   std::int32_t c) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    DeviceResult result = DeviceResult::Ok;
    if (!TakeFault(d, op, role, result)) {
        auto found = d.objects.find(id);
        result = found == d.objects.end() ? DeviceResult::Failed : body(d, found->second);
    }
    Record(d, op, role, id, result, a, b, c);
    return result;
}

// A change or a look at the display under its lock.
template <typename Body>
auto Locked(Body body) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    return body(d);
}

void ReleaseObject(int id, Role role) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    Record(d, DisplayOp::Release, role, id, DeviceResult::Ok);
    d.objects.erase(id);
}

int AddObject(Display& d, Object object) {
    int id = d.nextId++;
    d.objects.emplace(id, std::move(object));
    return id;
}

Buffer* BufferBehind(Object& object) {
    if (object.chain) {
        Chain& chain = *object.chain;
        if (chain.count == 1) return &chain.buffers[0];
        int index = object.role == Role::Primary ? chain.front : 1 - chain.front;
        return &chain.buffers[index];
    }
    return object.buffer.get();
}

void ShowFrame(Display& d, Buffer& buffer, const ScreenRect& area) {
    ++d.shown.number;
    if (buffer.pixelBytes != 2) return;
    std::int32_t width = area.right - area.left;
    std::int32_t height = area.bottom - area.top;
    d.shown.width = width;
    d.shown.height = height;
    d.shown.layout = d.layout;
    d.shown.pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y) {
        std::memcpy(&d.shown.pixels[static_cast<std::size_t>(y) * width],
                    buffer.Row(area.top + y) + static_cast<std::size_t>(area.left) * 2,
                    static_cast<std::size_t>(width) * 2);
    }
    if (d.hook) d.hook(d.shown.pixels.data(), width, height, width, d.shown.number);
}

// A 16-bit pixel of the display's layout as the screen's own.
std::uint32_t Widened(std::uint16_t pixel, DisplayLayout layout) {
    return WidenPixel(pixel, layout == DisplayLayout::Rgb565 ? Rgb565 : Rgb555);
}

void RenewWide(Display& d, Chain& chain) {
    const auto& renewals = d.wideRenewals;
    if (std::find(renewals.begin(), renewals.end(), d.shown.number) == renewals.end()) return;
    std::fill(chain.wide.begin(), chain.wide.end(), 0xFF000000u);
    chain.wideRenewed = true;
}

// The screen's own pixels back in the display's 16-bit layout: each channel's top bits, of
// each frame pixel's first screen pixel.
std::uint16_t Narrowed(std::uint32_t wide, DisplayLayout layout) {
    const bool six = layout == DisplayLayout::Rgb565;
    const std::uint32_t r = (wide >> 19) & 31, b = (wide >> 3) & 31;
    const std::uint32_t g = six ? (wide >> 10) & 63 : (wide >> 11) & 31;
    return static_cast<std::uint16_t>(six ? r << 11 | g << 5 | b : r << 10 | g << 5 | b);
}

// True when the zoom by zoom screen pixels of frame pixel (x, y) are all alike.
bool ZoomedEvenly(const Chain& chain, std::int32_t width, std::int32_t x, std::int32_t y) {
    const std::int32_t zoom = chain.wideZoom;
    const std::size_t pitch = static_cast<std::size_t>(width) * zoom;
    const std::uint32_t first = chain.wide[static_cast<std::size_t>(y) * zoom * pitch + x * zoom];
    for (std::int32_t dy = 0; dy < zoom; ++dy)
        for (std::int32_t dx = 0; dx < zoom; ++dx)
            if (chain.wide[(static_cast<std::size_t>(y) * zoom + dy) * pitch + x * zoom + dx] !=
                first)
                return false;
    return true;
}

void ShowWideFrame(Display& d, const Chain& chain, std::int32_t width, std::int32_t height) {
    Buffer narrow;
    narrow.width = width;
    narrow.height = height;
    narrow.pixelBytes = 2;
    narrow.pitch = width * 2;
    narrow.bytes.resize(static_cast<std::size_t>(width) * height * 2);
    const std::int32_t zoom = chain.wideZoom;
    const std::size_t pitch = static_cast<std::size_t>(width) * zoom;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint16_t pixel =
                Narrowed(chain.wide[static_cast<std::size_t>(y) * zoom * pitch + x * zoom], d.layout);
            if (!ZoomedEvenly(chain, width, x, y)) pixel ^= 1;
            std::memcpy(&narrow.bytes[(static_cast<std::size_t>(y) * width + x) * 2], &pixel, 2);
        }
    }
    ShowFrame(d, narrow, ScreenRect{0, 0, width, height});
}

platform::PixelMasks MasksOf(DisplayLayout layout) {
    switch (layout) {
        case DisplayLayout::Rgb555: return {0x7C00, 0x03E0, 0x001F, 16};
        case DisplayLayout::Rgb565: return {0xF800, 0x07E0, 0x001F, 16};
        case DisplayLayout::Bits32: return {0xFF0000, 0x00FF00, 0x0000FF, 32};
    }
    return {};
}

std::uint32_t CapsOf(Placement placement) {
    switch (placement) {
        case Placement::LocalVideo:
            return platform::CapsVideoMemory | platform::CapsLocalVideoMemory;
        case Placement::NonLocalVideo: return platform::CapsVideoMemory;
        case Placement::SystemMemory: return platform::CapsSystemMemory;
    }
    return 0;
}

bool InsideSource(const Buffer& source, const ScreenRect& from) {
    return from.left >= 0 && from.top >= 0 && from.right <= source.width &&
           from.bottom <= source.height && from.left <= from.right && from.top <= from.bottom;
}

// Clips a copy of `from` to (x, y) against `clip`; false when nothing is left.
bool ClipCopy(const ScreenRect& clip, std::int32_t& x, std::int32_t& y, ScreenRect& from) {
    if (x < clip.left) { from.left += clip.left - x; x = clip.left; }
    if (y < clip.top) { from.top += clip.top - y; y = clip.top; }
    from.right = std::min(from.right, from.left + (clip.right - x));
    from.bottom = std::min(from.bottom, from.top + (clip.bottom - y));
    return from.right > from.left && from.bottom > from.top;
}

// The window's client area on the screen; empty when the window is gone.
ScreenRect WindowOnScreen(WindowHandle window) {
    ScreenRect client;
    ScreenPoint origin;
    if (!platform::ClientRect(window, client) || !platform::ClientToScreen(window, origin)) {
        return ScreenRect{};
    }
    return ScreenRect{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

ScreenRect Intersect(const ScreenRect& a, const ScreenRect& b) {
    return ScreenRect{std::max(a.left, b.left), std::max(a.top, b.top),
                      std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

class HeadlessClipper final : public platform::DisplayClipper {
public:
    explicit HeadlessClipper(int id) : id_(id) {}
    ~HeadlessClipper() override {
        ReleaseObject(id_, Role::Clipper);
    }
    DeviceResult SetWindow(WindowHandle window) override {
        Display& d = TheDisplay();
        std::lock_guard lock(d.mutex);
        DeviceResult result = DeviceResult::Ok;
        TakeFault(d, DisplayOp::SetWindow, Role::Clipper, result);
        if (window == 0 && result == DeviceResult::Ok) result = DeviceResult::Failed;
        auto found = d.objects.find(id_);
        if (result == DeviceResult::Ok && found != d.objects.end()) found->second.window = window;
        Record(d, DisplayOp::SetWindow, Role::Clipper, id_, result,
               static_cast<std::int32_t>(window));
        return result;
    }
    int Id() const { return id_; }

private:
    int id_;
};

class HeadlessSurface final : public platform::DisplaySurface {
public:
    HeadlessSurface(int id, Role role) : id_(id), role_(role) {}
    ~HeadlessSurface() override {
        ReleaseObject(id_, role_);
    }

    DeviceResult Lock(platform::LockedMemory& memory) override {
        return Run(DisplayOp::Lock, [&](Display&, Object& self) {
            if (self.lost) return DeviceResult::Lost;
            if (self.locked) return DeviceResult::Busy;
            Buffer* buffer = BufferBehind(self);
            self.locked = true;
            memory.pixels = buffer->bytes.data();
            memory.pitchBytes = buffer->pitch;
            return DeviceResult::Ok;
        });
    }
    DeviceResult Unlock() override {
        return Run(DisplayOp::Unlock, [&](Display&, Object& self) {
            if (!self.locked) return DeviceResult::Failed;
            self.locked = false;
            return DeviceResult::Ok;
        });
    }
    DeviceResult PixelFormat(platform::PixelMasks& masks) override {
        return Run(DisplayOp::PixelFormat, [&](Display& d, Object&) {
            masks = MasksOf(d.layout);
            return DeviceResult::Ok;
        });
    }
    DeviceResult SetClipper(platform::DisplayClipper& clipper) override {
        int clipperId = static_cast<HeadlessClipper&>(clipper).Id();
        return Run(DisplayOp::SetClipper, [&](Display&, Object& self) {
            self.clipper = clipperId;
            return DeviceResult::Ok;
        }, clipperId);
    }
    DeviceResult AttachedBackBuffer(std::unique_ptr<platform::DisplaySurface>& back) override {
        int backId = 0;
        DeviceResult result = Run(DisplayOp::AttachedBackBuffer, [&](Display& d, Object& self) {
            if (!self.flipChain) return DeviceResult::Failed;
            Object object;
            object.role = Role::BackBuffer;
            object.chain = self.chain;
            backId = AddObject(d, std::move(object));
            return DeviceResult::Ok;
        });
        if (result == DeviceResult::Ok) back = std::make_unique<HeadlessSurface>(backId, Role::BackBuffer);
        return result;
    }
    DeviceResult FillBlack() override {
        return Run(DisplayOp::FillBlack, [&](Display&, Object& self) {
            if (self.lost) return DeviceResult::Lost;
            if (self.locked) return DeviceResult::Busy;
            Buffer* buffer = BufferBehind(self);
            std::fill(buffer->bytes.begin(), buffer->bytes.end(), 0);
            return DeviceResult::Ok;
        });
    }
    DeviceResult CopyFrom(platform::DisplaySurface& source, const ScreenRect& to,
                          const ScreenRect& from) override {
        int sourceId = static_cast<HeadlessSurface&>(source).id_;
        return Run(DisplayOp::CopyFrom, [&](Display& d, Object& self) {
            if (to.right - to.left != from.right - from.left ||
                to.bottom - to.top != from.bottom - from.top) {
                return DeviceResult::Failed;  // no stretching
            }
            return Copy(d, self, sourceId, to.left, to.top, from, false);
        }, to.left, to.top, sourceId);
    }
    DeviceResult CopyKeyedFrom(platform::DisplaySurface& source, std::int32_t x, std::int32_t y,
                               const ScreenRect& from) override {
        int sourceId = static_cast<HeadlessSurface&>(source).id_;
        return Run(DisplayOp::CopyKeyedFrom, [&](Display& d, Object& self) {
            return Copy(d, self, sourceId, x, y, from, true);
        }, x, y, sourceId);
    }
    DeviceResult FlipStatus() override {
        return Run(DisplayOp::FlipStatus, [&](Display&, Object& self) {
            return self.lost ? DeviceResult::Lost : DeviceResult::Ok;
        });
    }
    DeviceResult BlitStatus() override {
        return Run(DisplayOp::BlitStatus, [&](Display&, Object& self) {
            return self.lost ? DeviceResult::Lost : DeviceResult::Ok;
        });
    }
    DeviceResult Flip() override {
        return Run(DisplayOp::Flip, [&](Display& d, Object& self) {
            if (!self.flipChain) return DeviceResult::Failed;
            if (self.lost) return DeviceResult::Lost;
            if (ChainLocked(d, self)) return DeviceResult::Busy;
            if (self.chain->count == 2) self.chain->front = 1 - self.chain->front;
            d.desktopShown = false;
            Buffer& front = self.chain->buffers[self.chain->front];
            if (self.chain->wideFrame && !self.chain->wide.empty()) {
                ShowWideFrame(d, *self.chain, front.width, front.height);
                RenewWide(d, *self.chain);
                return DeviceResult::Ok;
            }
            ShowFrame(d, front, ScreenRect{0, 0, front.width, front.height});
            return DeviceResult::Ok;
        });
    }
    DeviceResult Restore() override {
        return Run(DisplayOp::Restore, [&](Display& d, Object& self) {
            self.lost = false;
            if (d.moveOnRestore) MoveRestored(d, self);
            if (d.fillOnRestore) FillRestored(d, self);
            if (!self.flipChain) return DeviceResult::Ok;
            for (auto& [id, other] : d.objects) {
                if (other.chain == self.chain) other.lost = false;
            }
            return DeviceResult::Ok;
        });
    }
    bool IsLost() override {
        DeviceResult result = Run(DisplayOp::IsLost, [&](Display&, Object& self) {
            return self.lost ? DeviceResult::Lost : DeviceResult::Ok;
        });
        return result != DeviceResult::Ok;
    }
    DeviceResult SetColorKey(std::uint16_t key) override {
        return Run(DisplayOp::SetColorKey, [&](Display&, Object& self) {
            self.keyed = true;
            self.key = key;
            return DeviceResult::Ok;
        }, key);
    }
    DeviceResult LockWide(platform::LockedMemory& memory) override {
        return Run(DisplayOp::LockWide, [&](Display&, Object& self) {
            if (!self.chain || self.chain->wide.empty()) return DeviceResult::Failed;
            if (self.lost) return DeviceResult::Lost;
            if (self.chain->wideRenewed) {
                self.chain->wideRenewed = false;
                return DeviceResult::Lost;
            }
            memory.pixels = self.chain->wide.data();
            memory.pitchBytes = self.chain->buffers[0].width * self.chain->wideZoom * 4;
            memory.zoom = self.chain->wideZoom;
            return DeviceResult::Ok;
        });
    }
    void SetWideFrame(bool wide) override {
        Display& d = TheDisplay();
        std::lock_guard lock(d.mutex);
        auto found = d.objects.find(id_);
        if (found != d.objects.end() && found->second.chain) found->second.chain->wideFrame = wide;
    }
    DeviceResult Capabilities(std::uint32_t& caps) override {
        return Run(DisplayOp::Capabilities, [&](Display&, Object& self) {
            caps = self.role == Role::Offscreen ? CapsOf(self.placement)
                                                : platform::CapsVideoMemory |
                                                      platform::CapsLocalVideoMemory;
            return DeviceResult::Ok;
        });
    }

private:
    template <typename Body>
    DeviceResult Run(DisplayOp op, Body body, std::int32_t a = 0, std::int32_t b = 0,
                     std::int32_t c = 0) {
        return RunOn(id_, role_, op, body, a, b, c);
    }

    static void FillBuffer(Buffer& buffer, std::uint16_t value) {
        for (std::size_t at = 0; at + 1 < buffer.bytes.size(); at += 2)
            std::memcpy(&buffer.bytes[at], &value, 2);
    }

    static void FillRestored(Display& d, Object& self) {
        if (self.chain) {
            for (Buffer& buffer : self.chain->buffers) FillBuffer(buffer, d.restoreFill);
            std::fill(self.chain->wide.begin(), self.chain->wide.end(),
                      Widened(d.restoreFill, d.layout));
            self.chain->wideRenewed = true;
        } else if (self.buffer && self.buffer != d.desktopBuffer) {
            FillBuffer(*self.buffer, d.restoreFill);
        }
    }

    // New memory with the old contents; the old memory is kept for whoever still writes it.
    static void Move(Display& d, Buffer& buffer) {
        std::vector<std::uint8_t> moved(buffer.bytes);
        d.movedAway.push_back(std::move(buffer.bytes));
        buffer.bytes = std::move(moved);
    }

    static void MoveRestored(Display& d, Object& self) {
        if (self.chain) {
            for (int i = 0; i < self.chain->count; ++i) Move(d, self.chain->buffers[i]);
        } else if (self.buffer && self.buffer != d.desktopBuffer) {
            Move(d, *self.buffer);
        }
    }

    static bool ChainLocked(Display& d, const Object& self) {
        for (auto& [id, other] : d.objects) {
            if (other.chain == self.chain && other.locked) return true;
        }
        return false;
    }

    DeviceResult Copy(Display& d, Object& self, int sourceId, std::int32_t x, std::int32_t y,
                      ScreenRect from, bool keyed) {
        auto found = d.objects.find(sourceId);
        if (found == d.objects.end()) return DeviceResult::Failed;
        Object& source = found->second;
        if (self.lost || source.lost) return DeviceResult::Lost;
        if (self.locked || source.locked) return DeviceResult::Busy;
        Buffer* target = BufferBehind(self);
        Buffer* origin = BufferBehind(source);
        if (target->pixelBytes != origin->pixelBytes) return DeviceResult::Failed;
        if (!InsideSource(*origin, from)) return DeviceResult::Failed;
        if (!ClipCopy(ClipOf(d, self, *target), x, y, from)) return DeviceResult::Ok;
        bool useKey = keyed && source.keyed;
        std::int32_t width = from.right - from.left;
        for (std::int32_t row = 0; row < from.bottom - from.top; ++row) {
            std::uint8_t* out = target->Row(y + row) + static_cast<std::size_t>(x) * target->pixelBytes;
            std::uint8_t* in = origin->Row(from.top + row) +
                               static_cast<std::size_t>(from.left) * origin->pixelBytes;
            if (!useKey) {
                std::memmove(out, in, static_cast<std::size_t>(width) * origin->pixelBytes);
                continue;
            }
            for (std::int32_t column = 0; column < width; ++column) {
                if (origin->Pixel(from.left + column, from.top + row) == source.key) continue;
                std::memcpy(out + column * origin->pixelBytes, in + column * origin->pixelBytes,
                            origin->pixelBytes);
            }
        }
        if (self.role == Role::Primary && !self.flipChain) {
            ShowFrame(d, *target, ScreenRect{x, y, x + width, y + (from.bottom - from.top)});
        }
        return DeviceResult::Ok;
    }

    // The surface, and on a primary with a clipper the clipper's window too.
    static ScreenRect ClipOf(Display& d, const Object& self, const Buffer& target) {
        ScreenRect clip{0, 0, target.width, target.height};
        auto clipper = d.objects.find(self.clipper);
        if (self.role != Role::Primary || clipper == d.objects.end()) return clip;
        if (clipper->second.window == 0) return clip;
        return Intersect(clip, WindowOnScreen(clipper->second.window));
    }

    int id_;
    Role role_;
};

class HeadlessDevice final : public platform::DisplayDevice {
public:
    explicit HeadlessDevice(int id) : id_(id) {}
    ~HeadlessDevice() override {
        ReleaseObject(id_, Role::Device);
    }

    DeviceResult SetCooperativeLevel(WindowHandle window, bool fullScreen) override {
        return Run(DisplayOp::SetCooperativeLevel, [&](Display& d, Object& self) {
            if (window == 0) return DeviceResult::Failed;
            self.cooperative = true;
            d.fullScreen = fullScreen;
            return DeviceResult::Ok;
        }, static_cast<std::int32_t>(window), fullScreen ? 1 : 0);
    }
    DeviceResult UseScreenPlan(const ScreenPlan& plan) override {
        Display& d = TheDisplay();
        std::lock_guard lock(d.mutex);
        d.plan = plan;
        return DeviceResult::Ok;
    }
    DeviceResult SetDisplayMode(std::int32_t width, std::int32_t height,
                                std::int32_t bitsPerPixel) override {
        return Run(DisplayOp::SetDisplayMode, [&](Display& d, Object&) {
            bool refused = std::find(d.refused.begin(), d.refused.end(),
                                     std::make_pair(width, height)) != d.refused.end();
            if (refused || width <= 0 || height <= 0 || bitsPerPixel <= 0) {
                return DeviceResult::Failed;
            }
            d.mode = {width, height, bitsPerPixel};
            return DeviceResult::Ok;
        }, width, height, bitsPerPixel);
    }
    DeviceResult CreatePrimary(bool flipChain,
                               std::unique_ptr<platform::DisplaySurface>& primary) override {
        int primaryId = 0;
        DeviceResult result = Run(DisplayOp::CreatePrimary, [&](Display& d, Object& self) {
            if (!self.cooperative || (flipChain && !d.fullScreen)) return DeviceResult::Failed;
            for (auto& [id, other] : d.objects) {
                if (other.role == Role::Primary) return DeviceResult::Failed;  // only one
            }
            Object object;
            object.role = Role::Primary;
            object.flipChain = flipChain;
            if (flipChain) {
                object.chain = std::make_shared<Chain>();
                object.chain->count = d.flipChainBuffers;
                if (d.wideOffered && d.flipChainBuffers == 1) {
                    object.chain->wideZoom = d.wideZoom;
                    object.chain->wide.assign(static_cast<std::size_t>(d.mode.width) *
                                                  d.mode.height * d.wideZoom * d.wideZoom,
                                              0);
                }
                for (int i = 0; i < object.chain->count; ++i) {
                    MakeBuffer(object.chain->buffers[i], d.mode.width, d.mode.height, d.layout,
                               d.padding);
                }
            } else {
                if (!d.desktopBuffer) {
                    d.desktopBuffer = std::make_shared<Buffer>();
                    MakeBuffer(*d.desktopBuffer, d.desktop.width, d.desktop.height, d.layout,
                               d.padding);
                }
                object.buffer = d.desktopBuffer;
            }
            primaryId = AddObject(d, std::move(object));
            return DeviceResult::Ok;
        }, flipChain ? 1 : 0);
        if (result == DeviceResult::Ok) {
            primary = std::make_unique<HeadlessSurface>(primaryId, Role::Primary);
        }
        return result;
    }
    DeviceResult CreateOffscreen(std::int32_t width, std::int32_t height,
                                 std::unique_ptr<platform::DisplaySurface>& surface) override {
        int surfaceId = 0;
        DeviceResult result = Run(DisplayOp::CreateOffscreen, [&](Display& d, Object& self) {
            if (!self.cooperative || width <= 0 || height <= 0) return DeviceResult::Failed;
            Object object;
            object.role = Role::Offscreen;
            object.placement = d.placement;
            object.buffer = std::make_shared<Buffer>();
            MakeBuffer(*object.buffer, width, height, d.layout, d.padding);
            surfaceId = AddObject(d, std::move(object));
            return DeviceResult::Ok;
        }, width, height);
        if (result == DeviceResult::Ok) {
            surface = std::make_unique<HeadlessSurface>(surfaceId, Role::Offscreen);
        }
        return result;
    }
    DeviceResult CreateClipper(std::unique_ptr<platform::DisplayClipper>& clipper) override {
        int clipperId = 0;
        DeviceResult result = Run(DisplayOp::CreateClipper, [&](Display& d, Object&) {
            Object object;
            object.role = Role::Clipper;
            clipperId = AddObject(d, std::move(object));
            return DeviceResult::Ok;
        });
        if (result == DeviceResult::Ok) clipper = std::make_unique<HeadlessClipper>(clipperId);
        return result;
    }
    DeviceResult FlipToDesktop() override {
        return Run(DisplayOp::FlipToDesktop, [&](Display& d, Object&) {
            d.desktopShown = true;
            return DeviceResult::Ok;
        });
    }

private:
    template <typename Body>
    DeviceResult Run(DisplayOp op, Body body, std::int32_t a = 0, std::int32_t b = 0,
                     std::int32_t c = 0) {
        return RunOn(id_, Role::Device, op, body, a, b, c);
    }

    int id_;
};

}  // namespace

const char* OpName(DisplayOp op) {
    static const char* const names[] = {
        "Create",     "SetCooperativeLevel", "SetDisplayMode", "CreatePrimary",
        "CreateOffscreen", "CreateClipper",  "FlipToDesktop",  "SetWindow",
        "Lock",       "Unlock",              "PixelFormat",    "SetClipper",
        "AttachedBackBuffer", "FillBlack",   "CopyFrom",       "CopyKeyedFrom",
        "FlipStatus", "BlitStatus",          "Flip",           "Restore",
        "IsLost",     "SetColorKey",         "Capabilities",   "LockWide",
        "Release"};
    return names[static_cast<int>(op)];
}

const char* RoleName(Role role) {
    static const char* const names[] = {"Any",     "Device",     "Clipper",
                                        "Primary", "BackBuffer", "Offscreen"};
    return names[static_cast<int>(role)];
}

void ResetDisplay() {
    Locked([&](Display& d) { d.Reset(); });
}

void SetDesktopMode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    d.desktop = {width, height, bitsPerPixel};
    d.mode = d.desktop;
    d.desktopBuffer.reset();
}

void SetMonitors(const std::vector<MonitorInfo>& monitors) {
    Locked([&](Display& d) { d.monitors = monitors; });
}

void OfferDesktopSize(bool offered) {
    Locked([&](Display& d) { d.desktopSizeOffered = offered; });
}

ScreenPlan LastScreenPlan() {
    return Locked([&](Display& d) { return d.plan; });
}

void SetDisplayLayout(DisplayLayout layout) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    d.layout = layout;
    d.desktop.bitsPerPixel = layout == DisplayLayout::Bits32 ? 32 : 16;
    d.mode.bitsPerPixel = d.desktop.bitsPerPixel;
    d.desktopBuffer.reset();
}

void RefuseDisplayMode(std::int32_t width, std::int32_t height) {
    Locked([&](Display& d) { d.refused.emplace_back(width, height); });
}

void SetRowPaddingBytes(std::int32_t bytes) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    d.padding = std::max(0, bytes);
    d.desktopBuffer.reset();
}

void SetFlipChainBuffers(int count) {
    Locked([&](Display& d) { d.flipChainBuffers = count == 1 ? 1 : 2; });
}

void OfferWideBackBuffer(bool offered, std::int32_t zoom) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    d.wideOffered = offered;
    d.wideZoom = std::clamp(zoom, 1, 8);
}

void RenewWideAfter(std::uint64_t shownFrame) {
    Locked([&](Display& d) { d.wideRenewals.push_back(shownFrame); });
}

void SetOffscreenPlacement(Placement placement) {
    Locked([&](Display& d) { d.placement = placement; });
}

void InjectFault(DisplayOp op, DeviceResult result, int calls, Role role, int skip) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    if (d.faultCount >= FaultCapacity || calls <= 0) return;
    d.faults[d.faultCount++] = Fault{op, result, calls, role, std::max(0, skip)};
}

void ClearFaults() {
    Locked([&](Display& d) { d.faultCount = 0; });
}

void LoseSurfaces() {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    for (auto& [id, object] : d.objects) {
        if (object.role == Role::Primary || object.role == Role::BackBuffer ||
            object.role == Role::Offscreen) {
            object.lost = true;
        }
    }
}

void FillOnRestore(bool fill, std::uint16_t value) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    d.fillOnRestore = fill;
    d.restoreFill = value;
}

void MoveMemoryOnRestore(bool move) {
    Locked([&](Display& d) { d.moveOnRestore = move; });
}

platform::DesktopMode CurrentDisplayMode() {
    return Locked([&](Display& d) { return d.mode; });
}

bool FullScreenCooperation() {
    return Locked([&](Display& d) { return d.fullScreen; });
}

bool DesktopShown() {
    return Locked([&](Display& d) { return d.desktopShown; });
}

int LiveObjects() {
    return Locked([&](Display& d) { return static_cast<int>(d.objects.size()); });
}

std::vector<DisplayCall> DisplayCalls() {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    std::vector<DisplayCall> calls(d.calls.begin() + static_cast<std::ptrdiff_t>(d.callStart),
                                   d.calls.end());
    calls.insert(calls.end(), d.calls.begin(),
                 d.calls.begin() + static_cast<std::ptrdiff_t>(d.callStart));
    return calls;
}

std::vector<DisplayCall> DisplayCalls(DisplayOp op) {
    std::vector<DisplayCall> calls = DisplayCalls();
    std::erase_if(calls, [op](const DisplayCall& call) { return call.op != op; });
    return calls;
}

void ClearDisplayCalls() {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    d.calls.clear();
    d.callStart = 0;
}

std::string FormatCall(const DisplayCall& call) {
    static const char* const results[] = {"Ok", "Pending", "Lost", "Busy", "Failed"};
    std::string text = OpName(call.op);
    text += ' ';
    text += RoleName(call.role);
    text += '#' + std::to_string(call.object);
    text += " (" + std::to_string(call.a) + ", " + std::to_string(call.b) + ", " +
            std::to_string(call.c) + ") -> ";
    text += results[static_cast<int>(call.result)];
    return text;
}

std::uint64_t ShownFrameCount() {
    return Locked([&](Display& d) { return d.shown.number; });
}

bool CaptureShownFrame(ShownFrame& frame) {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    if (d.shown.pixels.empty()) return false;
    frame = d.shown;
    return true;
}

void SetDisplayCallHook(DisplayCallHook hook) {
    Locked([&](Display& d) { d.callHook = std::move(hook); });
}

void SetShownFrameHook(ShownFrameHook hook) {
    Locked([&](Display& d) { d.hook = std::move(hook); });
}

namespace {

std::unique_ptr<platform::DisplayDevice> MakeDevice() {
    Display& d = TheDisplay();
    std::lock_guard lock(d.mutex);
    DeviceResult result = DeviceResult::Ok;
    if (TakeFault(d, DisplayOp::Create, Role::Device, result) && result != DeviceResult::Ok) {
        Record(d, DisplayOp::Create, Role::Device, 0, result);
        return nullptr;
    }
    Object object;
    object.role = Role::Device;
    int id = AddObject(d, std::move(object));
    Record(d, DisplayOp::Create, Role::Device, id, DeviceResult::Ok);
    return std::make_unique<HeadlessDevice>(id);
}

}  // namespace

}  // namespace vorlix::headless

namespace vorlix::platform {

std::unique_ptr<DisplayDevice> CreateDisplayDevice() { return headless::MakeDevice(); }

DesktopMode ReadDesktopMode() {
    headless::Display& d = headless::TheDisplay();
    std::lock_guard lock(d.mutex);
    return d.desktop;
}

int ReadMonitors(MonitorInfo* monitors, int capacity) {
    headless::Display& d = headless::TheDisplay();
    std::lock_guard lock(d.mutex);
    int count = 0;
    for (const MonitorInfo& monitor : d.monitors) {
        if (count == capacity) break;
        monitors[count++] = monitor;
    }
    return count;
}

// The monitors are whatever the test set: nothing to lay out.
int CoverMonitors(WindowHandle) {
    headless::Display& d = headless::TheDisplay();
    std::lock_guard lock(d.mutex);
    return static_cast<int>(d.monitors.size());
}

bool OffersDesktopSize() {
    headless::Display& d = headless::TheDisplay();
    std::lock_guard lock(d.mutex);
    return d.desktopSizeOffered;
}

}  // namespace vorlix::platform
