#include "platform/web/rgba_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/headless/display_device.h"

namespace vorlix::web {
namespace {

struct Band {
    std::int32_t left, top, right, bottom;
};

std::vector<Band> Bands(RgbaFrame& frame) {
    std::int32_t count = -1;
    const std::int32_t* taken = frame.TakeBands(count);
    std::vector<Band> bands;
    for (std::int32_t i = 0; i < count; ++i)
        bands.push_back(Band{taken[4 * i], taken[4 * i + 1], taken[4 * i + 2], taken[4 * i + 3]});
    return bands;
}

// The canvas must show what the recorder's PNGs show: the headless display's conversion.
TEST(RgbaFrame, EverySixteenBitValueBecomesTheRecordersRgbAndOpaque) {
    for (const PixelFormat format : {Rgb565, Rgb555}) {
        std::vector<std::uint16_t> picture(65536);
        for (std::uint32_t value = 0; value < 65536; ++value)
            picture[value] = static_cast<std::uint16_t>(value);
        std::vector<std::uint8_t> rgb(65536 * 3);
        headless::ConvertToRgb(picture.data(), 65536,
                               format == Rgb565 ? headless::DisplayLayout::Rgb565
                                                : headless::DisplayLayout::Rgb555,
                               rgb.data());
        RgbaFrame frame;
        ASSERT_TRUE(frame.Resize(256, 256));
        frame.Convert(picture.data(), 256, format, nullptr);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.Pixels());
        for (std::uint32_t value = 0; value < 65536; ++value) {
            ASSERT_EQ(bytes[4 * value], rgb[3 * value]) << value;
            ASSERT_EQ(bytes[4 * value + 1], rgb[3 * value + 1]) << value;
            ASSERT_EQ(bytes[4 * value + 2], rgb[3 * value + 2]) << value;
            ASSERT_EQ(bytes[4 * value + 3], 255) << value;
        }
    }
}

TEST(RgbaFrame, ANewSizeIsBlackAndWhollyToBePut) {
    RgbaFrame frame;
    ASSERT_TRUE(frame.Resize(100, 70));
    EXPECT_EQ(frame.Pixels()[0], 0xFF000000u);
    EXPECT_EQ(frame.Pixels()[100 * 70 - 1], 0xFF000000u);
    const std::vector<Band> bands = Bands(frame);
    ASSERT_EQ(bands.size(), 1u);  // three bands, joined with nothing unchanged between
    EXPECT_EQ(bands[0].left, 0);
    EXPECT_EQ(bands[0].top, 0);
    EXPECT_EQ(bands[0].right, 100);
    EXPECT_EQ(bands[0].bottom, 70);
    EXPECT_TRUE(Bands(frame).empty());  // taken once
    EXPECT_FALSE(frame.Resize(0, 10));
    EXPECT_TRUE(Bands(frame).empty());
}

TEST(RgbaFrame, OnlyTheChangedRectanglesAreConvertedAndPutBandByBand) {
    RgbaFrame frame;
    ASSERT_TRUE(frame.Resize(100, 100));
    Bands(frame);
    std::vector<std::uint16_t> picture(100 * 100, 0xFFFF);
    platform::ChangedArea changes;
    changes.whole = false;
    changes.count = 3;
    changes.rects[0] = ScreenRect{10, 5, 20, 40};     // reaches into the second band
    changes.rects[1] = ScreenRect{50, 20, 60, 30};    // widens the first band
    changes.rects[2] = ScreenRect{90, 97, 120, 130};  // cut to the picture
    frame.Convert(picture.data(), 100, Rgb565, &changes);
    EXPECT_EQ(frame.Pixels()[5 * 100 + 10], 0xFFFFFFFFu);
    EXPECT_EQ(frame.Pixels()[39 * 100 + 19], 0xFFFFFFFFu);
    EXPECT_EQ(frame.Pixels()[4 * 100 + 10], 0xFF000000u);   // above the first
    EXPECT_EQ(frame.Pixels()[25 * 100 + 30], 0xFF000000u);  // between them
    EXPECT_EQ(frame.Pixels()[99 * 100 + 99], 0xFFFFFFFFu);
    EXPECT_EQ(frame.Pixels()[96 * 100 + 99], 0xFF000000u);  // above the third
    // The first two bands touch and join; the fourth is apart, after an unchanged band.
    const std::vector<Band> bands = Bands(frame);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].left, 10);
    EXPECT_EQ(bands[0].top, 5);
    EXPECT_EQ(bands[0].right, 60);
    EXPECT_EQ(bands[0].bottom, 40);
    EXPECT_EQ(bands[1].left, 90);
    EXPECT_EQ(bands[1].top, 97);
    EXPECT_EQ(bands[1].right, 100);
    EXPECT_EQ(bands[1].bottom, 100);
}

TEST(RgbaFrame, BandsFarApartInWidthStaySeparate) {
    RgbaFrame frame;
    ASSERT_TRUE(frame.Resize(4000, 64));
    Bands(frame);
    std::vector<std::uint16_t> picture(4000 * 64, 0xFFFF);
    platform::ChangedArea changes;
    changes.whole = false;
    changes.count = 2;
    changes.rects[0] = ScreenRect{0, 0, 10, 32};
    changes.rects[1] = ScreenRect{3990, 32, 4000, 64};  // joined, 4000 x 64 would waste much
    frame.Convert(picture.data(), 4000, Rgb565, &changes);
    const std::vector<Band> bands = Bands(frame);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].right, 10);
    EXPECT_EQ(bands[1].left, 3990);
}

}  // namespace
}  // namespace vorlix::web
