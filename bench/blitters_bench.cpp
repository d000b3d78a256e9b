// Glyph blitters on raw 16-bit frames, and a whole 1600 x 1200 screen tiled with the default
// glyphs, measured against a memcpy of one such screen in the same run; each on both
// processor paths (baseline:0 with what the processor offers, baseline:1 without AVX-512).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "processor_paths.h"

namespace {

using namespace vorlix;

constexpr std::int32_t ScreenWidth = 1600;
constexpr std::int32_t ScreenHeight = 1200;
constexpr std::int32_t GlyphFrames = 55;

// A stand-in glyph set of the default set's shape, for when the glyph file is not built.
std::unique_ptr<Animation> SyntheticGlyphs() {
    constexpr std::int32_t width = 12, height = 16;
    auto animation = std::make_unique<Animation>(width, height, GlyphFrames, 0);
    for (std::int32_t f = 0; f < GlyphFrames; ++f) {
        animation->frames[f] = new std::uint16_t[width * height];
        for (std::int32_t i = 0; i < width * height; ++i) {
            animation->frames[f][i] = static_cast<std::uint16_t>((f * 977 + i * 131) & 0xFFFF);
        }
    }
    return animation;
}

bool usingGlyphFile = false;

std::unique_ptr<Animation> LoadGlyphs() {
    GraphicsLoader loader;
    loader.SetPixelFormat(Rgb565);
    std::unique_ptr<Animation> animation(loader.LoadAnimation(VORLIX_GLYPH_FILE, false));
    usingGlyphFile = animation && animation->frameCount >= GlyphFrames;
    return usingGlyphFile ? std::move(animation) : SyntheticGlyphs();
}

Animation& Glyphs() {
    static std::unique_ptr<Animation> glyphs = LoadGlyphs();
    return *glyphs;
}

// Which glyphs were measured: the built glyph file or the stand-in set; and whether a run
// meant for the masked stores took the baseline.
void LabelGlyphs(benchmark::State& state, std::int64_t baseline) {
    const Animation& g = Glyphs();
    state.SetLabel(std::string(usingGlyphFile ? "glyph2.ani " : "synthetic ") +
                   std::to_string(g.width) + "x" + std::to_string(g.height) + " " +
                   bench::ProcessorPathForRun::Label(baseline));
}

struct Screen {
    Screen() : pixels(static_cast<std::size_t>(ScreenWidth) * ScreenHeight, 0) {
        ClipRect = {0, 0, ScreenWidth, ScreenHeight};
        ActivePixelFormat = Rgb565;
    }
    SurfaceView View() { return {pixels.data(), ScreenWidth, ScreenHeight, ScreenWidth}; }
    std::vector<std::uint16_t> pixels;
};

// Cell positions across the screen, wholly inside or hanging over an edge or a corner.
std::vector<std::pair<std::int32_t, std::int32_t>> Positions(bool clipped) {
    const Animation& g = Glyphs();
    std::vector<std::pair<std::int32_t, std::int32_t>> out;
    if (!clipped) {
        for (std::int32_t y = 0; y + g.height <= ScreenHeight; y += 7 * g.height) {
            for (std::int32_t x = 0; x + g.width <= ScreenWidth; x += 5 * g.width) {
                out.push_back({x, y});
            }
        }
        return out;
    }
    for (std::int32_t x = -g.width + 1; x < ScreenWidth; x += 37) {
        out.push_back({x, -g.height / 2});
        out.push_back({x, ScreenHeight - g.height / 2});
    }
    for (std::int32_t y = -g.height + 1; y < ScreenHeight; y += 29) {
        out.push_back({-g.width / 3, y});
        out.push_back({ScreenWidth - g.width / 3, y});
    }
    return out;
}

void DrawGlyphRaw(benchmark::State& state) {
    const bench::ProcessorPathForRun path(state.range(1));
    Screen screen;
    Animation& glyphs = Glyphs();
    const auto positions = Positions(state.range(0) != 0);
    for (auto _ : state) {
        std::int32_t frame = 0;
        for (auto [x, y] : positions) {
            DrawGlyph(glyphs, screen.View(), x, y, frame);
            frame = frame == GlyphFrames - 1 ? 0 : frame + 1;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(positions.size()));
}
BENCHMARK(DrawGlyphRaw)->ArgNames({"clipped", "baseline"})->ArgsProduct({{0, 1}, {0, 1}});

void DrawGlyphDimmedRaw(benchmark::State& state) {
    const bench::ProcessorPathForRun path(state.range(2));
    Screen screen;
    Animation& glyphs = Glyphs();
    const auto positions = Positions(state.range(0) != 0);
    const auto level = static_cast<std::int32_t>(state.range(1));
    for (auto _ : state) {
        std::int32_t frame = 0;
        for (auto [x, y] : positions) {
            DrawGlyphDimmed(glyphs, screen.View(), x, y, frame, level);
            frame = frame == GlyphFrames - 1 ? 0 : frame + 1;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(positions.size()));
}
BENCHMARK(DrawGlyphDimmedRaw)
    ->ArgNames({"clipped", "level", "baseline"})
    ->ArgsProduct({{0, 1}, {1, 3}, {0, 1}});

constexpr std::int64_t ScreenBytes = std::int64_t{ScreenWidth} * ScreenHeight * 2;

// The machine is shared: the fastest of several repetitions is the figure to compare.
double Fastest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// Every cell of the screen, the last column and row cut at the edges, as the rain draws a
// frame in which every cell is shown at full brightness; baseline: 1 on the processor path
// of one without AVX-512.
void WholeScreenTiling(benchmark::State& state) {
    const bench::ProcessorPathForRun path(state.range(0));
    Screen screen;
    Animation& glyphs = Glyphs();
    for (auto _ : state) {
        std::int32_t frame = 0;
        for (std::int32_t y = 0; y < ScreenHeight; y += glyphs.height) {
            for (std::int32_t x = 0; x < ScreenWidth; x += glyphs.width) {
                DrawGlyph(glyphs, screen.View(), x, y, frame);
                frame = frame == GlyphFrames - 1 ? 0 : frame + 1;
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ScreenBytes);
    LabelGlyphs(state, state.range(0));
}
BENCHMARK(WholeScreenTiling)
    ->ArgName("baseline")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);

// The same tiling with the mix of draw modes the rain uses: full, half, quarter and eighth.
void WholeScreenTilingMixed(benchmark::State& state) {
    const bench::ProcessorPathForRun path(state.range(0));
    Screen screen;
    Animation& glyphs = Glyphs();
    for (auto _ : state) {
        std::int32_t frame = 0, mode = 0;
        for (std::int32_t y = 0; y < ScreenHeight; y += glyphs.height) {
            for (std::int32_t x = 0; x < ScreenWidth; x += glyphs.width) {
                if (mode == 0) {
                    DrawGlyph(glyphs, screen.View(), x, y, frame);
                } else {
                    DrawGlyphDimmed(glyphs, screen.View(), x, y, frame, mode);
                }
                frame = frame == GlyphFrames - 1 ? 0 : frame + 1;
                mode = mode == 3 ? 0 : mode + 1;
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ScreenBytes);
}
BENCHMARK(WholeScreenTilingMixed)
    ->ArgName("baseline")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);

void MemcpyScreen(benchmark::State& state) {
    std::vector<std::uint16_t> source(static_cast<std::size_t>(ScreenBytes / 2), 0x1234);
    std::vector<std::uint16_t> target(static_cast<std::size_t>(ScreenBytes / 2), 0);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), static_cast<std::size_t>(ScreenBytes));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ScreenBytes);
}
BENCHMARK(MemcpyScreen)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);

}  // namespace
