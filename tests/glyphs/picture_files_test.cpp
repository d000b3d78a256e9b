#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "glyph_test_files.h"
#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

using glyph_tests::Bytes;
using glyph_tests::PutBgr;
using glyph_tests::PutLittle16;
using glyph_tests::ReadBytes;
using glyph_tests::TempDir;
using glyph_tests::WriteBytes;
using Pixels = std::vector<std::uint16_t>;

Bytes TgaHeader(unsigned width, unsigned height, unsigned bits) {
    Bytes bytes(12, 0);
    bytes[2] = 2;
    PutLittle16(bytes, width);
    PutLittle16(bytes, height);
    bytes.push_back(static_cast<std::uint8_t>(bits));
    bytes.push_back(0);
    return bytes;
}

class PictureFiles : public testing::FreshProcessTest {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.File(name);
        WriteBytes(path, bytes);
        return path;
    }

    std::unique_ptr<Picture> Load(const std::string& path, bool compress = false,
                                  bool withMap = false) {
        String name(path.c_str());
        return std::unique_ptr<Picture>(loader.LoadPicture(name, compress, withMap));
    }

    TempDir dir;
    GraphicsLoader loader;
};

// Pixels of a 5 x 3 image that survive the trip through 8-bit channels in the layout.
Pixels SampleImage(PixelFormat format) {
    Pixels pixels;
    for (unsigned i = 0; i < 15; ++i) {
        const unsigned value = i * 0x1357 + 0x0421;
        pixels.push_back(static_cast<std::uint16_t>(format == Rgb555 ? value & 0x7FFF : value));
    }
    pixels[0] = format == Rgb555 ? 0x7FFF : 0xFFFF;
    pixels[1] = 0;
    return pixels;
}

TEST_F(PictureFiles, SaveAndLoadGiveThePixelsBackInBothLayouts) {
    for (PixelFormat format : {Rgb555, Rgb565}) {
        loader.SetPixelFormat(format);
        const Pixels image = SampleImage(format);
        Pixels padded(7 * 3, 0xDEAD);  // pitch 7 for a width of 5
        for (int r = 0; r < 3; ++r) {
            std::copy(image.begin() + r * 5, image.begin() + r * 5 + 5, padded.begin() + r * 7);
        }
        const std::string path = dir.File("round.tga");
        ASSERT_TRUE(loader.SavePicture(path.c_str(), {padded.data(), 5, 3, 7}));

        const Bytes file = ReadBytes(path);
        ASSERT_EQ(file.size(), 18u + 5 * 3 * 3);
        EXPECT_EQ(file[2], 2);
        EXPECT_EQ(file[12], 5);
        EXPECT_EQ(file[14], 3);
        EXPECT_EQ(file[16], 24);
        // The bottom row comes first; its first pixel is image pixel 10.
        const std::uint8_t* bottomFirst = file.data() + 18;
        std::uint16_t packed = format == Rgb565 ? PackRgb565(bottomFirst) : PackRgb555(bottomFirst);
        EXPECT_EQ(packed, image[10]);

        auto picture = Load(path);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 5);
        EXPECT_EQ(picture->height, 3);
        EXPECT_EQ(picture->compressed, 0u);
        EXPECT_EQ(Pixels(picture->pixels, picture->pixels + 15), image);

        Pixels target(15, 0);
        ASSERT_TRUE(loader.LoadPictureInto(path.c_str(), {target.data(), 5, 3, 5}));
        EXPECT_EQ(target, image);
    }
}

TEST_F(PictureFiles, FullChannelsSaveAs255AndZeroStaysZero) {
    loader.SetPixelFormat(Rgb565);
    Pixels pixels = {0xFFFF, 0x0000, 0x0020};
    const std::string path = dir.File("channels.tga");
    ASSERT_TRUE(loader.SavePicture(path.c_str(), {pixels.data(), 3, 1, 3}));
    const Bytes file = ReadBytes(path);
    EXPECT_EQ(Bytes(file.begin() + 18, file.end()), (Bytes{255, 255, 255, 0, 0, 0, 0, 7, 0}));

    loader.SetPixelFormat(Rgb555);
    pixels = {0x7FFF, 0x0001};
    ASSERT_TRUE(loader.SavePicture(path.c_str(), {pixels.data(), 2, 1, 2}));
    const Bytes second = ReadBytes(path);
    EXPECT_EQ(Bytes(second.begin() + 18, second.end()), (Bytes{255, 255, 255, 15, 0, 0}));
}

TEST_F(PictureFiles, SixteenBitFilesAreWidenedFor565) {
    Bytes bytes = TgaHeader(2, 2, 16);
    for (unsigned p : {0x7FFFu, 0x7C1Fu, 0x8421u, 0x0001u}) PutLittle16(bytes, p);  // bottom row
    const std::string path = Write("sixteen.tga", bytes);

    loader.SetPixelFormat(Rgb555);
    auto plain = Load(path);
    ASSERT_TRUE(plain);
    EXPECT_EQ(Pixels(plain->pixels, plain->pixels + 4), (Pixels{0x8421, 0x0001, 0x7FFF, 0x7C1F}));

    loader.SetPixelFormat(Rgb565);
    auto widened = Load(path);
    ASSERT_TRUE(widened);
    EXPECT_EQ(Pixels(widened->pixels, widened->pixels + 4),
              (Pixels{0x0841, 0x0001, 0xFFDF, 0xF81F}));
}

TEST_F(PictureFiles, CompressedSixteenBitPicturesUseTheMagentaKey) {
    Bytes bytes = TgaHeader(3, 1, 16);
    for (unsigned p : {0x7C1Fu, 0x1234u, 0x7C1Fu}) PutLittle16(bytes, p);
    const std::string path = Write("keyed.tga", bytes);
    loader.SetPixelFormat(Rgb565);
    auto picture = Load(path, true);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->compressed, 1u);
    ClipRect = {0, 0, 3, 1};
    Pixels surface(3, 0x5555);
    DrawPicture(*picture, {surface.data(), 3, 1, 3}, 0, 0);
    EXPECT_EQ(surface, (Pixels{0x5555, ((0x1234 >> 5) << 6) | 0x14, 0x5555}));
}

TEST_F(PictureFiles, MapComesFromTheSideFile) {
    Bytes bytes = TgaHeader(2, 1, 24);
    PutBgr(bytes, 1, 2, 3);
    PutBgr(bytes, 4, 5, 6);
    const std::string path = Write("pic.v1.tga", bytes);
    Write("pic.v1.map", {7, 9, 11});

    String name(path.c_str());
    std::unique_ptr<Picture> picture(loader.LoadPicture(name, false, true));
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::string(name.Text()), dir.File("pic.v1.map"));
    EXPECT_EQ(picture->hasMap, 1);
    EXPECT_EQ(picture->map[0], 7);
    EXPECT_EQ(picture->map[1], 9);

    Write("lonely.tga", bytes);
    EXPECT_FALSE(Load(dir.File("lonely.tga"), false, true)) << "side file missing";
}

TEST_F(PictureFiles, RefusesWhatItCannotReadOrHold) {
    Bytes eight = TgaHeader(2, 2, 8);
    eight.resize(eight.size() + 4, 0);
    EXPECT_FALSE(Load(Write("eight.tga", eight)));
    EXPECT_FALSE(Load(Write("thirty-two.tga", TgaHeader(1, 1, 32))));
    EXPECT_FALSE(Load(Write("empty.tga", TgaHeader(0, 5, 24))));
    EXPECT_FALSE(Load(Write("huge.tga", TgaHeader(65535, 65535, 24))));
    EXPECT_FALSE(Load(Write("over.tga", TgaHeader(801, 600, 16))));
    EXPECT_FALSE(Load(dir.File("absent.tga")));
    EXPECT_FALSE(Load(dir.Path()));  // a directory: the header read fails
    Pixels target(4, 0);
    EXPECT_FALSE(loader.LoadPictureInto(dir.File("eight.tga").c_str(), {target.data(), 2, 2, 2}));
    EXPECT_FALSE(loader.LoadPictureInto(dir.File("huge.tga").c_str(), {target.data(), 2, 2, 2}));
}

TEST_F(PictureFiles, LoadIntoASmallerTargetWritesOnlyWhatFits) {
    Bytes bytes = TgaHeader(4, 3, 24);
    for (int i = 0; i < 12; ++i) PutBgr(bytes, static_cast<std::uint8_t>(8 * i), 0, 0);
    const std::string path = Write("big.tga", bytes);
    loader.SetPixelFormat(Rgb555);
    Pixels target(2 * 2, 0);  // exactly the target's memory
    ASSERT_TRUE(loader.LoadPictureInto(path.c_str(), {target.data(), 2, 2, 2}));
    // Image row 0 is the file's last row (pixels 8 ... 11).
    EXPECT_EQ(target, (Pixels{8, 9, 4, 5}));
    EXPECT_FALSE(loader.LoadPictureInto(path.c_str(), {nullptr, 2, 2, 2}));
}

TEST_F(PictureFiles, ReadFormsCheckTheSizesTheyAreGiven) {
    Bytes rows;
    for (int i = 0; i < 6; ++i) PutBgr(rows, static_cast<std::uint8_t>(8 * i), 0, 0);
    const std::string path = Write("rows.bin", rows);
    loader.SetPixelFormat(Rgb555);
    const std::vector<std::pair<int, int>> sizes = {
        {0, 3}, {3, 0}, {-2, 3}, {3, -2}, {480001, 1}, {70000, 70000}, {INT32_MAX, INT32_MAX}};
    for (auto [w, h] : sizes) {
        BinaryFile stream(path.c_str(), FileMode::Read);
        EXPECT_EQ(loader.ReadPicture(stream, w, h, false), nullptr) << w << "x" << h;
        Pixels target(4, 0);
        EXPECT_FALSE(loader.ReadPictureInto(stream, w, h, {target.data(), 2, 2, 2}));
    }
    BinaryFile stream(path.c_str(), FileMode::Read);
    std::unique_ptr<Picture> picture(loader.ReadPicture(stream, 3, 2, true));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->compressed, 1u);

    BinaryFile again(path.c_str(), FileMode::Read);
    Pixels target(2, 0);
    ASSERT_TRUE(loader.ReadPictureInto(again, 3, 2, {target.data(), 2, 1, 2}));
    EXPECT_EQ(target, (Pixels{3, 4}));  // the top row is the stream's second row
}

TEST_F(PictureFiles, SaveFailuresAreReported) {
    Pixels pixels(4, 0x1234);
    EXPECT_FALSE(loader.SavePicture(dir.File("no/such/dir.tga").c_str(), {pixels.data(), 2, 2, 2}));
    EXPECT_FALSE(loader.SavePicture("/dev/full", {pixels.data(), 2, 2, 2}));
    EXPECT_FALSE(loader.SavePicture(dir.File("null.tga").c_str(), {nullptr, 2, 2, 2}));
    EXPECT_FALSE(loader.SavePicture(dir.File("empty.tga").c_str(), {pixels.data(), 0, 2, 2}));
}

}  // namespace
}  // namespace vorlix
