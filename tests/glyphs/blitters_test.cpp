#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "support/processor_paths.h"

namespace vorlix {
namespace {

constexpr std::uint16_t Key = 0x7C1F;  // 5-5-5 magenta
constexpr std::uint16_t Background = 0x0842;
constexpr int SurfaceWidth = 40;
constexpr int SurfaceHeight = 30;
constexpr int Pitch = 48;
constexpr int FrameWidth = 7;
constexpr int FrameHeight = 9;
const ClipRectangle Inner{4, 3, 36, 27};

using Pixels = std::vector<std::uint16_t>;
using Transform = std::function<std::uint16_t(std::uint16_t surface, std::uint16_t frame)>;

// A frame whose pixels all differ; with holes, some are the key, one row is all key and one
// has none.
Pixels MakeFrame(int width, int height, bool holes) {
    Pixels frame(static_cast<std::size_t>(width * height));
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            std::uint16_t p = static_cast<std::uint16_t>(0x0400 + r * 32 + c);
            if (holes && r != 4 && ((c + 2 * r) % 3 == 0 || r == 2)) p = Key;
            frame[r * width + c] = p;
        }
    }
    return frame;
}

std::uint16_t BlendPixelForTest(std::uint16_t surface, std::uint16_t frame) {
    BlendPixels(&surface, &frame, 1, 1, Rgb555);
    return surface;
}

// Every case on both processor paths: the masked stores and the baseline's blocks.
class Blitters : public testing::BothProcessorPaths {
protected:
    Blitters() : surface(Pitch * SurfaceHeight, Background) {
        ClipRect = Inner;
        ActivePixelFormat = Rgb555;
        loader.SetPixelFormat(Rgb555);
        const std::uint8_t magenta[3] = {255, 0, 255};
        std::uint16_t ignored = 0;
        loader.ConvertRow(&ignored, magenta, 1);
        rawFrame = MakeFrame(FrameWidth, FrameHeight, true);
        raw = MakeAnimation(rawFrame, false);
        lle = MakeAnimation(rawFrame, true);
    }

    std::unique_ptr<Animation> MakeAnimation(const Pixels& frame, bool encode) {
        auto animation = std::make_unique<Animation>(FrameWidth, FrameHeight, 2, encode ? 1 : 0);
        for (int i = 0; i < 2; ++i) {
            if (encode) {
                animation->frames[i] = loader.EncodeFrame(frame.data(), FrameWidth, FrameHeight);
            } else {
                animation->frames[i] = new std::uint16_t[frame.size()];
                std::copy(frame.begin(), frame.end(), animation->frames[i]);
            }
        }
        return animation;
    }

    SurfaceView View() { return {surface.data(), SurfaceWidth, SurfaceHeight, Pitch}; }

    // What a draw must leave: each frame pixel that falls inside the clip rectangle goes
    // through the transform; with skipKey, key pixels leave the surface alone.
    Pixels Expected(const Pixels& frame, int width, int height, int x, int y, bool skipKey,
                    const Transform& transform) const {
        Pixels out(Pitch * SurfaceHeight, Background);
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                const int sx = x + c, sy = y + r;
                if (sx < ClipRect.left || sx >= ClipRect.right) continue;
                if (sy < ClipRect.top || sy >= ClipRect.bottom) continue;
                const std::uint16_t p = frame[r * width + c];
                if (skipKey && p == Key) continue;
                out[sy * Pitch + sx] = transform(out[sy * Pitch + sx], p);
            }
        }
        return out;
    }

    void Reset() { std::fill(surface.begin(), surface.end(), Background); }

    // Draws at every position from fully outside the top-left corner to fully outside the
    // bottom-right one and compares the whole surface each time.
    void SweepAllPositions(const std::function<void(int, int)>& draw, bool skipKey,
                           const Transform& transform) {
        for (int y = Inner.top - FrameHeight - 2; y <= Inner.bottom + 2; ++y) {
            for (int x = Inner.left - FrameWidth - 2; x <= Inner.right + 2; ++x) {
                Reset();
                draw(x, y);
                ASSERT_EQ(surface, Expected(rawFrame, FrameWidth, FrameHeight, x, y, skipKey,
                                            transform))
                    << "at " << x << "," << y;
            }
        }
    }

    GraphicsLoader loader;
    Pixels surface;
    Pixels rawFrame;
    std::unique_ptr<Animation> raw;
    std::unique_ptr<Animation> lle;
};

const Transform Copy = [](std::uint16_t, std::uint16_t p) { return p; };

TEST_P(Blitters, RawGlyphAtEveryEdgeAndCorner) {
    SweepAllPositions([&](int x, int y) { DrawGlyph(*raw, View(), x, y, 1); }, false, Copy);
    EXPECT_EQ(raw->currentFrame, 1);
}

TEST_P(Blitters, LleGlyphAtEveryEdgeAndCorner) {
    SweepAllPositions([&](int x, int y) { DrawGlyph(*lle, View(), x, y, 1); }, true, Copy);
}

TEST_P(Blitters, DimmedGlyphAtEveryEdgeAndCorner) {
    for (int level = 1; level <= 3; ++level) {
        const std::uint16_t mask = level == 1 ? 0x3DEF : level == 2 ? 0x1CE7 : 0x0C63;
        const Transform dim = [&](std::uint16_t, std::uint16_t p) {
            return static_cast<std::uint16_t>((p >> level) & mask);
        };
        SweepAllPositions([&](int x, int y) { DrawGlyphDimmed(*raw, View(), x, y, 0, level); },
                          false, dim);
        // LLE frames are dimmed run by run, their holes left alone.
        SweepAllPositions([&](int x, int y) { DrawGlyphDimmed(*lle, View(), x, y, 0, level); },
                          true, dim);
    }
}

// Some rows of a raw glyph land where drawing it whole puts them, at every level, and nothing
// else is written; an LLE glyph is drawn whole.
TEST_P(Blitters, GlyphRowsAtEveryEdgeAndCorner) {
    const int first = 2, end = 6;
    const Pixels rows(rawFrame.begin() + first * FrameWidth, rawFrame.begin() + end * FrameWidth);
    for (int level = 0; level <= 3; ++level) {
        const std::uint16_t mask = level == 1 ? 0x3DEF : level == 2 ? 0x1CE7 : 0x0C63;
        const Transform dim = [&](std::uint16_t, std::uint16_t p) {
            return level == 0 ? p : static_cast<std::uint16_t>((p >> level) & mask);
        };
        for (int y = Inner.top - FrameHeight - 2; y <= Inner.bottom + 2; ++y) {
            for (int x = Inner.left - FrameWidth - 2; x <= Inner.right + 2; ++x) {
                Reset();
                DrawGlyphRows(*raw, View(), x, y, 1, level, first, end);
                ASSERT_EQ(surface, Expected(rows, FrameWidth, end - first, x, y + first, false, dim))
                    << "level " << level << " at " << x << "," << y;
            }
        }
    }
    SweepAllPositions([&](int x, int y) { DrawGlyphRows(*lle, View(), x, y, 1, 0, first, end); },
                      true, Copy);
    // Rows cut to the frame; none at all draws nothing.
    Reset();
    DrawGlyphRows(*raw, View(), 10, 10, 1, 0, -5, 100);
    EXPECT_EQ(surface, Expected(rawFrame, FrameWidth, FrameHeight, 10, 10, false, Copy));
    Reset();
    DrawGlyphRows(*raw, View(), 10, 10, 1, 0, 9, 0);
    EXPECT_EQ(surface, Pixels(Pitch * SurfaceHeight, Background));
}

// The wholly inside copy and dim pick their block sizes by the frame width, and copy rows in
// pairs; every width from 1 to 33, in an odd and an even number of rows, writes exactly its
// own pixels, inside and at the edges.
TEST_P(Blitters, EveryFrameWidthWritesExactlyItsPixels) {
    for (int width = 1; width <= 33; ++width) {
        for (int height : {3, 4}) {
            const Pixels frame = MakeFrame(width, height, false);
            Animation animation(width, height, 1, 0);
            animation.frames[0] = new std::uint16_t[frame.size()];
            std::copy(frame.begin(), frame.end(), animation.frames[0]);
            const Transform half = [](std::uint16_t, std::uint16_t p) {
                return static_cast<std::uint16_t>((p >> 1) & 0x3DEF);
            };
            for (auto [x, y] : {std::pair{Inner.left, Inner.top}, {Inner.right - width, 10},
                                {Inner.left - 1, Inner.bottom - 2}, {Inner.right - width + 1, 5}}) {
                Reset();
                DrawGlyph(animation, View(), x, y, 0);
                ASSERT_EQ(surface, Expected(frame, width, height, x, y, false, Copy))
                    << "width " << width << ", height " << height << " at " << x << "," << y;
                Reset();
                DrawGlyphDimmed(animation, View(), x, y, 0, 1);
                ASSERT_EQ(surface, Expected(frame, width, height, x, y, false, half))
                    << "width " << width << ", height " << height << " at " << x << "," << y;
            }
        }
    }
}

TEST_P(Blitters, LleDrawPutsEveryOpaquePixelWhereTheRawDrawDoes) {
    for (int y = Inner.top - FrameHeight; y <= Inner.bottom; y += 2) {
        for (int x = Inner.left - FrameWidth; x <= Inner.right; ++x) {
            Reset();
            DrawGlyph(*raw, View(), x, y, 0);
            const Pixels byRaw = surface;
            Reset();
            DrawGlyph(*lle, View(), x, y, 0);
            for (std::size_t i = 0; i < surface.size(); ++i) {
                if (byRaw[i] == Key) {
                    ASSERT_EQ(surface[i], Background) << "hole at " << x << "," << y;
                } else {
                    ASSERT_EQ(surface[i], byRaw[i]) << "pixel " << i << " at " << x << "," << y;
                }
            }
        }
    }
}

// A wholly inside frame is blended at level 1; one column further it takes the clipped form,
// which copies. So the inside test can be seen in the pixels.
TEST_P(Blitters, FrameFlushWithAnEdgeIsDrawnUnclipped) {
    const int flushX = Inner.right - FrameWidth, flushY = Inner.bottom - FrameHeight;
    DrawGlyphBlended(*raw, View(), flushX, flushY, 0, 1);
    const std::uint16_t corner = surface[(Inner.bottom - 1) * Pitch + Inner.right - 1];
    const std::uint16_t last = rawFrame.back();
    EXPECT_EQ(corner, BlendPixelForTest(Background, last));

    Reset();
    DrawGlyphBlended(*raw, View(), flushX + 1, flushY, 0, 1);
    EXPECT_EQ(surface[(Inner.bottom - 1) * Pitch + Inner.right - 1],
              rawFrame[(FrameHeight - 1) * FrameWidth + FrameWidth - 2]);
    EXPECT_EQ(surface[(Inner.bottom - 1) * Pitch + Inner.right], Background)
        << "x = right - w + 1 draws w - 1 columns";

    Reset();
    DrawGlyphBlended(*raw, View(), Inner.left, Inner.top, 0, 1);
    EXPECT_EQ(surface[Inner.top * Pitch + Inner.left],
              BlendPixelForTest(Background, rawFrame[0]));
}

TEST_P(Blitters, ClippedLeftAndAboveOnlyShowTheRightPart) {
    ClipRect = {0, 0, SurfaceWidth, SurfaceHeight};
    // x + w = left: nothing visible; x + w = left - 1: nothing either.
    DrawGlyph(*raw, View(), -FrameWidth, 0, 0);
    DrawGlyph(*raw, View(), -FrameWidth - 1, 0, 0);
    DrawGlyph(*lle, View(), -FrameWidth, 0, 0);
    EXPECT_EQ(surface, Pixels(Pitch * SurfaceHeight, Background));

    // The grid's top row starts ten rows above the display.
    const int tall = 14;
    Pixels frame = MakeFrame(FrameWidth, tall, false);
    Animation animation(FrameWidth, tall, 1, 0);
    animation.frames[0] = new std::uint16_t[frame.size()];
    std::copy(frame.begin(), frame.end(), animation.frames[0]);
    DrawGlyph(animation, View(), 5, -10, 0);
    for (int r = 0; r < tall - 10; ++r) {
        EXPECT_EQ(surface[r * Pitch + 5], frame[(r + 10) * FrameWidth]) << "row " << r;
    }
    EXPECT_EQ(surface[(tall - 10) * Pitch + 5], Background);
}

TEST_P(Blitters, LleCutAtTheLeftTakesTheRunsLaterPixels) {
    // Row K A B C D K K: one run over frame columns 1 ... 4, drawn with 3 columns cut off.
    const Pixels row = {Key, 0x0A, 0x0B, 0x0C, 0x0D, Key, Key};
    Animation animation(7, 1, 1, 1);
    animation.frames[0] = loader.EncodeFrame(row.data(), 7, 1);
    ClipRect = {10, 0, SurfaceWidth, SurfaceHeight};
    DrawGlyph(animation, View(), 7, 0, 0);
    EXPECT_EQ(surface[9], Background);
    EXPECT_EQ(surface[10], 0x0C);
    EXPECT_EQ(surface[11], 0x0D);
    EXPECT_EQ(surface[12], Background);
}

TEST_P(Blitters, LleRowsWriteOnlyTheirOpaquePixels) {
    const Pixels row = {Key, Key, 0x0A, 0x0B, Key, 0x0C, Key, Key};
    Animation animation(8, 2, 1, 1);
    Pixels frame(16, Key);
    std::copy(row.begin(), row.end(), frame.begin());
    animation.frames[0] = loader.EncodeFrame(frame.data(), 8, 2);
    DrawGlyph(animation, View(), 10, 5, 0);
    Pixels expected(Pitch * SurfaceHeight, Background);
    expected[5 * Pitch + 12] = 0x0A;
    expected[5 * Pitch + 13] = 0x0B;
    expected[5 * Pitch + 15] = 0x0C;
    EXPECT_EQ(surface, expected);
}

TEST_P(Blitters, FrameIndicesOutsideTheAnimationDrawNothing) {
    DrawGlyphDimmed(*raw, View(), 10, 10, 2, 1);
    EXPECT_EQ(raw->currentFrame, 2) << "the field is set even when nothing is drawn";
    DrawGlyph(*raw, View(), 10, 10, 2);
    DrawGlyph(*raw, View(), 10, 10, -1);
    DrawGlyph(*lle, View(), 10, 10, 100);
    DrawGlyphBlended(*raw, View(), 10, 10, 5, 2);
    EXPECT_EQ(raw->currentFrame, 5);
    Animation empty(FrameWidth, FrameHeight, 1, 0);  // slot never filled
    DrawGlyph(empty, View(), 10, 10, 0);
    EXPECT_EQ(surface, Pixels(Pitch * SurfaceHeight, Background));
}

TEST_P(Blitters, BlendedGlyphLevels) {
    for (int level = 1; level <= 3; ++level) {
        Reset();
        DrawGlyphBlended(*raw, View(), 10, 10, 0, level);
        const std::uint16_t first = rawFrame[0];
        std::uint16_t want = Background;
        BlendPixels(&want, &first, 1, level, Rgb555);
        EXPECT_EQ(surface[10 * Pitch + 10], want) << "level " << level;
    }
    // Level 3 has no copying fallback: at the edge it is blended and clipped.
    const Transform blend3 = [](std::uint16_t d, std::uint16_t p) {
        BlendPixels(&d, &p, 1, 3, Rgb555);
        return d;
    };
    SweepAllPositions([&](int x, int y) { DrawGlyphBlended(*raw, View(), x, y, 0, 3); }, false,
                      blend3);
    // An LLE animation is drawn as by DrawGlyph.
    SweepAllPositions([&](int x, int y) { DrawGlyphBlended(*lle, View(), x, y, 0, 2); }, true,
                      Copy);
}

TEST_P(Blitters, ClipRectLargerThanTheViewStopsAtTheView) {
    ClipRect = {0, 0, 1000, 1000};
    std::vector<std::uint16_t> small(10 * 6, Background);  // exactly the view's memory
    const SurfaceView view{small.data(), 10, 6, 10};
    DrawGlyph(*raw, view, 6, 2, 0);
    DrawGlyph(*lle, view, 6, 2, 0);
    DrawGlyphDimmed(*raw, view, 8, 4, 0, 2);
    DrawGlyphBlended(*raw, view, 5, 5, 0, 3);
    EXPECT_EQ(small[2 * 10 + 6], rawFrame[0]);
    EXPECT_EQ(small[3 * 10 + 7], rawFrame[1 * FrameWidth + 1]);
}

TEST_P(Blitters, ExtremePositionsDoNotOverflow) {
    for (int x : {INT32_MIN, INT32_MIN + 3, -70000, 70000, INT32_MAX - 3, INT32_MAX}) {
        for (int y : {INT32_MIN, -5, 10, INT32_MAX}) {
            DrawGlyph(*raw, View(), x, y, 0);
            DrawGlyph(*lle, View(), x, y, 0);
            DrawGlyphDimmed(*raw, View(), x, y, 0, 1);
        }
    }
    EXPECT_EQ(surface, Pixels(Pitch * SurfaceHeight, Background));
}

TEST_P(Blitters, PictureForms) {
    // Raw without a map, and LLE, at every position.
    Picture plain(FrameWidth, FrameHeight, 0, new std::uint16_t[rawFrame.size()]);
    std::copy(rawFrame.begin(), rawFrame.end(), plain.pixels);
    SweepAllPositions([&](int x, int y) { DrawPicture(plain, View(), x, y); }, false, Copy);
    Picture encoded(FrameWidth, FrameHeight, 1,
                    loader.EncodeFrame(rawFrame.data(), FrameWidth, FrameHeight));
    SweepAllPositions([&](int x, int y) { DrawPicture(encoded, View(), x, y); }, true, Copy);

    // A map applies pixel by pixel when the picture is wholly inside ...
    Picture mapped(4, 1, 0, new std::uint16_t[4]{0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF});
    mapped.map = new std::uint8_t[4]{0, 2, 9, 3};
    mapped.hasMap = 1;
    DrawPicture(mapped, View(), 10, 10);
    std::uint16_t half = Background, most = Background;
    const std::uint16_t white = 0x7FFF;
    BlendPixels(&half, &white, 1, 2, Rgb555);
    BlendPixels(&most, &white, 1, 3, Rgb555);
    EXPECT_EQ(surface[10 * Pitch + 10], Background);
    EXPECT_EQ(surface[10 * Pitch + 11], half);
    EXPECT_EQ(surface[10 * Pitch + 12], 0x7FFF);
    EXPECT_EQ(surface[10 * Pitch + 13], most);
    EXPECT_EQ(surface[10 * Pitch + 14], Background);

    // ... and not at all when it is cut.
    Reset();
    DrawPicture(mapped, View(), Inner.right - 3, 10);
    EXPECT_EQ(surface[10 * Pitch + Inner.right - 3], 0x7FFF);
    EXPECT_EQ(surface[10 * Pitch + Inner.right - 1], 0x7FFF);
    EXPECT_EQ(surface[10 * Pitch + Inner.right], Background);
}

VORLIX_ON_BOTH_PROCESSOR_PATHS(Blitters);

}  // namespace
}  // namespace vorlix
