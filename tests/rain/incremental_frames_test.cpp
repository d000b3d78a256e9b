// Incremental frames against full redraws: the same seed through the real draw thread on the
// headless display, every shown frame compared byte for byte, with the buffers disturbed
// behind the drawing's back in the ways a real display does; on both processor paths.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "diagnostics/debug_log.h"
#include "display/ddraw_manager.h"
#include "glyphs/blitters.h"
#include "platform/desktop.h"
#include "platform/headless/headless_host.h"
#include "rain/cell_look.h"
#include "rain/draw_thread.h"
#include "rain/frame_drawing.h"
#include "rain/random.h"
#include "rain/redraw_mode.h"
#include "rain/thread_flags.h"
#include "support/processor_paths.h"
#include "support/wait_until.h"

namespace vorlix {
namespace {

using testing::WaitUntil;

using headless::DisplayOp;
using headless::Role;
using platform::DeviceResult;

constexpr std::int32_t Width = 160;
constexpr std::int32_t Height = 120;
constexpr int Frames = 2000;
constexpr std::uint16_t RestoredFill = 0x7BEF;
constexpr std::uint16_t Scribble = 0x4A69;

// 55 glyphs of 8x8 whose inked pixels all differ, so a cell drawn wrong or not at all shows.
// Bit 15 stays clear: the 5-5-5 layout has no use for it, and the screen's pixels keep none.
// Each leaves its own number of rows black at the top and bottom, as real glyphs do, so rows
// a look change does not touch are left out of drawing and out of the changes.
bool Inked(int frame, int row) {
    return frame != BlankGlyph && row >= frame % 3 && row < 8 - frame % 4;
}

std::unique_ptr<Animation> MakeGlyphs() {
    auto glyphs = std::make_unique<Animation>(8, 8, 55, 0);
    for (int frame = 0; frame < 55; ++frame) {
        glyphs->frames[frame] = new std::uint16_t[64];
        for (int i = 0; i < 64; ++i)
            glyphs->frames[frame][i] =
                Inked(frame, i / 8)
                    ? static_cast<std::uint16_t>((frame * 977 + i * 131) % 0x7FFF + 1)
                    : 0;
    }
    return glyphs;
}

// What happens to a run besides drawing.
struct Script {
    bool fullScreen = true;
    int flipBuffers = 2;    // 1: the chain shows its only buffer and keeps drawing into it
    bool wide = false;      // with one buffer: the screen's own 32-bit pixels are offered too
    std::int32_t zoom = 1;  // at which the screen shows the frame's pixels
    headless::DisplayLayout layout = headless::DisplayLayout::Rgb565;
    std::vector<int> pauses;     // after these shown frames: pause, disturb, resume
    std::vector<int> lostFlips;  // these presents (counted from the first frame) meet Lost
    std::vector<int> renewals;   // after these shown frames the screen's pixels are made anew
};

// Each shown frame as a digest of its pixels: two thousand whole frames a run would cost
// more in fresh memory than the drawing does.
using Frames_ = std::vector<std::uint64_t>;

struct Capture {
    std::mutex mutex;
    Frames_ frames;
    std::uint64_t first = 0;
    std::vector<int> pauses;
    std::atomic<int> pausedAt{-1};
};
Capture* Current = nullptr;

void TakeFrame(const std::uint16_t* pixels, std::int32_t width, std::int32_t height,
               std::int32_t pitch, std::uint64_t number) {
    Capture& c = *Current;
    if (number < c.first) return;
    std::uint64_t digest = 0xCBF29CE484222325u ^ (static_cast<std::uint64_t>(width) << 32 | height);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint16_t* row = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
        for (std::int32_t x = 0; x < width; ++x) digest = (digest ^ row[x]) * 0x100000001B3u;
    }
    std::lock_guard lock(c.mutex);
    c.frames.push_back(digest);
    const int count = static_cast<int>(c.frames.size());
    if (count >= Frames) {
        ThreadAlive.store(0);
        return;
    }
    for (int at : c.pauses) {
        if (at != count) continue;
        DrawActive.store(0);
        c.pausedAt.store(count);
    }
}

// Each run starts the draw thread on the headless host, so it starts from a fresh process: a
// fault another test left behind (a thread that may not start) would stall it.
class IncrementalFrames : public testing::BothProcessorPaths {
  protected:
    void SetUp() override {
        BothProcessorPaths::SetUp();
        if (IsSkipped()) return;
        directory_ = std::filesystem::temp_directory_path() /
                     ("vorlix-incremental-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory_);
        headless::SetDirectories(directory_.c_str(), directory_.c_str(), directory_.c_str());
        ASSERT_TRUE(InitErrorMsg(true));
        glyphs_ = MakeGlyphs();
    }

    void TearDown() override {
        headless::SetShownFrameHook(nullptr);
        headless::UseRealClock();
        headless::ResetDisplay();
        headless::ResetWindowManager();
        ChooseRedrawMode(RedrawMode::Incremental);
        DrawActive.store(0);
        ThreadAlive.store(1);
        ThreadEnded.store(0);
        ThreadDrawing.store(1);
        FramePresented.store(0);
        MonitorOff.store(0);
        LastFrameTime.store(0);
        Drawing = DrawTargets{};
        Current = nullptr;
        StopErrorMsg();
        std::error_code ignored;
        if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
        BothProcessorPaths::TearDown();
    }

    // Every frame the run showed after set-up.
    // wideFrames: how many frames were drawn straight into the screen's own pixels.
    Frames_ Run(const Script& script, bool full, bool* keptFrames = nullptr,
                int* wideFrames = nullptr) {
        headless::ResetDisplay();
        headless::ResetWindowManager();
        headless::SetDisplayLayout(script.layout);
        headless::SetFlipChainBuffers(script.flipBuffers);
        headless::OfferWideBackBuffer(script.wide, script.zoom);
        headless::SetDesktopMode(Width, Height, 16);
        headless::FillOnRestore(true, RestoredFill);
        headless::UseVirtualClock(1000);
        const WindowHandle window =
            headless::AddWindow(0, ScreenRect{0, 0, Width, Height}, "Screen Saver", nullptr);
        DDrawManager display;
        EXPECT_TRUE(display.CreateDirectDraw(window, Width, Height, script.fullScreen));
        if (keptFrames != nullptr) *keptFrames = display.KeepsFrames();
        ClipRect = ClipRectangle{0, 0, Width, Height};
        SeedRandom(7);
        RainGrid grid;
        EXPECT_TRUE(BuildRainGrid(grid, Width, Height, 8, 8, 30, 20));
        CellRecord record;
        EXPECT_TRUE(record.Allocate(grid.Columns * grid.Rows));
        record.SetFullRedraw(full);
        // Set-up's four presents come first; the script counts from the first frame.
        const int setupPresents = 4;
        for (int at : script.lostFlips) {
            if (script.fullScreen) {
                headless::InjectFault(DisplayOp::Flip, DeviceResult::Lost, 1, Role::Primary,
                                      setupPresents + at);
            } else {
                headless::InjectFault(DisplayOp::CopyFrom, DeviceResult::Lost, 1, Role::Primary,
                                      setupPresents + at);
            }
        }
        Capture capture;
        capture.first = headless::ShownFrameCount() + 1;
        for (int at : script.renewals) headless::RenewWideAfter(capture.first + at);
        capture.pauses = script.pauses;
        Current = &capture;
        headless::SetShownFrameHook(TakeFrame);
        WideGlyphs wide;
        Drawing = DrawTargets{&display, glyphs_.get(), &grid, &record, &wide};
        ThreadAlive.store(1);
        ThreadEnded.store(0);
        ThreadDrawing.store(1);
        LastFrameTime.store(0);
        DrawActive.store(1);
        const bool started = platform::StartThread(DrawVorlix);
        EXPECT_TRUE(started);
        for (std::size_t handled = 0; started && handled < script.pauses.size(); ++handled) {
            EXPECT_TRUE(
                WaitUntil([&] { return capture.pausedAt.load() >= 0 || ThreadEnded.load(); },
                          std::chrono::seconds(60)));
            if (ThreadEnded.load()) break;
            EXPECT_TRUE(
                WaitUntil([] { return ThreadDrawing.load() == 0; }, std::chrono::seconds(60)));
            Disturb(display);
            capture.pausedAt.store(-1);
            DrawActive.store(1);
        }
        if (started) {
            EXPECT_TRUE(
                WaitUntil([] { return ThreadEnded.load() != 0; }, std::chrono::seconds(60)));
        }
        headless::SetShownFrameHook(nullptr);
        Drawing = DrawTargets{};
        FreeRainGrid(grid);
        if (wideFrames != nullptr) {
            *wideFrames = 0;
            for (const headless::DisplayCall& call : headless::DisplayCalls(DisplayOp::LockWide))
                *wideFrames += call.result == DeviceResult::Ok;
        }
        return std::move(capture.frames);
    }

    // While paused, something else draws into both buffers, and into the screen's own pixels.
    static void Disturb(DDrawManager& display) {
        for (int i = 0; i < 2; ++i) ScribbleOver(display.BackView(i), Scribble);
        if (const WideView* wide = display.GetWideBackBuffer()) ScribbleOver(*wide, 0xFF4A4D4Au);
    }

    template <class Pixel>
    static void ScribbleOver(const PixelView<Pixel>& view, Pixel value) {
        for (std::int32_t y = 0; y < view.height; ++y)
            for (std::int32_t x = 0; x < view.width; ++x)
                view.pixels[static_cast<std::ptrdiff_t>(y) * view.pitch + x] = value;
    }

    static void ExpectSameFrames(const Frames_& full, const Frames_& incremental) {
        ASSERT_EQ(full.size(), static_cast<std::size_t>(Frames));
        ASSERT_EQ(incremental.size(), full.size());
        for (std::size_t i = 0; i < full.size(); ++i)
            ASSERT_EQ(full[i], incremental[i]) << "first different frame: " << i;
    }

    void Compare(const Script& script) {
        bool kept = false;
        int wideFrames = 0;
        const Frames_ full = Run(script, true);
        const Frames_ incremental = Run(script, false, &kept, &wideFrames);
        EXPECT_TRUE(kept);  // the headless display keeps each buffer's pixels
        // Full redraws stay in 16 bits; incremental ones take the screen's pixels when offered.
        if (script.wide) {
            EXPECT_GT(wideFrames, Frames / 2);
        }
        ExpectSameFrames(full, incremental);
    }

    std::filesystem::path directory_;
    std::unique_ptr<Animation> glyphs_;
};

TEST_P(IncrementalFrames, FlipChainShowsTheSameFramesInBothLayouts) {
    Script script;
    Compare(script);
    script.layout = headless::DisplayLayout::Rgb555;
    Compare(script);
}

// The Linux window's chain: lost flips and pauses as well, since one buffer has no second
// copy of the frame to fall back on.
TEST_P(IncrementalFrames, FlipChainOfOneBufferShowsTheSameFrames) {
    Script script;
    script.flipBuffers = 1;
    script.lostFlips = {5, 6, 1001};
    script.pauses = {3, 500, 1700};
    Compare(script);
}

// Drawn straight into the screen's own pixels, which a restore or a resize makes anew, also
// where the screen shows each frame pixel two by two.
TEST_P(IncrementalFrames, TheScreensOwnPixelsShowTheSameFramesInBothLayoutsAndZoomed) {
    Script script;
    script.flipBuffers = 1;
    script.wide = true;
    script.lostFlips = {5, 6, 1001};
    script.pauses = {3, 500, 1700};
    script.renewals = {20, 21, 900, 1400};
    Compare(script);
    script.layout = headless::DisplayLayout::Rgb555;
    Compare(script);
    script.layout = headless::DisplayLayout::Rgb565;
    script.zoom = 2;
    Compare(script);
}

TEST_P(IncrementalFrames, WindowedPreviewShowsTheSameFramesInBothLayouts) {
    Script script;
    script.fullScreen = false;
    Compare(script);
    script.layout = headless::DisplayLayout::Rgb555;
    Compare(script);
}

TEST_P(IncrementalFrames, SurfacesLostMidRunAreDrawnAgainInFull) {
    Script script;
    script.lostFlips = {5, 6, 300, 1001, 1500};
    Compare(script);
    script.fullScreen = false;
    Compare(script);
}

TEST_P(IncrementalFrames, PauseAndResumeDrawEverythingAgain) {
    Script script;
    script.pauses = {3, 500, 501, 1700};
    Compare(script);
    script.fullScreen = false;
    script.layout = headless::DisplayLayout::Rgb555;
    Compare(script);
}

VORLIX_ON_BOTH_PROCESSOR_PATHS(IncrementalFrames);

// Frames drawn straight into memory, one buffer or two taking turns: every pixel that
// differs from the frame on the screen before lies in the changes the frame reports.
class ChangedAreas : public testing::BothProcessorPaths {
  protected:
    void TearDown() override {
        ClipRect = saved_;
        SeedRandom(1);
        BothProcessorPaths::TearDown();
    }

    static void CheckChangesCoverDifferences(int buffers) {
        ClipRect = ClipRectangle{0, 0, Width, Height};
        SeedRandom(11);
        const std::unique_ptr<Animation> glyphs = MakeGlyphs();
        RainGrid grid;
        ASSERT_TRUE(BuildRainGrid(grid, Width, Height, 8, 8, 40, 20));
        CellRecord record;
        ASSERT_TRUE(record.Allocate(grid.Columns * grid.Rows));
        std::vector<std::uint16_t> memory[2] = {
            std::vector<std::uint16_t>(static_cast<std::size_t>(Width) * Height, 0),
            std::vector<std::uint16_t>(static_cast<std::size_t>(Width) * Height, 0)};
        std::vector<std::uint16_t> screen = memory[0];
        int back = 0;
        for (int frame = 0; frame < 500; ++frame) {
            const int front = buffers == 2 ? 1 - back : back;
            const SurfaceView view{memory[back].data(), Width, Height, Width};
            const DrawnFrame drawn = DrawRainFrame(grid, *glyphs, view, &record,
                                                   {{back, 0}, {front, 0}}, [] { return true; });
            ASSERT_EQ(drawn.changes, DrawnFrame::Changes::Listed);
            const platform::ChangedArea* changes = drawn.listed;
            ASSERT_FALSE(changes->whole);
            std::vector<bool> covered(screen.size(), false);
            for (std::int32_t i = 0; i < changes->count; ++i) {
                const ScreenRect& r = changes->rects[i];
                ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= Width && r.bottom <= Height);
                for (std::int32_t y = r.top; y < r.bottom; ++y)
                    for (std::int32_t x = r.left; x < r.right; ++x)
                        covered[static_cast<std::size_t>(y) * Width + x] = true;
            }
            for (std::size_t i = 0; i < screen.size(); ++i)
                ASSERT_TRUE(covered[i] || screen[i] == memory[back][i])
                    << "frame " << frame << ", pixel " << i % Width << "," << i / Width;
            screen = memory[back];
            if (buffers == 2) back = 1 - back;
        }
        FreeRainGrid(grid);
    }

    ClipRectangle saved_ = ClipRect;
};

TEST_P(ChangedAreas, CoverEveryChangedPixelOfOneBufferAndOfTwo) {
    CheckChangesCoverDifferences(1);
    CheckChangesCoverDifferences(2);
}

VORLIX_ON_BOTH_PROCESSOR_PATHS(ChangedAreas);

// Between two looks only the rows where either has ink may differ; an unknown look or an
// LLE glyph set gives every row.
TEST(CellRecordRows, OnlyInkedRowsOfEitherLookDiffer) {
    const std::unique_ptr<Animation> glyphs = MakeGlyphs();
    CellRecord record;
    ASSERT_TRUE(record.Allocate(4));
    ASSERT_TRUE(record.Track(4, *glyphs, OneBuffer(0, true)));
    const auto key = [](int frame, int level) {
        return LookKey(
            CellLook{static_cast<std::uint8_t>(frame), static_cast<std::uint8_t>(level)});
    };
    const auto rows = [&](std::uint16_t a, std::uint16_t b) {
        const InkRows r = record.RowsBetween(a, b);
        return std::make_pair(r.top, r.bottom);
    };
    const std::uint16_t blank = key(BlankGlyph, 0);
    EXPECT_EQ(rows(key(5, 0), blank), std::make_pair(2, 7));  // inked rows 2 to 6
    EXPECT_EQ(rows(blank, key(5, 2)), std::make_pair(2, 7));
    EXPECT_EQ(rows(key(5, 0), key(4, 1)), std::make_pair(1, 8));  // 1 to 7 and 2 to 6
    EXPECT_GE(rows(blank, blank).first, rows(blank, blank).second);
    EXPECT_EQ(rows(UnknownLook, blank), std::make_pair(0, 8));
    EXPECT_EQ(rows(key(5, 0), key(60, 0)), std::make_pair(0, 8));  // no such frame

    Animation lle(8, 8, 55, 1);
    for (int frame = 0; frame < 55; ++frame) lle.frames[frame] = new std::uint16_t[9]();
    ASSERT_TRUE(record.Track(4, lle, OneBuffer(0, true)));
    EXPECT_EQ(rows(key(5, 0), blank), std::make_pair(0, 8));
}

// A buffer met under a moved token holds pixels the record never saw; the other buffer's
// looks stay known, and a display that cannot name its buffers gets full frames.
TEST(CellRecordTokens, OnlyTheBufferWhoseTokenMovedIsForgotten) {
    const std::unique_ptr<Animation> glyphs = MakeGlyphs();
    CellRecord record;
    ASSERT_TRUE(record.Allocate(4));
    ASSERT_TRUE(record.Track(4, *glyphs, {{0, 7}, {1, 3}, true}));
    std::fill_n(record.Looks(0), 4, std::uint16_t{1});
    std::fill_n(record.Looks(1), 4, std::uint16_t{2});
    ASSERT_TRUE(record.Track(4, *glyphs, {{1, 3}, {0, 7}, true}));  // a flip: nothing moved
    EXPECT_EQ(record.Looks(0)[3], 1);
    EXPECT_EQ(record.Looks(1)[3], 2);
    ASSERT_TRUE(record.Track(4, *glyphs, {{0, 8}, {1, 3}, true}));  // buffer 0 written over
    EXPECT_EQ(record.Looks(0)[3], UnknownLook);
    EXPECT_EQ(record.Looks(1)[3], 2);
    EXPECT_FALSE(record.Track(4, *glyphs, {{}, {1, 3}, true}));
    EXPECT_EQ(record.Looks(1)[3], UnknownLook);
}

// The draw-mode table: what each mode shows of a cell's glyph.
TEST(CellLooks, ModeFourFullThreeToOneDimOneToThreeEverythingElseBlank) {
    const struct {
        std::uint8_t mode;
        std::uint8_t frame;
        std::uint8_t level;
    } table[] = {{4, 9, 0},
                 {3, 9, 1},
                 {2, 9, 2},
                 {1, 9, 3},
                 {0, BlankGlyph, 0},
                 {5, BlankGlyph, 0},
                 {200, BlankGlyph, 0},
                 {255, BlankGlyph, 0}};
    for (const auto& row : table) {
        const CellLook look = LookOf(9, row.mode);
        EXPECT_EQ(look.frame, row.frame) << "mode " << int(row.mode);
        EXPECT_EQ(look.dimLevel, row.level) << "mode " << int(row.mode);
    }
    // Looks that draw differently never share a key; blank is blank whatever the glyph.
    EXPECT_NE(LookKey(LookOf(9, 4)), LookKey(LookOf(9, 3)));
    EXPECT_NE(LookKey(LookOf(9, 4)), LookKey(LookOf(10, 4)));
    EXPECT_EQ(LookKey(LookOf(9, 0)), LookKey(LookOf(30, 7)));
    // The pass's branch-free key is the same number for every glyph and mode.
    for (int glyph = 0; glyph < 256; ++glyph) {
        for (int mode = 0; mode < 256; ++mode) {
            const auto g = static_cast<std::uint8_t>(glyph);
            const auto m = static_cast<std::uint8_t>(mode);
            ASSERT_EQ(LookKeyOf(g, m), LookKey(LookOf(g, m))) << glyph << " " << mode;
        }
    }
}

}  // namespace
}  // namespace vorlix
