// The Linux window's share of a steady frame: the changed spans of each frame of a two-buffer
// flip chain (drawn as in frame_bench) converted into a 32-bit window surface, unscaled at
// 1600x1200 and scaled from 1024x768 to 1600x1200, against a memcpy of the 16-bit frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "platform/sdl/frame_converter.h"
#include "rain/frame_drawing.h"
#include "rain/random.h"
#include "rain/thread_flags.h"

namespace vorlix {
namespace {

constexpr std::int32_t ScreenWidth = 1600;
constexpr std::int32_t ScreenHeight = 1200;

Animation* Glyphs() {
    static Animation* glyphs = [] {
        ActivePixelFormat = Rgb565;
        GraphicsLoader loader;
        loader.SetPixelFormat(Rgb565);
        return loader.LoadAnimation(String(VORLIX_GLYPH_FILE), false);
    }();
    return glyphs;
}

constexpr auto KeepDrawing = [] { return DrawActive.load() != 0; };

// range(0) x range(1): the frame's size, shown in a 1600x1200 surface.
void PresentChanges(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    Animation* glyphs = Glyphs();
    if (glyphs == nullptr) {
        state.SkipWithError("no glyph file at " VORLIX_GLYPH_FILE);
        return;
    }
    const std::size_t size = static_cast<std::size_t>(width) * height;
    std::vector<std::uint16_t> pixels[2] = {std::vector<std::uint16_t>(size),
                                            std::vector<std::uint16_t>(size)};
    const SurfaceView views[2] = {{pixels[0].data(), width, height, width},
                                  {pixels[1].data(), width, height, width}};
    const std::int32_t targetPitch = ScreenWidth * 4;
    std::vector<std::uint8_t> target(static_cast<std::size_t>(targetPitch) * ScreenHeight);
    sdl::FrameConverter converter;
    const sdl::Placement placement = sdl::FitInside(width, height, ScreenWidth, ScreenHeight);
    if (!converter.Configure(width, height, sdl::TargetLayout{}, placement)) {
        state.SkipWithError("no conversion");
        return;
    }
    ClipRect =
        ClipRectangle{0, 0, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)};
    SeedRandom(1);
    RainGrid grid;
    if (!BuildRainGrid(grid, width, height, glyphs->width, glyphs->height, 400, 8)) {
        state.SkipWithError("no grid");
        return;
    }
    CellRecord record;
    record.Allocate(grid.Columns * grid.Rows);
    DrawActive.store(1);
    int back = 0;
    std::int64_t converted = 0;
    const platform::ChangedArea* changes = nullptr;
    auto draw = [&] {
        changes =
            DrawRainFrame(grid, *glyphs, views[back], &record, {back, 1 - back, 0}, KeepDrawing);
    };
    // As the window presenter does: the spans that changed, or everything.
    auto present = [&] {
        if (changes == nullptr || changes->whole) {
            converter.Convert(pixels[back].data(), width, target.data(), targetPitch);
        } else {
            for (std::int32_t i = 0; i < changes->count; ++i) {
                const ScreenRect& r = changes->rects[i];
                const sdl::Placement written = converter.ConvertArea(
                    pixels[back].data(), width, target.data(), targetPitch, r.left, r.top,
                    r.right, r.bottom);
                converted += static_cast<std::int64_t>(written.width) * written.height;
            }
        }
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        back ^= 1;
    };
    for (int i = 0; i < 200; ++i) draw(), present();
    converted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        draw();
        state.ResumeTiming();
        present();
    }
    state.counters["target_pixels"] =
        benchmark::Counter(static_cast<double>(converted), benchmark::Counter::kAvgIterations);
    record.Free();
    FreeRainGrid(grid);
}

BENCHMARK(PresentChanges)
    ->Args({1600, 1200})
    ->Args({1024, 768})
    ->ArgNames({"w", "h"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorlix
