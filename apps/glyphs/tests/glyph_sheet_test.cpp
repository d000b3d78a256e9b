#include "glyph_sheet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace vorlix::glyphtool {
namespace {

GlyphFile Numbered(std::uint16_t width, std::uint16_t height, std::size_t frames, bool maps) {
    GlyphFile file;
    file.width = width;
    file.height = height;
    file.mapFlag = maps ? 1 : 0;
    for (std::size_t i = 0; i < frames; ++i) {
        GlyphFrame frame;
        for (std::size_t p = 0; p < file.FramePixels() * 3; ++p)
            frame.bgr.push_back(static_cast<std::uint8_t>(i * 7 + p * 3));
        if (maps)
            for (std::size_t p = 0; p < file.FramePixels(); ++p)
                frame.map.push_back(static_cast<std::uint8_t>(i + p));
        file.frames.push_back(frame);
    }
    return file;
}

std::vector<std::uint8_t> Bytes(const GlyphFile& file) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(SerializeGlyphFile(file, bytes, error)) << error;
    return bytes;
}

// What ReadPngImage hands on: always RGBA.
Image AsDecoded(const Image& sheet) {
    Image rgba = sheet;
    if (sheet.alpha) return rgba;
    rgba.alpha = true;
    rgba.pixels.clear();
    for (std::size_t i = 0; i < sheet.pixels.size(); i += 3) {
        rgba.pixels.insert(rgba.pixels.end(), sheet.pixels.begin() + static_cast<long>(i),
                           sheet.pixels.begin() + static_cast<long>(i + 3));
        rgba.pixels.push_back(0xFF);
    }
    return rgba;
}

const std::uint8_t* Pixel(const Image& image, std::size_t x, std::size_t y) {
    return image.pixels.data() + (y * image.width + x) * image.Channels();
}

TEST(GlyphSheet, CellsRunLeftToRightThenDown) {
    GlyphFile file = Numbered(2, 3, 5, false);
    Image sheet;
    std::string error;
    ASSERT_TRUE(BuildSheet(file, {2, 1}, sheet, error)) << error;
    EXPECT_EQ(sheet.width, 4u);
    EXPECT_EQ(sheet.height, 9u);
    EXPECT_FALSE(sheet.alpha);
    // Frame 3 is column 1, row 1; its pixel (1, 2) comes out as red, green, blue.
    const std::uint8_t* p = Pixel(sheet, 2 + 1, 3 + 2);
    const std::size_t at = (2 * 2 + 1) * 3;
    EXPECT_EQ(p[0], file.frames[3].bgr[at + 2]);
    EXPECT_EQ(p[2], file.frames[3].bgr[at]);
    // The cell past the last frame stays black.
    EXPECT_EQ(Pixel(sheet, 3, 8)[1], 0);
}

TEST(GlyphSheet, SplittingABuiltSheetGivesTheSameFile) {
    for (bool maps : {false, true}) {
        for (SheetLayout layout : {SheetLayout{27, 1}, SheetLayout{4, 3}, SheetLayout{100, 2}}) {
            GlyphFile file = Numbered(3, 2, 11, maps);
            file.tag = {0, 0xFF, 'x', 1};
            file.tail = 0x80;
            Image sheet;
            std::string error;
            ASSERT_TRUE(BuildSheet(file, layout, sheet, error)) << error;
            EXPECT_EQ(sheet.alpha, maps);
            GlyphFile back;
            ASSERT_TRUE(SplitSheet(AsDecoded(sheet), {}, back, error)) << error;
            EXPECT_EQ(Bytes(back), Bytes(file)) << "maps " << maps << " columns " << layout.columns;
        }
    }
}

TEST(GlyphSheet, ForeignSheetsNeedACellSize) {
    Image sheet = AsDecoded([] {
        Image built;
        std::string error;
        BuildSheet(Numbered(2, 2, 6, false), {3, 1}, built, error);
        built.metadata.clear();
        built.metadataKey.clear();
        return built;
    }());
    GlyphFile file;
    std::string error;
    EXPECT_FALSE(SplitSheet(sheet, {}, file, error));
    EXPECT_NE(error.find("give --cell"), std::string::npos) << error;

    ASSERT_TRUE(SplitSheet(sheet, {2, 2, 0, 0, false}, file, error)) << error;
    EXPECT_EQ(file.frames.size(), 6u);  // every cell
    EXPECT_EQ(std::string(file.tag.begin(), file.tag.end()), "VRLX");
    ASSERT_TRUE(SplitSheet(sheet, {2, 2, 4, 0, false}, file, error)) << error;
    EXPECT_EQ(file.frames.size(), 4u);
    ASSERT_TRUE(SplitSheet(sheet, {1, 1, 0, 2, false}, file, error)) << error;
    EXPECT_EQ(file.frames.size(), 6u);  // 1x1 cells enlarged twice

    EXPECT_FALSE(SplitSheet(sheet, {4, 3, 0, 0, false}, file, error));
    EXPECT_NE(error.find("wrong sheet size 6x4"), std::string::npos) << error;
    EXPECT_FALSE(SplitSheet(sheet, {2, 2, 7, 0, false}, file, error));
    EXPECT_NE(error.find("holds 6 cells, not 7 frames"), std::string::npos) << error;
}

TEST(GlyphSheet, TooManyCellsAskForAFrameCount) {
    Image sheet;
    sheet.width = 101;
    sheet.height = 1;
    sheet.alpha = true;
    sheet.pixels.assign(101 * 4, 0);
    GlyphFile file;
    std::string error;
    EXPECT_FALSE(SplitSheet(sheet, {1, 1, 0, 0, false}, file, error));
    EXPECT_NE(error.find("give --frames"), std::string::npos) << error;
    EXPECT_TRUE(SplitSheet(sheet, {1, 1, 55, 0, false}, file, error)) << error;
}

TEST(GlyphSheet, AlphaIsBlendedOverBlackUnlessItIsTheMap) {
    Image sheet;
    sheet.width = 1;
    sheet.height = 1;
    sheet.alpha = true;
    sheet.pixels = {200, 100, 255, 128};
    GlyphFile file;
    std::string error;
    ASSERT_TRUE(SplitSheet(sheet, {1, 1, 0, 0, false}, file, error)) << error;
    EXPECT_EQ(file.frames[0].bgr, (std::vector<std::uint8_t>{128, 50, 100}));
    ASSERT_TRUE(SplitSheet(sheet, {1, 1, 0, 0, true}, file, error)) << error;
    EXPECT_EQ(file.frames[0].bgr, (std::vector<std::uint8_t>{255, 100, 200}));
    EXPECT_EQ(file.frames[0].map, (std::vector<std::uint8_t>{128}));
}

TEST(GlyphSheet, BadMetadataIsAnError) {
    Image sheet;
    std::string error;
    ASSERT_TRUE(BuildSheet(Numbered(2, 2, 3, false), {}, sheet, error));
    const Image good = AsDecoded(sheet);
    for (const char* bad : {"frames=x", "width=70000", "scale=0", "scale=17", "tag=12",
                            "tag=zzzzzzzz", "frames=-1", "mapflag=256"}) {
        Image broken = good;
        broken.metadata += std::string(" ") + bad;
        GlyphFile file;
        EXPECT_FALSE(SplitSheet(broken, {}, file, error)) << bad;
        EXPECT_NE(error.find("bad sheet metadata"), std::string::npos) << error;
    }
    Image future = good;
    future.metadata += " palette=7 note";
    GlyphFile file;
    EXPECT_TRUE(SplitSheet(future, {}, file, error)) << error;
}

TEST(GlyphSheet, OversizedSheetsAreRefused) {
    GlyphFile file = Numbered(800, 600, 1, false);
    Image sheet;
    std::string error;
    EXPECT_FALSE(BuildSheet(file, {27, 16}, sheet, error));
    EXPECT_NE(error.find("too large"), std::string::npos);
    EXPECT_FALSE(BuildSheet(GlyphFile{}, {}, sheet, error));
    EXPECT_NE(error.find("no frames"), std::string::npos);
}

std::vector<char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PngImage, WritesAndReadsBackWithMetadataAndSameBytesEachTime) {
    for (bool maps : {false, true}) {
        GlyphFile file = Numbered(5, 4, 9, maps);
        Image sheet;
        std::string error;
        ASSERT_TRUE(BuildSheet(file, {4, 2}, sheet, error));
        ASSERT_TRUE(WritePngImage("sheet_a.png", sheet, error)) << error;
        ASSERT_TRUE(WritePngImage("sheet_b.png", sheet, error)) << error;
        EXPECT_EQ(FileBytes("sheet_a.png"), FileBytes("sheet_b.png"));
        Image read;
        ASSERT_TRUE(ReadPngImage("sheet_a.png", SheetMetadataKey, read, error)) << error;
        EXPECT_EQ(read.metadata, sheet.metadata);
        EXPECT_EQ(read.pixels, AsDecoded(sheet).pixels);
        std::remove("sheet_a.png");
        std::remove("sheet_b.png");
    }
}

TEST(PngImage, FailedWritesLeaveNothingBehind) {
    Image sheet;
    std::string error;
    EXPECT_FALSE(WritePngImage("empty.png", sheet, error));
    EXPECT_TRUE(FileBytes("empty.png").empty());
    ASSERT_TRUE(BuildSheet(Numbered(2, 2, 1, false), {}, sheet, error));
    EXPECT_FALSE(WritePngImage("no/such/dir/x.png", sheet, error));
    EXPECT_NE(error.find("cannot open for writing"), std::string::npos);
}

}  // namespace
}  // namespace vorlix::glyphtool
