// The ways whole glyph rows are written, on frames of every width the masked stores take:
// blocks of up to eight pixels, or moves sized to the width, on any processor, and one masked
// store per row where the processor has one; and many glyphs' rows gathered in a batch, on both
// processor paths. Each must write exactly the frame's pixels, and nothing around them.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "glyphs/animation.h"
#include "glyphs/blitters.h"
#include "glyphs/frame_walkers.h"
#include "glyphs/glyph_images.h"
#include "glyphs/masked_rows.h"
#include "glyphs/row_kernels.h"
#include "glyphs/row_runs.h"
#include "support/processor_paths.h"

namespace vorlix {
namespace {

constexpr std::uint16_t Guard = 0xA5A5;
constexpr std::int64_t Pitch = 40;
constexpr std::int64_t Left = 5;  // the frame's column on the surface
constexpr std::int64_t Top = 2;
constexpr std::int64_t SurfaceRows = 24;
constexpr std::uint16_t Channels[] = {0x7BEF, 0x39E7, 0x18E3};  // 5-6-5, shifted by 1, 2, 3

using Pixels = std::vector<std::uint16_t>;
using WriteRows = std::function<void(std::uint16_t* destination, const Pixels& frame,
                                     std::int64_t width, std::int64_t height, int level)>;

Pixels RandomFrame(std::int64_t width, std::int64_t height, unsigned seed) {
    std::mt19937 random(seed);
    Pixels frame(static_cast<std::size_t>(width * height));
    for (auto& p : frame) p = static_cast<std::uint16_t>(random());
    return frame;
}

// Level 0 copies; 1, 2 and 3 dim by half, quarter and eighth.
std::uint16_t Expected(std::uint16_t pixel, int level) {
    if (level == 0) return pixel;
    return static_cast<std::uint16_t>((pixel >> level) & Channels[level - 1]);
}

// Levels 0 ... lastLevel.
void CheckEveryWidthAndLevel(const WriteRows& write, int lastLevel = 3) {
    for (std::int64_t width = 1; width <= masked_rows::MaxWidth; ++width) {
        for (std::int64_t height : {1, 3, 16}) {
            for (int level = 0; level <= lastLevel; ++level) {
                const Pixels frame = RandomFrame(width, height, static_cast<unsigned>(width));
                Pixels surface(static_cast<std::size_t>(Pitch * SurfaceRows), Guard);
                write(surface.data() + Top * Pitch + Left, frame, width, height, level);
                Pixels expected(surface.size(), Guard);
                for (std::int64_t r = 0; r < height; ++r) {
                    for (std::int64_t c = 0; c < width; ++c) {
                        expected[(Top + r) * Pitch + Left + c] =
                            Expected(frame[r * width + c], level);
                    }
                }
                ASSERT_EQ(surface, expected)
                    << "width " << width << ", height " << height << ", level " << level;
            }
        }
    }
}

// Calls write with the row operation of a level.
template <class Write>
void WithOp(int level, Write write) {
    switch (level) {
        case 1: write(kernels::DimOp<1>{Channels[0]}); return;
        case 2: write(kernels::DimOp<2>{Channels[1]}); return;
        case 3: write(kernels::DimOp<3>{Channels[2]}); return;
        default: write(kernels::CopyOp{}); return;
    }
}

TEST(GlyphRows, BlocksWriteExactlyTheFramesPixels) {
    CheckEveryWidthAndLevel([](std::uint16_t* destination, const Pixels& frame, std::int64_t width,
                               std::int64_t height, int level) {
        const walkers::Frame f{frame.data(), width, height};
        WithOp(level, [&](auto op) { walkers::RowsInBlocks(f, destination, Pitch, op); });
    });
}

// The baseline's copy of a whole glyph: fixed moves sized to the width, rows in pairs.
TEST(GlyphRows, CopiesSizedToTheWidthWriteExactlyTheFramesPixels) {
    CheckEveryWidthAndLevel(
        [](std::uint16_t* destination, const Pixels& frame, std::int64_t width,
           std::int64_t height, int) {
            row_runs::Copy(destination, frame.data(), width, height, Pitch);
        },
        0);
}

TEST(GlyphRows, MaskedStoresWriteExactlyTheFramesPixels) {
    if (!masked_rows::Supported()) GTEST_SKIP() << "no AVX-512 on this processor";
    CheckEveryWidthAndLevel([](std::uint16_t* destination, const Pixels& frame, std::int64_t width,
                               std::int64_t height, int level) {
        WithOp(level,
               [&](auto op) { op.MaskedRows(destination, frame.data(), width, height, Pitch); });
    });
}

// Glyphs of a width, each frame's pixels random; none of them black, so that a row left out
// shows.
std::unique_ptr<Animation> RandomGlyphs(std::int32_t width, std::int32_t height,
                                        std::int32_t frames) {
    auto glyphs = std::make_unique<Animation>(width, height, frames, 0);
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        const Pixels pixels = RandomFrame(width, height, static_cast<unsigned>(width * 31 + frame));
        glyphs->frames[frame] = new std::uint16_t[pixels.size()];
        for (std::size_t i = 0; i < pixels.size(); ++i)
            glyphs->frames[frame][i] = static_cast<std::uint16_t>(pixels[i] | 1);
    }
    return glyphs;
}

class GlyphRowBatches : public testing::BothProcessorPaths {
protected:
    void TearDown() override {
        ClipRect = ClipRectangle{};
        BothProcessorPaths::TearDown();
    }
};

// More cells than a batch holds, so it also copies while gathering; runs of every length,
// from the top, the middle and the bottom of a glyph, at every level; each cell against the
// copy of its rows alone.
TEST_P(GlyphRowBatches, CopyWhatEachGlyphsOwnRowsCopyAtEveryWidth) {
    constexpr std::int32_t SurfaceWidth = 200;
    constexpr std::int32_t SurfaceHeight = 90;
    constexpr std::int32_t GlyphHeight = 7;
    constexpr std::int32_t RowRuns[][2] = {{0, 7}, {2, 5}, {6, 7}, {0, 1}, {3, 7}};
    ClipRect = ClipRectangle{0, 0, SurfaceWidth, SurfaceHeight};
    for (std::int32_t width = 1; width <= row_runs::MaxWidth; ++width) {
        const std::unique_ptr<Animation> glyphs = RandomGlyphs(width, GlyphHeight, 3);
        NarrowGlyphs images;
        ASSERT_TRUE(images.Build(*glyphs, Rgb565));
        Pixels alone(static_cast<std::size_t>(SurfaceWidth) * SurfaceHeight, Guard);
        Pixels batched = alone;
        const SurfaceView aloneView{alone.data(), SurfaceWidth, SurfaceHeight, SurfaceWidth};
        const SurfaceView batchedView{batched.data(), SurfaceWidth, SurfaceHeight,
                                      SurfaceWidth};
        GlyphRowBatch batch(&images, batchedView);
        ASSERT_TRUE(batch.Usable()) << "width " << width;
        int cell = 0;
        // A pixel of guard between cells, and the last column and row flush with the edges.
        for (std::int32_t y = SurfaceHeight - GlyphHeight; y >= 0; y -= GlyphHeight + 1) {
            for (std::int32_t x = SurfaceWidth - width; x >= 0; x -= width + 1, ++cell) {
                const auto& rows = RowRuns[cell % 5];
                const std::int32_t frame = cell % 3;
                const std::int32_t level = cell % 4;
                ASSERT_TRUE(batch.Add(x, y, frame, level, rows[0], rows[1]));
                DrawGlyphImageRows(images, aloneView, x, y, frame, level, rows[0], rows[1]);
            }
        }
        batch.Flush();
        ASSERT_GT(cell, 64);
        ASSERT_EQ(batched, alone) << "width " << width;
    }
}

VORLIX_ON_BOTH_PROCESSOR_PATHS(GlyphRowBatches);

}  // namespace
}  // namespace vorlix
