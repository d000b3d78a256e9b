// A whole frame of rain (stream pass, then every cell drawn and aged with the default glyphs,
// 400 streams: in full with the real blitters, incrementally from the glyphs drawn out at every
// level) in the steady state of a two-buffer flip chain, and straight into a window's 32-bit
// pixels, against a memcpy of a frame-sized buffer in the same run, the 16-bit frames on both
// processor paths (baseline:0 with what the processor offers, baseline:1 without AVX-512);
// and the process CPU time of the real draw thread on the headless display, drawing and
// paused. The flip chain shows whole buffers, as the full screen does, so its frames gather
// no changed areas; WholeFrameGatheringChanges gives what gathering them costs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "display/ddraw_manager.h"
#include "flip_chain_rain.h"
#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "glyphs/glyph_images.h"
#include "platform/desktop.h"
#include "platform/headless/display_device.h"
#include "platform/headless/headless_host.h"
#include "processor_paths.h"
#include "rain/cell_drawing.h"
#include "rain/draw_thread.h"
#include "rain/frame_drawing.h"
#include "rain/rain_grid_passes.h"
#include "rain/random.h"
#include "rain/redraw_mode.h"
#include "rain/thread_flags.h"

namespace vorlix {
namespace {

using bench::Density;
using bench::DefaultGlyphs;
using bench::Highlight;
using bench::KeepDrawing;

// incremental: 0 draws every cell, 1 only the cells whose look changed in the buffer drawn
// into; baseline: 1 on the processor path of one without AVX-512; a steady frame of a flip
// chain after a warm-up.
void SteadyFrames(benchmark::State& state, bool changes) {
    const bench::ProcessorPathForRun path(state.range(3));
    state.SetLabel(bench::ProcessorPathForRun::Label(state.range(3)));
    bench::FlipChainRain rain(state, static_cast<std::int32_t>(state.range(0)),
                              static_cast<std::int32_t>(state.range(1)), state.range(2) != 0,
                              changes);
    if (!rain.Ready()) return;
    std::int64_t changed = 0;
    auto frame = [&] {
        const platform::ChangedArea* changes = rain.Draw();
        changed += changes != nullptr ? changes->count : 0;
        rain.Flip();
    };
    for (int i = 0; i < bench::WarmUpFrames; ++i) frame();
    changed = 0;
    for (auto _ : state) {
        frame();
        benchmark::DoNotOptimize(rain.Back());
        benchmark::DoNotOptimize(rain.Front());
        benchmark::ClobberMemory();
    }
    state.counters["cells"] = rain.Cells();
    if (!changes) return;
    state.counters["spans"] =
        benchmark::Counter(static_cast<double>(changed), benchmark::Counter::kAvgIterations);
}

void WholeFrame(benchmark::State& state) {
    SteadyFrames(state, false);
}

// The same frames, each also gathering what changed on the screen, as for a present that
// shows only that.
void WholeFrameGatheringChanges(benchmark::State& state) {
    SteadyFrames(state, true);
}

// The two passes with a drawer that only counts: the model's own share of a frame.
void GridPassesOnly(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    Animation* glyphs = DefaultGlyphs();
    const std::int32_t cellWidth = glyphs != nullptr ? glyphs->width : 12;
    const std::int32_t cellHeight = glyphs != nullptr ? glyphs->height : 16;
    SeedRandom(1);
    RainGrid grid;
    BuildRainGrid(grid, width, height, cellWidth, cellHeight, Density, Highlight);
    DrawActive.store(1);
    std::uint32_t sum = 0;
    for (auto _ : state) {
        AdvanceStreams(grid, KeepDrawing);
        DrawAndAgeCells(grid, KeepDrawing,
                        [&sum](std::int32_t, std::int32_t, std::uint8_t glyph, std::uint8_t mode) {
                            sum += glyph + mode;
                        });
        benchmark::DoNotOptimize(sum);
    }
    FreeRainGrid(grid);
}

// A steady frame as the Linux window draws it when the picture fills it unscaled: one buffer,
// the window's own 32-bit pixels, drawn straight into from the widened glyphs; nothing is
// converted afterwards.
void ScreenPixelsFrame(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    Animation* glyphs = DefaultGlyphs();
    WideGlyphs wide;
    if (glyphs == nullptr || !wide.Build(*glyphs, Rgb565)) {
        state.SkipWithError("no glyph file at " VORLIX_GLYPH_FILE);
        return;
    }
    ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(width),
                             static_cast<std::uint16_t>(height)};
    SeedRandom(1);
    RainGrid grid;
    BuildRainGrid(grid, width, height, glyphs->width, glyphs->height, Density, Highlight);
    CellRecord record;
    record.Allocate(grid.Columns * grid.Rows);
    std::vector<std::uint32_t> screen(static_cast<std::size_t>(width) * height);
    const WideView view{screen.data(), width, height, width};
    DrawActive.store(1);
    const auto frame = [&] {
        return DrawRainFrame(grid, *glyphs, wide, view, &record, OneBuffer(0, true), KeepDrawing);
    };
    for (int i = 0; i < bench::WarmUpFrames; ++i) frame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame());
        benchmark::ClobberMemory();
    }
    record.Free();
    FreeRainGrid(grid);
}

void FrameMemcpy(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0) * state.range(1) * 2);
    std::vector<std::uint8_t> from(bytes, 1);
    std::vector<std::uint8_t> to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

const std::vector<std::vector<std::int64_t>> Sizes = {
    {640, 480}, {1024, 768}, {1600, 1200}, {1920, 1080}, {3840, 2160}};

void AddSizes(benchmark::internal::Benchmark* bench) {
    for (const auto& size : Sizes) bench->Args(size);
    bench->ArgNames({"w", "h"})->Unit(benchmark::kMicrosecond);
}

// Full and incremental side by side for each size, on both processor paths.
void AddSizesBothWays(benchmark::internal::Benchmark* bench) {
    for (const auto& size : Sizes) {
        for (std::int64_t baseline : {0, 1}) {
            bench->Args({size[0], size[1], 0, baseline});
            bench->Args({size[0], size[1], 1, baseline});
        }
    }
    bench->ArgNames({"w", "h", "incremental", "baseline"})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(FrameMemcpy)->Apply(AddSizes);
BENCHMARK(WholeFrame)->Apply(AddSizesBothWays);
BENCHMARK(WholeFrameGatheringChanges)
    ->Args({1600, 1200, 1, 0})
    ->Args({1600, 1200, 1, 1})
    ->ArgNames({"w", "h", "incremental", "baseline"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(GridPassesOnly)->Apply(AddSizes);
BENCHMARK(ScreenPixelsFrame)->Apply(AddSizes);

double ProcessCpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The real draw thread on the headless display at 1600x1200 with the real clock: 20 s drawing,
// then 5 s paused; incremental frames unless VORLIX_FULL_REDRAW=1. Run it alone:
// --benchmark_filter=HeadlessRun
void HeadlessRun(benchmark::State& state) {
    Animation* glyphs = DefaultGlyphs();
    if (glyphs == nullptr) {
        state.SkipWithError("no glyph file at " VORLIX_GLYPH_FILE);
        return;
    }
    const std::int32_t width = 1600;
    const std::int32_t height = 1200;
    for (auto _ : state) {
        headless::ResetDisplay();
        headless::UseRealClock();
        DDrawManager display;
        if (!display.CreateDirectDraw(1, width, height, true)) {
            state.SkipWithError("no display");
            return;
        }
        ClipRect = ClipRectangle{0, 0, width, height};
        SeedRandom(1);
        RainGrid grid;
        BuildRainGrid(grid, width, height, glyphs->width, glyphs->height, Density, Highlight);
        CellRecord record;
        record.Allocate(grid.Columns * grid.Rows);
        record.SetFullRedraw(RedrawModeFromEnvironment(std::getenv(FullRedrawVariable)) ==
                             RedrawMode::Full);
        Drawing = DrawTargets{&display, glyphs, &grid, &record};
        ThreadAlive.store(1);
        ThreadEnded.store(0);
        LastFrameTime.store(0);
        DrawActive.store(1);

        const std::uint64_t shownBefore = headless::ShownFrameCount();
        const double drawStart = ProcessCpuMilliseconds();
        platform::StartThread(DrawVorlix);
        std::this_thread::sleep_for(std::chrono::seconds(state.range(0)));
        const double drawCpu = ProcessCpuMilliseconds() - drawStart;
        const std::uint64_t frames = headless::ShownFrameCount() - shownBefore;

        DrawActive.store(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // into the idle loop
        const double pauseStart = ProcessCpuMilliseconds();
        std::this_thread::sleep_for(std::chrono::seconds(state.range(1)));
        const double pauseCpu = ProcessCpuMilliseconds() - pauseStart;

        ThreadAlive.store(0);
        WaitForThreadEnd(10000);
        Drawing = DrawTargets{};
        FreeRainGrid(grid);

        state.counters["frames"] = static_cast<double>(frames);
        state.counters["fps"] = static_cast<double>(frames) / state.range(0);
        state.counters["cpu_ms_per_frame"] = drawCpu / static_cast<double>(frames);
        state.counters["cpu_share_drawing"] = drawCpu / (state.range(0) * 1000.0);
        state.counters["paused_cpu_ms"] = pauseCpu;
        state.counters["cpu_share_paused"] = pauseCpu / (state.range(1) * 1000.0);
    }
}

BENCHMARK(HeadlessRun)->Args({20, 5})->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace vorlix
