// The two ways whole glyph rows are written, on frames of every width the masked stores take:
// blocks of up to eight pixels on any processor, and one masked store per row where the
// processor has one. Each must write exactly the frame's pixels, and nothing around them.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "glyphs/frame_walkers.h"
#include "glyphs/masked_rows.h"
#include "glyphs/row_kernels.h"

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

void CheckEveryWidthAndLevel(const WriteRows& write) {
    for (std::int64_t width = 1; width <= masked_rows::MaxWidth; ++width) {
        for (std::int64_t height : {1, 3, 16}) {
            for (int level = 0; level <= 3; ++level) {
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

TEST(GlyphRows, MaskedStoresWriteExactlyTheFramesPixels) {
    if (!masked_rows::Available()) GTEST_SKIP() << "no AVX-512 on this processor";
    CheckEveryWidthAndLevel([](std::uint16_t* destination, const Pixels& frame, std::int64_t width,
                               std::int64_t height, int level) {
        WithOp(level,
               [&](auto op) { op.MaskedRows(destination, frame.data(), width, height, Pitch); });
    });
}

}  // namespace
}  // namespace vorlix
