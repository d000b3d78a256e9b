// The Linux window's share of a steady frame: the changed spans of each frame of a two-buffer
// flip chain (drawn as in frame_bench) converted into a 32-bit window surface, unscaled at
// 1600x1200 and scaled from 1024x768 to 1600x1200, against a memcpy of the 16-bit frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "flip_chain_rain.h"
#include "platform/sdl/frame_converter.h"

namespace vorlix {
namespace {

constexpr std::int32_t ScreenWidth = 1600;
constexpr std::int32_t ScreenHeight = 1200;

// range(0) x range(1): the frame's size, shown in a 1600x1200 surface. Only the conversion
// is timed.
void PresentChanges(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    bench::FlipChainRain rain(state, width, height, true);
    if (!rain.Ready()) return;
    const std::int32_t targetPitch = ScreenWidth * 4;
    std::vector<std::uint8_t> target(static_cast<std::size_t>(targetPitch) * ScreenHeight);
    sdl::FrameConverter converter;
    const sdl::Placement placement = sdl::FitInside(width, height, ScreenWidth, ScreenHeight);
    if (!converter.Configure(width, height, sdl::TargetLayout{}, placement)) {
        state.SkipWithError("no conversion");
        return;
    }
    std::int64_t converted = 0;
    // As the window presenter does: the spans that changed, or everything.
    auto present = [&](const platform::ChangedArea* changes) {
        if (changes == nullptr || changes->whole) {
            converter.Convert(rain.Back(), width, target.data(), targetPitch);
        } else {
            for (std::int32_t i = 0; i < changes->count; ++i) {
                const ScreenRect& r = changes->rects[i];
                const sdl::Placement written =
                    converter.ConvertArea(rain.Back(), width, target.data(), targetPitch,
                                          r.left, r.top, r.right, r.bottom);
                converted += static_cast<std::int64_t>(written.width) * written.height;
            }
        }
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        rain.Flip();
    };
    for (int i = 0; i < bench::WarmUpFrames; ++i) present(rain.Draw());
    converted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const platform::ChangedArea* changes = rain.Draw();
        state.ResumeTiming();
        present(changes);
    }
    state.counters["target_pixels"] =
        benchmark::Counter(static_cast<double>(converted), benchmark::Counter::kAvgIterations);
}

BENCHMARK(PresentChanges)
    ->Args({1600, 1200})
    ->Args({1024, 768})
    ->ArgNames({"w", "h"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorlix
