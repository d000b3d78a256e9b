#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "glyphs/blitters.h"

namespace vorlix {
namespace {

constexpr std::uint16_t Sentinel = 0xA5A5;

std::uint16_t Masks(PixelFormat format, int level) {
    static const std::uint16_t table[2][4] = {{0, 0x3DEF, 0x1CE7, 0x0C63},
                                              {0, 0x7BEF, 0x39E7, 0x18E3}};
    return table[format == Rgb565 ? 1 : 0][level];
}

std::uint16_t ExpectedBlend(std::uint16_t d, std::uint16_t s, int level, PixelFormat format) {
    const unsigned m1 = Masks(format, 1), m2 = Masks(format, 2);
    unsigned r = 0;
    if (level == 1) r = ((d >> 2) & m2) + ((s >> 2) & m2) + ((d >> 1) & m1);
    if (level == 2) r = ((d >> 1) & m1) + ((s >> 1) & m1);
    if (level == 3) r = ((s >> 2) & m2) + ((s >> 1) & m1) + ((d >> 2) & m2);
    return static_cast<std::uint16_t>(r);
}

std::vector<std::uint16_t> RandomPixels(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint16_t> pixels(count);
    for (auto& p : pixels) p = static_cast<std::uint16_t>(random());
    return pixels;
}

TEST(DimPixels, WhiteAtEachLevelInBothLayouts) {
    const std::uint16_t white565 = 0xFFFF, white555 = 0x7FFF;
    const std::uint16_t expected565[] = {0x7BEF, 0x39E7, 0x18E3};
    const std::uint16_t expected555[] = {0x3DEF, 0x1CE7, 0x0C63};
    for (int level = 1; level <= 3; ++level) {
        std::uint16_t out = 0;
        DimPixels(&out, &white565, 1, level, Rgb565);
        EXPECT_EQ(out, expected565[level - 1]) << "level " << level;
        DimPixels(&out, &white555, 1, level, Rgb555);
        EXPECT_EQ(out, expected555[level - 1]) << "level " << level;
    }
}

TEST(DimPixels, OtherLevelsCopyAtFullBrightness) {
    const std::uint16_t source[3] = {0xFFFF, 0x1234, 0x8001};
    for (int level : {0, 4, -1, 99}) {
        std::uint16_t out[3] = {};
        DimPixels(out, source, 3, level, Rgb565);
        EXPECT_EQ(out[0], 0xFFFF);
        EXPECT_EQ(out[1], 0x1234);
        EXPECT_EQ(out[2], 0x8001);
    }
}

// Every count from 0 to 40 (vector blocks, odd tails, unaligned destinations): exactly n
// pixels change, each to the right value, and the pixel after the row keeps its value.
TEST(RowOperations, WriteExactlyCountPixels) {
    const std::vector<std::uint16_t> source = RandomPixels(64, 1);
    const std::vector<std::uint16_t> background = RandomPixels(64, 2);
    for (PixelFormat format : {Rgb555, Rgb565}) {
        for (int offset : {0, 1}) {
            for (int n = -1; n <= 40; ++n) {
                for (int op = 0; op < 7; ++op) {
                    std::vector<std::uint16_t> out = background;
                    out[offset + std::max(n, 0)] = Sentinel;
                    std::uint16_t* d = out.data() + offset;
                    const int level = op <= 3 ? op : op - 3;
                    if (op == 0) CopyPixels(d, source.data(), n);
                    if (op >= 1 && op <= 3) DimPixels(d, source.data(), n, level, format);
                    if (op >= 4) BlendPixels(d, source.data(), n, level, format);
                    for (int i = 0; i < n; ++i) {
                        const std::uint16_t s = source[i], was = background[offset + i];
                        std::uint16_t want = s;
                        if (op >= 1 && op <= 3) want = (s >> level) & Masks(format, level);
                        if (op >= 4) want = ExpectedBlend(was, s, level, format);
                        ASSERT_EQ(d[i], want) << "op " << op << " n " << n << " i " << i;
                    }
                    EXPECT_EQ(out[offset + std::max(n, 0)], Sentinel) << "op " << op << " n " << n;
                    if (offset == 1) {
                        EXPECT_EQ(out[0], background[0]);
                    }
                }
            }
        }
    }
}

TEST(BlendPixels, BlackOverWhiteAtEachLevel) {
    const std::uint16_t black[3] = {0, 0, 0};
    std::uint16_t out[3] = {0x7FFF, 0x7FFF, 0x7FFF};
    BlendPixels(out, black, 3, 2, Rgb555);
    // Half white in every channel, the odd last pixel too.
    EXPECT_EQ(out[0], 0x3DEF);
    EXPECT_EQ(out[2], 0x3DEF);

    std::uint16_t quarter[1] = {0xFFFF};
    BlendPixels(quarter, black, 1, 1, Rgb565);
    EXPECT_EQ(quarter[0], 0x39E7 + 0x7BEF);  // three quarters of the white stays
    std::uint16_t threeQuarters[1] = {0xFFFF};
    BlendPixels(threeQuarters, black, 1, 3, Rgb565);
    EXPECT_EQ(threeQuarters[0], 0x39E7);  // a quarter of the white stays
}

TEST(BlendPixels, NoChannelCarriesIntoItsNeighbour) {
    const std::uint16_t white[2] = {0xFFFF, 0xFFFF};
    for (int level = 1; level <= 3; ++level) {
        std::uint16_t out[2] = {0xFFFF, 0xFFFF};
        BlendPixels(out, white, 2, level, Rgb565);
        // White over white stays within each field: red, green and blue all just below full.
        EXPECT_LE(out[0] >> 11, 31);
        EXPECT_EQ(out[0], out[1]);
        EXPECT_EQ(out[0], ExpectedBlend(0xFFFF, 0xFFFF, level, Rgb565));
        EXPECT_GE(out[0] & 0x1F, 29) << "blue keeps nearly all of its value";
    }
}

}  // namespace
}  // namespace vorlix
