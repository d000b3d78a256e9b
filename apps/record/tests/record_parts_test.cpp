#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gif_writer.h"
#include "glyphs/animation.h"
#include "rain_palette.h"
#include "record_options.h"

namespace vorlix::record {
namespace {

bool Parse(std::vector<const char*> arguments, RecordOptions& options, std::string& error) {
    arguments.insert(arguments.begin(), "vorlix-record");
    return ParseRecordOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

TEST(RecordOptions, DefaultsAndGoodValues) {
    RecordOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_EQ(options.width, 800);
    EXPECT_EQ(options.height, 600);
    EXPECT_EQ(options.density, 300u);
    EXPECT_EQ(options.highlight, 8u);
    ASSERT_TRUE(
        Parse({"--resolution", "3840x2160", "--density=400", "--highlight", "100", "--seconds",
               "0.5", "--seed", "4294967295", "--output", "x.gif", "--real-time"},
              options, error));
    EXPECT_EQ(options.width, 3840);
    EXPECT_EQ(options.height, 2160);
    EXPECT_EQ(options.density, 400u);
    EXPECT_EQ(options.highlight, 100u);
    EXPECT_DOUBLE_EQ(options.seconds, 0.5);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_EQ(options.output, "x.gif");
    EXPECT_TRUE(options.realTime);
    // An hour is room enough for a 100,000-frame soak run.
    ASSERT_TRUE(Parse({"--seconds", "3600"}, options, error));
    EXPECT_DOUBLE_EQ(options.seconds, 3600.0);
}

TEST(RecordOptions, BadValuesAreRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--density", "401"},    {"--density", "-1"},
        {"--density", "12a"},    {"--highlight", "101"},
        {"--resolution", "0x5"}, {"--resolution", "800x"},
        {"--resolution", "800"}, {"--resolution", "9999x600"},
        {"--seconds", "0"},      {"--seconds", "nan"},
        {"--seconds", "1e9"},    {"--seconds", "3600.5"},
        {"--seed", "-1"},        {"--output", ""},
        {"--bogus"},             {"--density"},
        {"stray"},               {"--real-time=1"}};
    for (const auto& arguments : bad) {
        RecordOptions options;
        std::string error;
        EXPECT_FALSE(Parse(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty()) << arguments[0];
    }
}

// A glyph set of two flat frames: a handful of colours, all of them exact.
std::unique_ptr<Animation> TwoColourGlyphs(std::uint16_t first, std::uint16_t second) {
    auto glyphs = std::make_unique<Animation>(4, 4, 2, 0);
    for (int frame = 0; frame < 2; ++frame) {
        glyphs->frames[frame] = new std::uint16_t[16];
        for (int i = 0; i < 16; ++i) glyphs->frames[frame][i] = frame == 0 ? first : second;
    }
    return glyphs;
}

TEST(RainPalette, SmallColourSetIsExactAndEveryPixelFindsItsColour) {
    auto glyphs = TwoColourGlyphs(0x07E0, 0xFFFF);
    const RainPalette palette = BuildRainPalette(*glyphs, Rgb565);
    EXPECT_TRUE(palette.exact);
    EXPECT_LE(palette.used, PaletteColours);
    for (std::uint16_t pixel : {std::uint16_t{0x07E0}, std::uint16_t{0xFFFF}, std::uint16_t{0}}) {
        std::uint8_t rgb[3];
        PixelToRgb(pixel, Rgb565, rgb);
        const std::uint8_t index = palette.lookup[pixel];
        EXPECT_EQ(palette.rgb[index * 3], rgb[0]);
        EXPECT_EQ(palette.rgb[index * 3 + 1], rgb[1]);
        EXPECT_EQ(palette.rgb[index * 3 + 2], rgb[2]);
    }
}

TEST(RainPalette, ManyColoursAreCutDownToTheTable) {
    auto glyphs = std::make_unique<Animation>(32, 32, 1, 0);
    glyphs->frames[0] = new std::uint16_t[1024];
    for (int i = 0; i < 1024; ++i) glyphs->frames[0][i] = static_cast<std::uint16_t>(i * 61);
    const RainPalette palette = BuildRainPalette(*glyphs, Rgb565);
    EXPECT_FALSE(palette.exact);
    EXPECT_EQ(palette.used, PaletteColours);
    EXPECT_EQ(palette.lookup.size(), 65536u);
    for (std::uint8_t index : palette.lookup) EXPECT_LT(index, TransparentIndex);
}

// Reads the GIF back and replays it onto a canvas, as a viewer does.
std::vector<std::vector<std::uint8_t>> Replay(const std::string& path, int& delay, bool& loops) {
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
    EXPECT_NE(gif, nullptr);
    if (gif == nullptr) return {};
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::uint8_t> canvas(static_cast<std::size_t>(gif->SWidth) * gif->SHeight, 0);
    loops = false;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        delay = control.DelayTime;
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11) loops = true;
        }
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const std::uint8_t index = image.RasterBits[y * d.Width + x];
                if (index == control.TransparentColor) continue;
                canvas[(d.Top + y) * gif->SWidth + d.Left + x] = index;
            }
        }
        frames.push_back(canvas);
    }
    DGifCloseFile(gif, &code);
    return frames;
}

TEST(GifWriter, FramesComeBackAsWrittenThoughOnlyChangesAreStored) {
    auto glyphs = TwoColourGlyphs(0x07E0, 0x001F);
    const RainPalette palette = BuildRainPalette(*glyphs, Rgb565);
    const std::string path = ::testing::TempDir() + "record_test.gif";
    constexpr int W = 40, H = 30;
    std::vector<std::vector<std::uint8_t>> written;
    std::vector<std::uint8_t> frame(W * H, 0);
    for (int n = 0; n < 6; ++n) {
        if (n == 1) frame[5 * W + 7] = 1;            // one pixel
        if (n == 2) frame.assign(W * H, 2);          // everything
        if (n == 4) frame[(H - 1) * W + W - 1] = 0;  // the last pixel; frame 3 unchanged
        written.push_back(frame);
    }
    {
        GifWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(path, W, H, palette, error)) << error;
        for (const auto& f : written) ASSERT_TRUE(writer.AddFrame(f.data(), 3, error)) << error;
        ASSERT_TRUE(writer.Close(error)) << error;
    }
    int delay = 0;
    bool loops = false;
    const auto replayed = Replay(path, delay, loops);
    ASSERT_EQ(replayed.size(), written.size());
    for (std::size_t n = 0; n < written.size(); ++n) EXPECT_EQ(replayed[n], written[n]) << n;
    EXPECT_EQ(delay, 3);
    EXPECT_TRUE(loops);
    std::remove(path.c_str());
}

TEST(GifWriter, UnwritablePathIsAClearFailure) {
    auto glyphs = TwoColourGlyphs(0x07E0, 0x001F);
    const RainPalette palette = BuildRainPalette(*glyphs, Rgb565);
    GifWriter writer;
    std::string error;
    EXPECT_FALSE(writer.Open("/nonexistent-dir/x.gif", 10, 10, palette, error));
    EXPECT_NE(error.find("/nonexistent-dir/x.gif"), std::string::npos);
}

}  // namespace
}  // namespace vorlix::record
