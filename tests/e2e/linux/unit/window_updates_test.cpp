// The Linux window's partial updates, byte for byte: rain drawn frame by frame through the
// display manager into real SDL window surfaces (SDL's dummy video driver, no X server), and
// a model of the screen that takes from each surface only the parts an update names, as the X
// server does. Every frame, each window's screen must equal a whole conversion of the same
// frame drawn in full, also after the surface is made anew and after an expose, which leave
// the screen showing something else until the window puts it right.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/ddraw_manager.h"
#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "platform/sdl/frame_converter.h"
#include "platform/sdl/host_windows.h"
#include "platform/sdl/window_presenter.h"
#include "rain/draw_thread.h"
#include "rain/frame_drawing.h"
#include "rain/random.h"
#include "rain/thread_flags.h"

// SDL's updates go through the screen model; the display device asks whether a display is
// open, which the dummy driver does not make an X11 one.
extern "C" {
int __real_SDL_UpdateWindowSurface(SDL_Window* window);
int __real_SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count);
int __wrap_SDL_UpdateWindowSurface(SDL_Window* window);
int __wrap_SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count);
bool __wrap__ZN6vorlix3sdl13DisplayIsOpenEv();
}

namespace vorlix {
namespace {

constexpr int Frames = 2000;
constexpr std::uint32_t Scribble = 0x00FF00FFu;  // what an uncovered or resized window shows
constexpr std::uint32_t Rgb = 0x00FFFFFFu;       // the X server ignores the top byte

// What the X server shows of one window: only the parts an update named.
struct Screen {
    SDL_Window* window = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;
    int wholeUpdates = 0;
    int partUpdates = 0;
    std::int64_t updatedPixels = 0;  // named by the updates, over the run

    void Take(const SDL_Rect& rect) {
        updatedPixels += static_cast<std::int64_t>(rect.w) * rect.h;
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        if (surface == nullptr) return;
        const int left = rect.x < 0 ? 0 : rect.x;
        const int top = rect.y < 0 ? 0 : rect.y;
        const int right = rect.x + rect.w > width ? width : rect.x + rect.w;
        const int bottom = rect.y + rect.h > height ? height : rect.y + rect.h;
        for (int y = top; y < bottom; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch);
            for (int x = left; x < right; ++x)
                pixels[static_cast<std::size_t>(y) * width + x] = row[x];
        }
    }
    void Uncover() { std::fill(pixels.begin(), pixels.end(), Scribble); }
};

std::vector<Screen*> Screens;

Screen* ScreenOf(SDL_Window* window) {
    for (Screen* screen : Screens)
        if (screen->window == window) return screen;
    return nullptr;
}

}  // namespace
}  // namespace vorlix

extern "C" int __wrap_SDL_UpdateWindowSurface(SDL_Window* window) {
    const int result = __real_SDL_UpdateWindowSurface(window);
    vorlix::Screen* screen = vorlix::ScreenOf(window);
    if (result == 0 && screen != nullptr) {
        ++screen->wholeUpdates;
        screen->Take(SDL_Rect{0, 0, screen->width, screen->height});
    }
    return result;
}

extern "C" int __wrap_SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects,
                                                   int count) {
    const int result = __real_SDL_UpdateWindowSurfaceRects(window, rects, count);
    vorlix::Screen* screen = vorlix::ScreenOf(window);
    if (result == 0 && screen != nullptr) {
        ++screen->partUpdates;
        for (int i = 0; i < count; ++i) screen->Take(rects[i]);
    }
    return result;
}

extern "C" bool __wrap__ZN6vorlix3sdl13DisplayIsOpenEv() {
    return true;
}

namespace vorlix {
namespace {

constexpr sdl::TargetLayout Xrgb{4, 0x00FF0000, 0x0000FF00, 0x000000FF};

// Glyphs whose inked pixels all differ, each frame with its own blank rows at the top and the
// bottom, so that a cell drawn wrong, in the wrong place or not at all shows.
std::unique_ptr<Animation> MakeGlyphs(std::int32_t side, bool lle) {
    auto glyphs = std::make_unique<Animation>(side, side, 55, lle ? 1 : 0);
    std::vector<std::uint16_t> raw(static_cast<std::size_t>(side) * side);
    GraphicsLoader loader;
    loader.SetPixelFormat(Rgb565);
    for (int frame = 0; frame < 55; ++frame) {
        for (std::int32_t i = 0; i < side * side; ++i) {
            const std::int32_t row = i / side;
            const bool inked = frame != BlankGlyph && row >= frame % 3 && row < side - frame % 4;
            raw[static_cast<std::size_t>(i)] =
                inked ? static_cast<std::uint16_t>((frame * 7919 + i * 2731) % 0xFFFF + 1) : 0;
        }
        if (lle) {
            glyphs->frames[frame] = loader.EncodeFrame(raw.data(), side, side);
        } else {
            glyphs->frames[frame] = new std::uint16_t[raw.size()];
            std::copy(raw.begin(), raw.end(), glyphs->frames[frame]);
        }
    }
    return glyphs;
}

// One window of the run: a monitor of the plan, or the saver's only window.
struct WindowShape {
    std::int32_t width = 0;
    std::int32_t height = 0;
    ScreenRect source;  // of the frame; empty: all of it, fitted
    ScreenRect target;  // where that shows in the window
};

struct Case {
    std::int32_t frameWidth = 0;
    std::int32_t frameHeight = 0;
    std::int32_t glyphSide = 8;
    std::uint32_t streams = 200;
    bool lle = false;       // a glyph set that cannot be widened to the screen's pixels
    std::int32_t zoom = 1;  // of a plan of one window
    std::vector<WindowShape> windows;
    std::vector<int> exposes = {300, 1201};   // before these frames every window is uncovered
    std::vector<int> renewals = {700, 1500};  // before these, every window's surface is new
    int updatedPercent = 25;                  // at most, of the windows' pixels over the run
};

// Where the screen's colours first differ from the expected ones; the size when nowhere.
std::size_t FirstDifference(const std::vector<std::uint32_t>& shown,
                            const std::vector<std::uint32_t>& expected) {
    constexpr std::size_t Block = 1024;
    for (std::size_t start = 0; start < shown.size(); start += Block) {
        const std::size_t end = std::min(shown.size(), start + Block);
        std::uint32_t differ = 0;
        for (std::size_t at = start; at < end; ++at) differ |= (shown[at] ^ expected[at]) & Rgb;
        if (differ == 0) continue;
        for (std::size_t at = start; at < end; ++at)
            if (((shown[at] ^ expected[at]) & Rgb) != 0) return at;
    }
    return shown.size();
}

bool Listed(const std::vector<int>& frames, int frame) {
    return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

class WindowUpdates : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "dummy");
        ThreadAlive.store(1);
        DrawActive.store(1);
    }

    void TearDown() override {
        for (sdl::HostWindow* host : hosts_) {
            if (host->window != nullptr) SDL_DestroyWindow(host->window);
            host->window = nullptr;
            sdl::RemoveHostWindow(*host);
        }
        hosts_.clear();
        Screens.clear();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
        ::unsetenv("SDL_VIDEODRIVER");
        DrawActive.store(0);
        ThreadAlive.store(1);
        ClipRect = ClipRectangle{};
        ActivePixelFormat = Rgb565;
        SeedRandom(1);
    }

    sdl::HostWindow* AddWindow(const WindowShape& shape, int monitor, WindowHandle owner) {
        sdl::HostWindow* host = sdl::AddHostWindow();
        if (host == nullptr) return nullptr;
        hosts_.push_back(host);
        host->handle = static_cast<WindowHandle>(0x4000 + hosts_.size());
        host->window = SDL_CreateWindow("vorlix test", 0, 0, shape.width, shape.height, 0);
        host->monitor = monitor;
        host->owner = owner;
        host->width.store(shape.width);
        host->height.store(shape.height);
        return host->window != nullptr ? host : nullptr;
    }

    // A surface made anew, as a size change makes it: SDL drops the old one, and the window
    // thread tells the presenter.
    static void Renew(sdl::HostWindow& host, const WindowShape& shape) {
        SDL_SetWindowSize(host.window, shape.width + 8, shape.height);
        SDL_SetWindowSize(host.window, shape.width, shape.height);
        host.surfaceStale.store(true);
    }

    // The frame converted whole into a black window, where the window shows it.
    static void Expected(const Case& c, const WindowShape& shape,
                         const std::vector<std::uint16_t>& frame,
                         std::vector<std::uint32_t>& pixels) {
        std::fill(pixels.begin(), pixels.end(), 0u);
        const bool whole = shape.source.right <= shape.source.left;
        const ScreenRect source =
            whole ? ScreenRect{0, 0, c.frameWidth, c.frameHeight} : shape.source;
        const sdl::Placement place =
            whole ? sdl::FitInside(c.frameWidth, c.frameHeight, shape.width, shape.height)
                  : sdl::Placement{shape.target.left, shape.target.top,
                                   shape.target.right - shape.target.left,
                                   shape.target.bottom - shape.target.top};
        sdl::FrameConverter converter;
        ASSERT_TRUE(converter.Configure(source.right - source.left, source.bottom - source.top,
                                        Xrgb, place));
        converter.Convert(
            frame.data() + static_cast<std::ptrdiff_t>(source.top) * c.frameWidth + source.left,
            c.frameWidth, reinterpret_cast<std::uint8_t*>(pixels.data()), shape.width * 4);
    }

    // Draws and checks every frame of the case.
    void Run(const Case& c) {
        ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(c.frameWidth),
                                 static_cast<std::uint16_t>(c.frameHeight)};
        std::vector<Screen> screens(c.windows.size());
        ScreenPlan plan;
        plan.width = c.frameWidth;
        plan.height = c.frameHeight;
        WindowHandle owner = 0;
        for (std::size_t i = 0; i < c.windows.size(); ++i) {
            const WindowShape& shape = c.windows[i];
            const bool planned = shape.source.right > shape.source.left;
            sdl::HostWindow* host = AddWindow(shape, planned ? static_cast<int>(i) : -1, owner);
            ASSERT_NE(host, nullptr) << SDL_GetError();
            if (owner == 0) owner = host->handle;
            screens[i] =
                Screen{host->window, shape.width, shape.height,
                       std::vector<std::uint32_t>(
                           static_cast<std::size_t>(shape.width) * shape.height, Scribble)};
            Screens.push_back(&screens[i]);
            if (!planned) continue;
            PlannedScreen& screen = plan.screens[plan.count++];
            screen.monitor = ScreenRect{0, 0, shape.width, shape.height};
            screen.source = shape.source;
            screen.target = shape.target;
            screen.zoom = c.zoom;
        }
        DDrawManager display;
        if (plan.count > 0) display.UseScreenPlan(plan);
        ASSERT_TRUE(display.CreateDirectDraw(hosts_[0]->handle, c.frameWidth, c.frameHeight, true));
        ASSERT_TRUE(display.KeepsFrames());

        const std::unique_ptr<Animation> glyphs = MakeGlyphs(c.glyphSide, c.lle);
        RainGrid grid;
        RainGrid reference;
        SeedRandom(3);
        ASSERT_TRUE(BuildRainGrid(grid, c.frameWidth, c.frameHeight, c.glyphSide, c.glyphSide,
                                  c.streams, 20));
        SeedRandom(3);
        ASSERT_TRUE(BuildRainGrid(reference, c.frameWidth, c.frameHeight, c.glyphSide, c.glyphSide,
                                  c.streams, 20));
        CellRecord record;
        ASSERT_TRUE(record.Allocate(grid.Columns * grid.Rows));
        WideGlyphs wide;
        const DrawTargets targets{&display, glyphs.get(), &grid, &record, &wide};
        std::vector<std::uint16_t> full(static_cast<std::size_t>(c.frameWidth) * c.frameHeight);
        const SurfaceView fullView{full.data(), c.frameWidth, c.frameHeight, c.frameWidth};
        std::vector<std::vector<std::uint32_t>> expected;
        for (const WindowShape& shape : c.windows)
            expected.emplace_back(static_cast<std::size_t>(shape.width) * shape.height);

        for (int frame = 0; frame < Frames; ++frame) {
            if (Listed(c.exposes, frame)) {
                for (std::size_t i = 0; i < hosts_.size(); ++i) {
                    screens[i].Uncover();
                    hosts_[i]->exposed.store(true);
                }
            }
            if (Listed(c.renewals, frame)) {
                for (std::size_t i = 0; i < hosts_.size(); ++i) {
                    screens[i].Uncover();
                    Renew(*hosts_[i], c.windows[i]);
                }
            }
            SeedRandom(1000 + frame);
            ASSERT_TRUE(DrawFrame(targets)) << "frame " << frame;
            SeedRandom(1000 + frame);
            DrawRainFrame(reference, *glyphs, fullView, nullptr, FrameBuffers{},
                          [] { return true; });
            for (std::size_t i = 0; i < c.windows.size(); ++i) {
                Expected(c, c.windows[i], full, expected[i]);
                const std::size_t at = FirstDifference(screens[i].pixels, expected[i]);
                if (at == expected[i].size()) continue;
                FAIL() << "window " << i << ", frame " << frame << ": pixel "
                       << at % c.windows[i].width << "," << at / c.windows[i].width << " shows "
                       << std::hex << (screens[i].pixels[at] & Rgb) << " for "
                       << (expected[i][at] & Rgb);
            }
        }
        // The picture is put whole only where it had to be; frames name what changed.
        for (const Screen& screen : screens) {
            EXPECT_GT(screen.partUpdates, Frames * 9 / 10);
            EXPECT_LE(screen.wholeUpdates,
                      static_cast<int>(1 + 4 + c.exposes.size() + c.renewals.size()));
            const std::int64_t area = static_cast<std::int64_t>(screen.width) * screen.height;
            EXPECT_LT(screen.updatedPixels, area * Frames * c.updatedPercent / 100);
        }
        wideDrawn_ = true;
        for (int i = 0; i < display.BackView(0).height && wideDrawn_; ++i)
            for (int x = 0; x < display.BackView(0).width; ++x)
                if (display.BackView(0)
                        .pixels[static_cast<std::ptrdiff_t>(i) * display.BackView(0).pitch + x] !=
                    0) {
                    wideDrawn_ = false;
                    break;
                }
        FreeRainGrid(grid);
        FreeRainGrid(reference);
    }

    std::vector<sdl::HostWindow*> hosts_;
    bool wideDrawn_ = false;  // every frame went straight into the window's own pixels
};

// The frame drawn straight into the window's 32-bit pixels, which it fills.
TEST_F(WindowUpdates, TheScreensOwnPixels) {
    Case c;
    c.frameWidth = 640;
    c.frameHeight = 480;
    c.windows = {WindowShape{640, 480, {}, {}}};
    c.renewals = {700, 701, 1500};
    Run(c);
    EXPECT_TRUE(wideDrawn_);
}

// A 1024x768 mode shown in 1600x1200: the 16-bit frame converted and scaled by 1.5625, with
// so many streams that nearly every frame changes more parts than one update may name, which
// the window joins.
TEST_F(WindowUpdates, SixteenBitsScaled) {
    Case c;
    c.frameWidth = 1024;
    c.frameHeight = 768;
    c.streams = 400;
    c.updatedPercent = 50;
    c.windows = {WindowShape{1600, 1200, {}, {}}};
    Run(c);
    EXPECT_FALSE(wideDrawn_);
}

// A picture shown at zoom 2 in the middle of its monitor.
Case ZoomedTwice(bool lle) {
    Case c;
    c.frameWidth = 320;
    c.frameHeight = 240;
    c.lle = lle;
    c.zoom = 2;
    c.windows = {WindowShape{800, 600, {0, 0, 320, 240}, {80, 60, 720, 540}}};
    return c;
}

// Drawn straight into the window's pixels.
TEST_F(WindowUpdates, ZoomTwo) {
    Run(ZoomedTwice(false));
    EXPECT_TRUE(wideDrawn_);
}

// Where the glyphs cannot be widened: every frame is converted from 16 bits, and
// only what changed, and an expose puts the black around the picture back too.
TEST_F(WindowUpdates, ZoomTwoFromSixteenBits) {
    Run(ZoomedTwice(true));
    EXPECT_FALSE(wideDrawn_);
}

// Two monitors side by side, each showing its part of the picture away from its corner.
TEST_F(WindowUpdates, TwoMonitorsParts) {
    Case c;
    c.frameWidth = 560;
    c.frameHeight = 300;
    c.zoom = 1;
    c.windows = {WindowShape{400, 320, {0, 0, 320, 300}, {40, 10, 360, 310}},
                 WindowShape{300, 300, {320, 20, 560, 280}, {30, 20, 270, 280}}};
    Run(c);
}

}  // namespace
}  // namespace vorlix
