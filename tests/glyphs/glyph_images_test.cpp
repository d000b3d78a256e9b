// Glyphs drawn out at every level and copied row by row give what the blitters draw: in a
// 16-bit buffer the same pixels, in a screen's 32-bit pixels those pixels widened; the same
// dim levels, the same clipping; on both processor paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "glyphs/blitters.h"
#include "glyphs/glyph_images.h"
#include "support/processor_paths.h"

namespace vorlix {
namespace {

constexpr std::int32_t GlyphWidth = 12;
constexpr std::int32_t GlyphHeight = 16;
constexpr std::int32_t Width = 40;
constexpr std::int32_t Height = 36;
constexpr std::uint16_t Background = 0x1234;

std::unique_ptr<Animation> MakeGlyphs(PixelFormat format) {
    auto glyphs = std::make_unique<Animation>(GlyphWidth, GlyphHeight, 3, 0);
    for (int frame = 0; frame < 2; ++frame) {  // frame 2 is left out
        glyphs->frames[frame] = new std::uint16_t[GlyphWidth * GlyphHeight];
        for (int i = 0; i < GlyphWidth * GlyphHeight; ++i) {
            auto pixel = static_cast<std::uint16_t>(frame * 40503 + i * 2654435761u % 65536);
            glyphs->frames[frame][i] = format == Rgb555 ? pixel & 0x7FFF : pixel;
        }
    }
    return glyphs;
}

// The blitters' pixel as the images hold it.
template <class Pixel>
Pixel AsImagePixel(std::uint16_t pixel, PixelFormat format) {
    if constexpr (sizeof(Pixel) == 2) {
        return pixel;
    } else {
        return WidenPixel(pixel, format);
    }
}

class GlyphImageDrawing : public testing::BothProcessorPaths {
protected:
    void TearDown() override {
        ClipRect = ClipRectangle{};
        ActivePixelFormat = Rgb565;
        BothProcessorPaths::TearDown();
    }

    // Every place (inside, across each edge, past the clip), level and run of rows; zoomed,
    // each 16-bit pixel stands for zoom by zoom buffer pixels.
    template <class Pixel>
    static void CheckAgainstBlitters(PixelFormat format, const ClipRectangle& clip,
                                     std::int32_t zoom = 1) {
        ActivePixelFormat = format;
        ClipRect = clip;
        const std::unique_ptr<Animation> glyphs = MakeGlyphs(format);
        GlyphImages<Pixel> images;
        ASSERT_TRUE(images.Build(*glyphs, format, zoom));
        const std::int32_t bufferWidth = Width * zoom;
        const std::int32_t places[][2] = {{10, 9},  {-5, 4},  {33, 12}, {3, -7},
                                          {20, 28}, {-11, -15}, {39, 35}, {50, 2}};
        const std::int32_t rowRuns[][2] = {{0, 16}, {3, 11}, {-4, 5}, {14, 40}, {9, 9}};
        for (const auto& place : places) {
            for (int level = 0; level <= 4; ++level) {
                for (const auto& rows : rowRuns) {
                    for (int frame = 0; frame < 4; ++frame) {
                        std::vector<std::uint16_t> narrow(Width * Height, Background);
                        std::vector<Pixel> buffer(Width * Height * zoom * zoom,
                                                  AsImagePixel<Pixel>(Background, format));
                        DrawGlyphRows(*glyphs, SurfaceView{narrow.data(), Width, Height, Width},
                                      place[0], place[1], frame, level, rows[0], rows[1]);
                        DrawGlyphImageRows(images,
                                           PixelView<Pixel>{buffer.data(), bufferWidth,
                                                            Height * zoom, bufferWidth},
                                           place[0], place[1], frame, level, rows[0], rows[1]);
                        if constexpr (sizeof(Pixel) == 2) {
                            // Gathered in a batch, or left to the copy above where not inside.
                            std::vector<std::uint16_t> batched(Width * Height, Background);
                            const SurfaceView view{batched.data(), Width, Height, Width};
                            GlyphRowBatch batch(&images, view);
                            if (!batch.Usable() || !batch.Add(place[0], place[1], frame, level,
                                                              rows[0], rows[1]))
                                DrawGlyphImageRows(images, view, place[0], place[1], frame,
                                                   level, rows[0], rows[1]);
                            batch.Flush();
                            ASSERT_EQ(batched, buffer)
                                << "batched at " << place[0] << "," << place[1] << " level "
                                << level << " rows " << rows[0] << "-" << rows[1] << " frame "
                                << frame;
                        }
                        for (std::size_t i = 0; i < buffer.size(); ++i) {
                            const std::size_t x = i % bufferWidth / zoom;
                            const std::size_t y = i / bufferWidth / zoom;
                            ASSERT_EQ(buffer[i],
                                      AsImagePixel<Pixel>(narrow[y * Width + x], format))
                                << "at " << place[0] << "," << place[1] << " level " << level
                                << " rows " << rows[0] << "-" << rows[1] << " frame " << frame
                                << " zoom " << zoom << ", buffer pixel " << i % bufferWidth
                                << "," << i / bufferWidth;
                        }
                    }
                }
            }
        }
    }
};

TEST_P(GlyphImageDrawing, SixteenBitImagesDrawWhatTheBlittersDrawInBothLayouts) {
    const ClipRectangle whole{0, 0, Width, Height};
    CheckAgainstBlitters<std::uint16_t>(Rgb565, whole);
    CheckAgainstBlitters<std::uint16_t>(Rgb555, whole);
    CheckAgainstBlitters<std::uint16_t>(Rgb565, ClipRectangle{4, 6, 31, 29});
    CheckAgainstBlitters<std::uint16_t>(Rgb555, ClipRectangle{0, 0, 200, 200});
}

TEST_P(GlyphImageDrawing, WideImagesMatchWideningTheSixteenBitDrawingInBothLayouts) {
    const ClipRectangle whole{0, 0, Width, Height};
    CheckAgainstBlitters<std::uint32_t>(Rgb565, whole);
    CheckAgainstBlitters<std::uint32_t>(Rgb555, whole);
}

TEST_P(GlyphImageDrawing, KeepsInsideAClipSmallerThanTheScreen) {
    CheckAgainstBlitters<std::uint32_t>(Rgb565, ClipRectangle{4, 6, 31, 29});
    // A clip larger than the screen is cut to it.
    CheckAgainstBlitters<std::uint32_t>(Rgb565, ClipRectangle{0, 0, 200, 200});
}

// Zoomed, rows 24 and 36 pixels wide take the longer copies, and clipping still holds.
TEST_P(GlyphImageDrawing, ZoomedRepeatsEachPixelZoomByZoom) {
    CheckAgainstBlitters<std::uint32_t>(Rgb565, ClipRectangle{0, 0, Width, Height}, 2);
    CheckAgainstBlitters<std::uint32_t>(Rgb555, ClipRectangle{4, 6, 31, 29}, 3);
}

VORLIX_ON_BOTH_PROCESSOR_PATHS(GlyphImageDrawing);

// Each channel's bits are repeated into the low bits: black stays black, full stays full.
TEST(WidenPixel, RepeatsEachChannelsTopBits) {
    EXPECT_EQ(WidenPixel(0x0000, Rgb565), 0xFF000000u);
    EXPECT_EQ(WidenPixel(0xFFFF, Rgb565), 0xFFFFFFFFu);
    EXPECT_EQ(WidenPixel(0x7FFF, Rgb555), 0xFFFFFFFFu);
    EXPECT_EQ(WidenPixel(0x07E0, Rgb565), 0xFF00FF00u);
    EXPECT_EQ(WidenPixel(0x03E0, Rgb555), 0xFF00FF00u);
    EXPECT_EQ(WidenPixel(0x8410, Rgb565), 0xFF848284u);  // 10000 100000 10000
}

// An LLE set keeps its transparent runs: there is nothing to widen, and it is drawn in 16 bits.
TEST(GlyphImageSet, IsMadeOnlyOfRawGlyphsAndOnlyAgainForAnotherSet) {
    const std::unique_ptr<Animation> raw = MakeGlyphs(Rgb565);
    WideGlyphs wide;
    ASSERT_TRUE(wide.Build(*raw, Rgb565));
    const std::uint32_t* first = wide.Image(0, 0);
    ASSERT_TRUE(wide.Build(*raw, Rgb565));
    EXPECT_EQ(wide.Image(0, 0), first);
    EXPECT_EQ(wide.Image(2, 0), nullptr);   // a frame the set lacks
    EXPECT_EQ(wide.Image(3, 0), nullptr);   // past the set
    EXPECT_EQ(wide.Image(-1, 0), nullptr);
    ASSERT_TRUE(wide.Build(*raw, Rgb555));  // another layout
    EXPECT_TRUE(wide.Holds(*raw, Rgb555));
    EXPECT_FALSE(wide.Holds(*raw, Rgb565));
    ASSERT_TRUE(wide.Build(*raw, Rgb555, 2));  // another zoom
    EXPECT_EQ(wide.Width(), GlyphWidth * 2);
    EXPECT_FALSE(wide.Holds(*raw, Rgb555));
    EXPECT_FALSE(wide.Build(*raw, Rgb555, 0));
    EXPECT_FALSE(wide.Build(*raw, Rgb555, WideGlyphs::MaxZoom + 1));
    ASSERT_TRUE(wide.Build(*raw, Rgb555));

    Animation lle(GlyphWidth, GlyphHeight, 55, 1);
    EXPECT_FALSE(wide.Build(lle, Rgb565));
    EXPECT_FALSE(wide.Holds(*raw, Rgb555));
    EXPECT_EQ(wide.Image(0, 0), nullptr);
}

}  // namespace
}  // namespace vorlix
