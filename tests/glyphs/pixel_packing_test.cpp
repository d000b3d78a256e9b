#include <gtest/gtest.h>

#include "glyphs/graphics_loader.h"

namespace vorlix {
namespace {

std::uint16_t Pack(PixelFormat format, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const std::uint8_t bgr[3] = {blue, green, red};
    return format == Rgb565 ? PackRgb565(bgr) : PackRgb555(bgr);
}

TEST(PixelPacking, MagentaAndWhiteInBothLayouts) {
    EXPECT_EQ(Pack(Rgb555, 255, 0, 255), 0x7C1F);
    EXPECT_EQ(Pack(Rgb565, 255, 0, 255), 0xF81F);
    EXPECT_EQ(Pack(Rgb555, 255, 255, 255), 0x7FFF);
    EXPECT_EQ(Pack(Rgb565, 255, 255, 255), 0xFFFF);
}

TEST(PixelPacking, ChannelsLandInTheirFieldsAndTruncate) {
    EXPECT_EQ(Pack(Rgb555, 255, 0, 0), 0x7C00);
    EXPECT_EQ(Pack(Rgb555, 0, 255, 0), 0x03E0);
    EXPECT_EQ(Pack(Rgb555, 0, 0, 255), 0x001F);
    EXPECT_EQ(Pack(Rgb565, 255, 0, 0), 0xF800);
    EXPECT_EQ(Pack(Rgb565, 0, 255, 0), 0x07E0);
    EXPECT_EQ(Pack(Rgb565, 0, 0, 255), 0x001F);
    // Low bits are dropped, never rounded.
    EXPECT_EQ(Pack(Rgb555, 7, 7, 7), 0);
    EXPECT_EQ(Pack(Rgb555, 8, 8, 8), 0x0421);
    EXPECT_EQ(Pack(Rgb565, 7, 3, 7), 0);
    EXPECT_EQ(Pack(Rgb565, 0, 4, 0), 0x0020);
    EXPECT_EQ(Pack(Rgb565, 0, 7, 0), 0x0020);
    EXPECT_EQ(Pack(Rgb555, 0, 7, 0), 0);
}

TEST(ConvertRow, PacksEveryPixelAndSetsTheKeyOfTheLayout) {
    const std::uint8_t row[] = {255, 0, 255, 0, 0, 0, 255, 255, 255, 8, 4, 16};
    for (PixelFormat format : {Rgb555, Rgb565}) {
        GraphicsLoader loader;
        loader.SetPixelFormat(format);
        std::uint16_t out[5] = {1, 1, 1, 1, 0xABCD};
        loader.ConvertRow(out, row, 4);
        EXPECT_EQ(out[0], format == Rgb565 ? 0xF81F : 0x7C1F);
        EXPECT_EQ(out[1], 0);
        EXPECT_EQ(out[2], format == Rgb565 ? 0xFFFF : 0x7FFF);
        EXPECT_EQ(out[3], format == Rgb565 ? (2 << 11 | 1 << 5 | 1) : (2 << 10 | 0 << 5 | 1));
        EXPECT_EQ(out[4], 0xABCD) << "the pixel after the row is left alone";
        EXPECT_EQ(loader.ColorKey, format == Rgb565 ? 0xF81F : 0x7C1F);
    }
}

TEST(ConvertRow, AnyNonZeroLayoutValuePacksAs565) {
    GraphicsLoader loader;
    loader.SetPixelFormat(static_cast<PixelFormat>(7));
    const std::uint8_t white[3] = {255, 255, 255};
    std::uint16_t out = 0;
    loader.ConvertRow(&out, white, 1);
    EXPECT_EQ(out, 0xFFFF);
    EXPECT_EQ(loader.ColorKey, 0xF81F);
}

}  // namespace
}  // namespace vorlix
