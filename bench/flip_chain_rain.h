#pragma once
// What the frame benchmarks share: the default glyph set as the saver loads it, and rain drawn
// in turn into the two buffers of a flip chain, so that after a warm-up each buffer holds the
// frame before last, as the screen's back buffer does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "rain/frame_drawing.h"
#include "rain/random.h"
#include "rain/thread_flags.h"

namespace vorlix::bench {

constexpr std::uint32_t Density = 400;
constexpr std::uint32_t Highlight = 8;
constexpr int WarmUpFrames = 200;

// The default glyph set in the 5-6-5 layout, raw frames as the saver loads them.
inline Animation* DefaultGlyphs() {
    static Animation* glyphs = [] {
        ActivePixelFormat = Rgb565;
        GraphicsLoader loader;
        loader.SetPixelFormat(Rgb565);
        return loader.LoadAnimation(String(VORLIX_GLYPH_FILE), false);
    }();
    return glyphs;
}

// A lambda rather than a function so the passes inline the test into their loops.
inline constexpr auto KeepDrawing = [] { return DrawActive.load() != 0; };

class FlipChainRain {
public:
    FlipChainRain(const FlipChainRain&) = delete;
    FlipChainRain& operator=(const FlipChainRain&) = delete;

    // incremental: false draws every cell, true only the cells whose look changed in the
    // buffer drawn into. changes: whether each frame gathers what changed on the screen, as
    // for a present that shows only that; a flip of the whole buffer does not. Skips the
    // benchmark when the glyphs or the grid are missing.
    FlipChainRain(benchmark::State& state, std::int32_t width, std::int32_t height,
                  bool incremental, bool changes = true)
        : width_(width), height_(height), changes_(changes) {
        glyphs_ = DefaultGlyphs();
        if (glyphs_ == nullptr) {
            state.SkipWithError("no glyph file at " VORLIX_GLYPH_FILE);
            return;
        }
        for (auto& pixels : pixels_) pixels.resize(static_cast<std::size_t>(width) * height);
        ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(width),
                                 static_cast<std::uint16_t>(height)};
        SeedRandom(1);
        if (!BuildRainGrid(grid_, width, height, glyphs_->width, glyphs_->height, Density,
                           Highlight)) {
            state.SkipWithError("no grid");
            return;
        }
        record_.Allocate(grid_.Columns * grid_.Rows);
        record_.SetFullRedraw(!incremental);
        DrawActive.store(1);
        ready_ = true;
    }

    ~FlipChainRain() {
        record_.Free();
        FreeRainGrid(grid_);
    }

    bool Ready() const { return ready_; }
    std::int32_t Cells() const { return grid_.Columns * grid_.Rows; }
    std::uint16_t* Back() { return pixels_[back_].data(); }
    std::uint16_t* Front() { return pixels_[1 - back_].data(); }

    // Draws the next frame into the back buffer; what changed on the screen, or null for all.
    const platform::ChangedArea* Draw() {
        const SurfaceView view{Back(), width_, height_, width_};
        return DrawRainFrame(grid_, *glyphs_, view, &record_, {{back_, 0}, {1 - back_, 0}, changes_},
                             KeepDrawing)
            .ForPresent();
    }
    void Flip() { back_ ^= 1; }

private:
    std::int32_t width_;
    std::int32_t height_;
    Animation* glyphs_ = nullptr;
    std::vector<std::uint16_t> pixels_[2];
    RainGrid grid_;
    CellRecord record_;
    int back_ = 0;
    bool changes_ = true;
    bool ready_ = false;
};

}  // namespace vorlix::bench
