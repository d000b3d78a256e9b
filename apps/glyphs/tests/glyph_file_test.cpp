#include "glyph_file.h"

#include <gtest/gtest.h>

namespace vorlix::glyphtool {
namespace {

GlyphFile SampleFile(std::uint16_t width, std::uint16_t height, std::size_t frames, bool maps) {
    GlyphFile file;
    file.width = width;
    file.height = height;
    file.mapFlag = maps ? 7 : 0;
    for (std::size_t i = 0; i < frames; ++i) {
        GlyphFrame frame;
        for (std::size_t p = 0; p < file.FramePixels() * 3; ++p)
            frame.bgr.push_back(static_cast<std::uint8_t>(i * 31 + p));
        if (maps) frame.map.assign(file.FramePixels(), static_cast<std::uint8_t>(200 + i));
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

TEST(GlyphFile, HeaderFieldsSitAtTheirOffsetsLittleEndian) {
    GlyphFile file = SampleFile(0x0103, 0x0002, 3, false);
    file.tag = {1, 2, 3, 4};
    file.tail = 9;
    const std::vector<std::uint8_t> bytes = Bytes(file);
    const std::vector<std::uint8_t> header(bytes.begin(), bytes.begin() + 12);
    EXPECT_EQ(header, (std::vector<std::uint8_t>{1, 2, 3, 4, 2, 3, 0x03, 0x01, 0x02, 0x00, 0, 9}));
    EXPECT_EQ(bytes.size(), 12u + 3 * 0x0103 * 2 * 3);
    // Frame 1 follows frame 0 directly, top row first, blue-green-red as given.
    EXPECT_EQ(bytes[12 + 0x0103 * 2 * 3], static_cast<std::uint8_t>(31));
}

TEST(GlyphFile, DefaultHeaderSaysVrlxAndZero) {
    const std::vector<std::uint8_t> bytes = Bytes(SampleFile(2, 2, 1, false));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "VRLX");
    EXPECT_EQ(bytes[11], 0);
}

TEST(GlyphFile, RoundTripKeepsEveryByteWithMaps) {
    GlyphFile file = SampleFile(5, 3, 4, true);
    file.tag = {'a', 'b', 'c', 'd'};
    const std::vector<std::uint8_t> bytes = Bytes(file);
    EXPECT_EQ(bytes.size(), 12u + 4 * (15 * 3 + 15));
    EXPECT_EQ(bytes[12 + 45], 200);  // frame 0's map right after its pixels
    GlyphFile parsed;
    std::string error;
    ASSERT_TRUE(ParseGlyphFile(bytes, parsed, error)) << error;
    EXPECT_EQ(parsed.mapFlag, 7);
    EXPECT_EQ(parsed.tag, file.tag);
    ASSERT_EQ(parsed.frames.size(), 4u);
    EXPECT_EQ(parsed.frames[3].map, file.frames[3].map);
    EXPECT_EQ(Bytes(parsed), bytes);
}

TEST(GlyphFile, TrailingBytesAreIgnoredAndZeroFramesAreAFile) {
    std::vector<std::uint8_t> bytes = Bytes(SampleFile(4, 4, 2, false));
    bytes.push_back(0xAA);
    GlyphFile parsed;
    std::string error;
    ASSERT_TRUE(ParseGlyphFile(bytes, parsed, error)) << error;
    EXPECT_EQ(parsed.frames.size(), 2u);

    ASSERT_TRUE(ParseGlyphFile(Bytes(SampleFile(4, 4, 0, false)), parsed, error)) << error;
    EXPECT_TRUE(parsed.frames.empty());
    EXPECT_EQ(parsed.width, 4);
}

TEST(GlyphFile, BadFilesAreRejectedWithAReason) {
    const std::vector<std::uint8_t> good = Bytes(SampleFile(4, 4, 2, true));
    struct Case {
        const char* what;
        std::size_t offset;
        std::vector<std::uint8_t> patch;
        std::size_t keep;  // bytes kept; 0 keeps all
    };
    const Case cases[] = {
        {"truncated header", 0, {}, 11},
        {"truncated: 2 frames need", 0, {}, good.size() - 1},
        {"version 1", 4, {1}, 0},
        {"version 3", 4, {3}, 0},
        {"101 frames are too many", 5, {101}, 0},
        {"0x4 is empty", 6, {0, 0}, 0},
        {"4x0 is empty", 8, {0, 0}, 0},
        {"800x601 is too large", 6, {0x20, 0x03, 0x59, 0x02}, 0},
        {"65535x65535 is too large", 6, {0xFF, 0xFF, 0xFF, 0xFF}, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        if (c.keep) bytes.resize(c.keep);
        std::copy(c.patch.begin(), c.patch.end(), bytes.begin() + static_cast<long>(c.offset));
        GlyphFile parsed;
        std::string error;
        EXPECT_FALSE(ParseGlyphFile(bytes, parsed, error)) << c.what;
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
    }
}

TEST(GlyphFile, LargestFrameTheLoaderTakesIsAccepted) {
    std::string error;
    EXPECT_TRUE(CheckGlyphGeometry(800, 600, 100, error));
    EXPECT_FALSE(CheckGlyphGeometry(800, 601, 100, error));
    EXPECT_FALSE(CheckGlyphGeometry(800, 600, 101, error));
}

TEST(GlyphFile, SerializeRefusesFramesOfTheWrongSize) {
    GlyphFile file = SampleFile(4, 4, 2, false);
    file.frames[1].bgr.pop_back();
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(SerializeGlyphFile(file, bytes, error));
    EXPECT_NE(error.find("frame 1"), std::string::npos);

    file = SampleFile(4, 4, 2, true);
    file.frames[0].map.clear();
    EXPECT_FALSE(SerializeGlyphFile(file, bytes, error));
}

}  // namespace
}  // namespace vorlix::glyphtool
