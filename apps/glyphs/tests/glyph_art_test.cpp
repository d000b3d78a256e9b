#include "glyph_art.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "glyph_render.h"

namespace vorlix::glyphtool {
namespace {

std::string ArtWith(int glyphs, const std::string& rows = "#..\n+#.\n...\n.+#\n") {
    std::string text = "; comment\ncell 3 4\n";
    for (int i = 0; i < glyphs; ++i) text += "\nglyph g" + std::to_string(i) + "\n" + rows;
    return text;
}

std::string ParseError(const std::string& text) {
    GlyphArt art;
    std::string error;
    EXPECT_FALSE(ParseGlyphArt(text, "art.txt", art, error));
    return error;
}

TEST(GlyphArt, ReadsInkLevelsRowByRow) {
    GlyphArt art;
    std::string error;
    ASSERT_TRUE(ParseGlyphArt(ArtWith(2), "art.txt", art, error)) << error;
    EXPECT_EQ(art.width, 3);
    EXPECT_EQ(art.height, 4);
    ASSERT_EQ(art.shapes.size(), 2u);
    EXPECT_EQ(art.shapes[1].name, "g1");
    EXPECT_EQ(art.shapes[0].ink, (std::vector<std::uint8_t>{255, 0, 0, 128, 255, 0, 0, 0, 0,
                                                            0, 128, 255}));
}

TEST(GlyphArt, WindowsLineEndingsAreFine) {
    std::string text = ArtWith(1);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    GlyphArt art;
    std::string error;
    EXPECT_TRUE(ParseGlyphArt(crlf, "art.txt", art, error)) << error;
}

TEST(GlyphArt, MistakesNameTheLine) {
    EXPECT_EQ(ParseError("cell 3 4\nglyph a\n#..\n#.\n"),
              "art.txt:4: row has 2 pixels, expected 3");
    EXPECT_EQ(ParseError("cell 3 4\nglyph a\n#..\n#x.\n"), "art.txt:4: unknown pixel 'x'");
    EXPECT_EQ(ParseError("glyph a\n"), "art.txt:1: 'glyph' before the 'cell' line");
    EXPECT_EQ(ParseError("cell 3 4\ncell 3 4\n"), "art.txt:2: a second 'cell' line");
    EXPECT_EQ(ParseError("cell 3 4\nglyph a\n...\n"), "art.txt:3: glyph 'a' has 1 rows, expected 4");
    EXPECT_EQ(ParseError("cell 3\n"), "art.txt:1: expected 'cell <width> <height>'");
    EXPECT_EQ(ParseError("cell 3 4\nglyph\n"), "art.txt:2: expected 'glyph <name>'");
    EXPECT_EQ(ParseError("shape a\n"), "art.txt:1: expected 'cell' or 'glyph', found 'shape'");
    EXPECT_EQ(ParseError("; nothing\n"), "art.txt: no 'cell' line");
    EXPECT_NE(ParseError("cell 0 4\n").find("bad cell size"), std::string::npos);
    EXPECT_NE(ParseError("cell 1000 1000\n").find("too large"), std::string::npos);
    EXPECT_NE(ParseError("cell -3 4\n").find("bad cell size"), std::string::npos);
}

TEST(GlyphRender, GivesHighlightedNormalAndBlankFrames) {
    GlyphArt art;
    std::string error;
    ASSERT_TRUE(ParseGlyphArt(ArtWith(GlyphShapeCount), "art.txt", art, error)) << error;
    GlyphFile file;
    ASSERT_TRUE(RenderGlyphSet(art, file, error)) << error;
    ASSERT_EQ(file.frames.size(), 55u);
    EXPECT_EQ(file.width, 3);
    EXPECT_FALSE(file.HasMaps());
    EXPECT_TRUE(std::all_of(file.frames[54].bgr.begin(), file.frames[54].bgr.end(),
                            [](std::uint8_t v) { return v == 0; }));
    // Pixel 0 is full ink: highlighted is nearly white, normal is green and darker.
    const auto& hi = file.frames[0].bgr;
    const auto& lo = file.frames[27].bgr;
    EXPECT_GE(std::min({hi[0], hi[1], hi[2]}), 200);
    EXPECT_GT(hi[1], hi[2]);
    EXPECT_GT(lo[1], 2 * lo[0]);
    EXPECT_GT(lo[1], 2 * lo[2]);
    EXPECT_LT(lo[1] + lo[2] + lo[0], hi[0] + hi[1] + hi[2]);
}

TEST(GlyphRender, GlowReachesOnlyTheNeighbours) {
    GlyphShape dot{"dot", std::vector<std::uint8_t>(25, InkNone)};
    dot.ink[12] = InkFull;
    const std::vector<std::uint8_t> glow = GlowIntensity(dot, 5, 5);
    EXPECT_EQ(glow[12], 255);
    EXPECT_GT(glow[7], glow[6]);  // a side neighbour glows more than a corner
    EXPECT_GT(glow[6], 0);
    EXPECT_EQ(glow[0], 0);
    EXPECT_EQ(glow[10], 0);
    EXPECT_EQ(RampColour(NormalRendering, 0).g, 0);
    EXPECT_EQ(RampColour(NormalRendering, 255).g, NormalRendering.core.g);
    EXPECT_EQ(RampColour(HighlightRendering, 128).r, HighlightRendering.edge.r);
}

TEST(GlyphRender, WantsExactlyTwentySevenShapes) {
    for (int count : {26, 28}) {
        GlyphArt art;
        GlyphFile file;
        std::string error;
        ASSERT_TRUE(ParseGlyphArt(ArtWith(count), "art.txt", art, error));
        EXPECT_FALSE(RenderGlyphSet(art, file, error));
        EXPECT_NE(error.find("expected 27"), std::string::npos) << error;
    }
}

// The committed art: 27 distinct, inked shapes, each clear of the cell edge so the glow is
// never cut off.
TEST(DefaultGlyphArt, HoldsTwentySevenDistinctShapesClearOfTheEdge) {
    GlyphArt art;
    std::string error;
    ASSERT_TRUE(ReadGlyphArt(VORLIX_GLYPH_ART, art, error)) << error;
    ASSERT_EQ(art.shapes.size(), 27u);
    EXPECT_LE(1600 / art.width + 1, 256);
    std::set<std::string> seen;
    std::set<std::string> names;
    for (const GlyphShape& shape : art.shapes) {
        EXPECT_TRUE(seen.insert(std::string(shape.ink.begin(), shape.ink.end())).second) << shape.name << " repeats a shape";
        EXPECT_TRUE(names.insert(shape.name).second) << shape.name << " repeats a name";
        int inked = 0;
        for (int y = 0; y < art.height; ++y) {
            for (int x = 0; x < art.width; ++x) {
                if (shape.ink[static_cast<std::size_t>(y * art.width + x)] == InkNone) continue;
                ++inked;
                EXPECT_TRUE(x > 0 && y > 0 && x < art.width - 1 && y < art.height - 1)
                    << shape.name << " touches the edge at " << x << "," << y;
            }
        }
        EXPECT_GE(inked, 10) << shape.name;
    }
}

}  // namespace
}  // namespace vorlix::glyphtool
