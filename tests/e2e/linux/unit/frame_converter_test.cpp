#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "glyphs/glyph_images.h"
#include "platform/sdl/frame_converter.h"

namespace vorlix::sdl {

namespace {

const TargetLayout Xrgb{4, 0x00FF0000, 0x0000FF00, 0x000000FF};
const TargetLayout Rgb565{2, 0xF800, 0x07E0, 0x001F};
const TargetLayout Bgr24{3, 0x000000FF, 0x0000FF00, 0x00FF0000};
const TargetLayout Rgb555{2, 0x7C00, 0x03E0, 0x001F};

std::uint32_t At32(const std::vector<std::uint8_t>& target, int pitch, int x, int y) {
    std::uint32_t value;
    std::memcpy(&value, target.data() + y * pitch + x * 4, 4);
    return value;
}

}  // namespace

TEST(FrameConverter, ChannelsWidenByRepeatingTheirTopBits) {
    EXPECT_EQ(ConvertPixel(0xFFFF, Xrgb) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(ConvertPixel(0xF800, Xrgb) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(ConvertPixel(0x07E0, Xrgb) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(ConvertPixel(0x0010, Xrgb) & 0xFFFFFF, 0x000084u);
    EXPECT_EQ(ConvertPixel(0x1234, Rgb565), 0x1234u);
    EXPECT_EQ(ConvertPixel(0xF800, Rgb555), 0x7C00u);
    EXPECT_EQ(ConvertPixel(0xF800, Bgr24), 0x0000FFu);
}

// Rain drawn straight into the window's pixels must look as rain converted into them does.
TEST(FrameConverter, ConvertsEveryPixelAsGlyphsWidenedForTheWindowAre) {
    for (std::uint32_t pixel = 0; pixel < 65536; ++pixel) {
        const auto value = static_cast<std::uint16_t>(pixel);
        ASSERT_EQ(ConvertPixel(value, Xrgb) | 0xFF000000u, WidenPixel(value, vorlix::Rgb565))
            << pixel;
    }
}

TEST(FrameConverter, FittingKeepsTheShapeAndCentres) {
    Placement same = FitInside(1600, 1200, 1600, 1200);
    EXPECT_EQ(same.x, 0);
    EXPECT_EQ(same.width, 1600);
    Placement wide = FitInside(1024, 768, 1920, 1080);  // bars left and right
    EXPECT_EQ(wide.height, 1080);
    EXPECT_EQ(wide.width, 1440);
    EXPECT_EQ(wide.x, 240);
    EXPECT_EQ(wide.y, 0);
    Placement tall = FitInside(1280, 1024, 1280, 800);
    EXPECT_EQ(tall.height, 800);
    EXPECT_EQ(tall.width, 1000);
    EXPECT_EQ(tall.x, 140);
    EXPECT_EQ(FitInside(0, 10, 10, 10).width, 0);
}

// Every path (shifts, copy, table) and every width around the vector step gives the same
// pixels as the one-pixel rule.
TEST(FrameConverter, EveryPathAgreesWithThePixelRule) {
    for (const TargetLayout& layout : {Xrgb, Rgb565, Bgr24, Rgb555}) {
        for (int width : {1, 7, 8, 9, 12, 17, 64}) {
            const int height = 3;
            std::vector<std::uint16_t> source(static_cast<std::size_t>(width) * height);
            for (std::size_t i = 0; i < source.size(); ++i)
                source[i] = static_cast<std::uint16_t>(i * 2654435761u >> 7);
            FrameConverter converter;
            Placement whole{0, 0, width, height};
            ASSERT_TRUE(converter.Configure(width, height, layout, whole));
            const int pitch = width * 4 + 12;
            std::vector<std::uint8_t> target(static_cast<std::size_t>(pitch) * height, 0xAB);
            converter.Convert(source.data(), width, target.data(), pitch);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    std::uint32_t expected = ConvertPixel(source[y * width + x], layout);
                    std::uint32_t got = 0;
                    std::memcpy(&got, target.data() + y * pitch + x * layout.bytesPerPixel,
                                layout.bytesPerPixel);
                    std::uint32_t mask = layout.bytesPerPixel == 4 ? 0xFFFFFF
                                         : layout.bytesPerPixel == 3 ? 0xFFFFFF : 0xFFFF;
                    ASSERT_EQ(got & mask, expected & mask) << width << " " << x << "," << y;
                }
                // Nothing past the row's end is touched.
                EXPECT_EQ(target[y * pitch + width * layout.bytesPerPixel], 0xAB);
            }
        }
    }
}

TEST(FrameConverter, ScalingTakesTheNearestSourcePixelInsideThePlacement) {
    const std::uint16_t source[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};  // 2 x 2
    FrameConverter converter;
    Placement placement = FitInside(2, 2, 8, 4);  // 4 x 4 at x = 2
    ASSERT_TRUE(converter.Configure(2, 2, Xrgb, placement));
    const int pitch = 8 * 4;
    std::vector<std::uint8_t> target(static_cast<std::size_t>(pitch) * 4, 0);
    converter.Convert(source, 2, target.data(), pitch);
    EXPECT_EQ(At32(target, pitch, 0, 0), 0u);  // bar left alone
    EXPECT_EQ(At32(target, pitch, 2, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(At32(target, pitch, 3, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(At32(target, pitch, 4, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(At32(target, pitch, 2, 3) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(At32(target, pitch, 5, 2) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(At32(target, pitch, 6, 2), 0u);
}

TEST(FrameConverter, UnscaledCopiesAreCutToTheTarget) {
    std::vector<std::uint16_t> source(16, 0xFFFF);
    FrameConverter converter;
    ASSERT_TRUE(converter.Configure(4, 4, Rgb565, Placement{0, 0, 4, 4}));
    std::vector<std::uint8_t> target(3 * 2 * 3, 0);
    Placement covered;
    ASSERT_TRUE(converter.ConvertUnscaled(source.data(), 4, 4, 4, target.data(), 6, 3, 3, 1, -2,
                                          covered));
    EXPECT_EQ(covered.x, 1);
    EXPECT_EQ(covered.y, 0);
    EXPECT_EQ(covered.width, 2);
    EXPECT_EQ(covered.height, 2);
    EXPECT_EQ(target[0], 0);
    EXPECT_EQ(target[2], 0xFF);
    EXPECT_EQ(target[12 + 2], 0);
    EXPECT_FALSE(converter.ConvertUnscaled(source.data(), 4, 4, 4, target.data(), 6, 3, 3, 3, 0,
                                           covered));
}

}  // namespace vorlix::sdl

namespace vorlix::sdl {

// Converting only a changed area over the previous frame's picture gives the picture of the
// whole new frame, scaled up, scaled down, unscaled and through every path.
TEST(FrameConverter, AChangedAreaOverThePreviousPictureGivesTheWholeNewPicture) {
    const struct {
        int sourceWidth, sourceHeight, targetWidth, targetHeight;
    } shapes[] = {{40, 30, 40, 30}, {40, 30, 63, 47}, {40, 30, 100, 60}, {40, 30, 25, 19}};
    for (const TargetLayout& layout : {Xrgb, Rgb565, Bgr24, Rgb555}) {
        for (const auto& shape : shapes) {
            const Placement placement = FitInside(shape.sourceWidth, shape.sourceHeight,
                                                  shape.targetWidth, shape.targetHeight);
            FrameConverter converter;
            ASSERT_TRUE(converter.Configure(shape.sourceWidth, shape.sourceHeight, layout,
                                            placement));
            const std::size_t count = static_cast<std::size_t>(shape.sourceWidth) * shape.sourceHeight;
            std::vector<std::uint16_t> before(count), after(count);
            for (std::size_t i = 0; i < count; ++i) {
                before[i] = static_cast<std::uint16_t>(i * 2654435761u >> 9);
                after[i] = before[i];
            }
            // Three areas change: one on the frame's edge, one a single column wide.
            const int areas[3][4] = {{3, 4, 11, 9}, {30, 22, 40, 30}, {20, 10, 21, 16}};
            for (const auto& a : areas)
                for (int y = a[1]; y < a[3]; ++y)
                    for (int x = a[0]; x < a[2]; ++x)
                        after[static_cast<std::size_t>(y * shape.sourceWidth + x)] ^= 0x5A5A;
            const int pitch = shape.targetWidth * static_cast<int>(layout.bytesPerPixel) + 8;
            std::vector<std::uint8_t> partial(static_cast<std::size_t>(pitch) * shape.targetHeight);
            std::vector<std::uint8_t> whole(partial.size());
            converter.Convert(before.data(), shape.sourceWidth, partial.data(), pitch);
            for (const auto& a : areas) {
                const Placement written = converter.ConvertArea(after.data(), shape.sourceWidth,
                                                                partial.data(), pitch, a[0], a[1],
                                                                a[2], a[3]);
                EXPECT_GE(written.x, placement.x);
                EXPECT_LE(written.x + written.width, placement.x + placement.width);
                EXPECT_LE(written.y + written.height, placement.y + placement.height);
            }
            converter.Convert(after.data(), shape.sourceWidth, whole.data(), pitch);
            EXPECT_TRUE(partial == whole) << layout.bytesPerPixel << " bytes, target "
                                          << shape.targetWidth << "x" << shape.targetHeight;
        }
    }
}

TEST(FrameConverter, AreasOutsideTheSourceWriteNothing) {
    FrameConverter converter;
    ASSERT_TRUE(converter.Configure(10, 10, Xrgb, Placement{0, 0, 20, 20}));
    std::vector<std::uint16_t> source(100, 0xFFFF);
    std::vector<std::uint8_t> target(20 * 80, 0);
    EXPECT_EQ(converter.ConvertArea(source.data(), 10, target.data(), 80, 10, 0, 15, 5).width, 0);
    EXPECT_EQ(converter.ConvertArea(source.data(), 10, target.data(), 80, 4, 4, 4, 8).width, 0);
    // Fetching ahead stays inside both buffers whatever the area, and writes nothing.
    converter.FetchArea(source.data(), 10, target.data(), 80, -5, -5, 30, 30);
    converter.FetchArea(source.data(), 10, target.data(), 80, 10, 0, 15, 5);
    converter.FetchArea(source.data(), 10, target.data(), 80, 9, 9, 10, 10);
    EXPECT_EQ(std::count(target.begin(), target.end(), 0), static_cast<long>(target.size()));
}

}  // namespace vorlix::sdl
