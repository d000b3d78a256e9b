#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "glyphs/graphics_loader.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

constexpr std::uint16_t K = 0x7C1F;  // the 5-5-5 key
constexpr std::uint16_t A = 0x1111;
constexpr std::uint16_t B = 0x2222;
constexpr std::uint16_t C = 0x3333;

class LleEncoder : public testing::FreshProcessTest {
protected:
    LleEncoder() {
        loader.SetPixelFormat(Rgb555);
        const std::uint8_t magenta[3] = {255, 0, 255};
        std::uint16_t ignored = 0;
        loader.ConvertRow(&ignored, magenta, 1);  // sets ColorKey
    }

    // Encodes and returns the words; the count is worked out by walking the format, so a
    // wrong length shows as a mismatch rather than a read past the buffer.
    std::vector<std::uint16_t> Encode(const std::vector<std::uint16_t>& pixels, int width,
                                      int height) {
        std::unique_ptr<std::uint16_t[]> words(loader.EncodeFrame(pixels.data(), width, height));
        EXPECT_TRUE(words);
        std::vector<std::uint16_t> out;
        const std::uint16_t* p = words.get();
        for (int r = 0; r < height; ++r) {
            const unsigned n = *p++;
            out.push_back(static_cast<std::uint16_t>(n));
            if (n == 1) {
                out.insert(out.end(), p, p + width);
                p += width;
                continue;
            }
            for (unsigned k = 1; k < n; ++k) {
                const unsigned count = p[1];
                out.insert(out.end(), p, p + 2 + count);
                p += 2 + count;
            }
        }
        return out;
    }

    GraphicsLoader loader;
};

TEST_F(LleEncoder, RowExamplesOfWidthEight) {
    using Words = std::vector<std::uint16_t>;
    EXPECT_EQ(Encode({K, K, K, K, K, K, K, K}, 8, 1), (Words{0}));
    EXPECT_EQ(Encode({A, A, A, A, A, A, A, A}, 8, 1), (Words{1, A, A, A, A, A, A, A, A}));
    EXPECT_EQ(Encode({K, K, A, B, K, C, K, K}, 8, 1), (Words{3, 2, 2, A, B, 1, 1, C}));
    EXPECT_EQ(Encode({A, K, K, K, K, K, K, B}, 8, 1), (Words{3, 0, 1, A, 6, 1, B}));
}

TEST_F(LleEncoder, RowsFollowEachOtherWithNothingBetween) {
    const std::vector<std::uint16_t> frame = {K, K, A, B, K, C, K, K,   //
                                              A, A, A, A, A, A, A, A,   //
                                              K, K, K, K, K, K, K, K,   //
                                              A, K, K, K, K, K, K, B};
    std::unique_ptr<std::uint16_t[]> words(loader.EncodeFrame(frame.data(), 8, 4));
    const std::vector<std::uint16_t> expected = {3, 2, 2, A, B, 1, 1, C, 1, A, A, A, A, A,
                                                 A, A, A, 0, 3, 0,  1, A, 6, 1, B};
    EXPECT_EQ(std::vector<std::uint16_t>(words.get(), words.get() + expected.size()), expected);
}

TEST_F(LleEncoder, AllKeyAndKeylessFrames) {
    const int width = 5, height = 3;
    std::vector<std::uint16_t> keys(width * height, K);
    EXPECT_EQ(Encode(keys, width, height), std::vector<std::uint16_t>(height, 0));

    std::vector<std::uint16_t> opaque(width * height);
    for (int i = 0; i < width * height; ++i) opaque[i] = static_cast<std::uint16_t>(i);
    const std::vector<std::uint16_t> words = Encode(opaque, width, height);
    ASSERT_EQ(words.size(), static_cast<std::size_t>(height * (width + 1)));
    for (int r = 0; r < height; ++r) {
        EXPECT_EQ(words[r * (width + 1)], 1);
        EXPECT_EQ(words[r * (width + 1) + 1], r * width);
    }
}

TEST_F(LleEncoder, WidthOneAndOneBitFromTheKey) {
    using Words = std::vector<std::uint16_t>;
    EXPECT_EQ(Encode({A}, 1, 1), (Words{1, A}));
    EXPECT_EQ(Encode({K}, 1, 1), (Words{0}));
    const std::uint16_t nearKey = K ^ 1;
    EXPECT_EQ(Encode({K, nearKey, K}, 3, 1), (Words{2, 1, 1, nearKey}));
}

TEST_F(LleEncoder, OpaqueStartButNotThroughoutUsesRuns) {
    using Words = std::vector<std::uint16_t>;
    EXPECT_EQ(Encode({A, B, K}, 3, 1), (Words{2, 0, 2, A, B}));
    EXPECT_EQ(Encode({K, A, B}, 3, 1), (Words{2, 1, 2, A, B}));
    EXPECT_EQ(Encode({A, K, A, K, A}, 5, 1), (Words{4, 0, 1, A, 1, 1, A, 1, 1, A}));
}

TEST_F(LleEncoder, KeyFollowsTheLoaderLayout) {
    loader.SetPixelFormat(Rgb565);
    const std::uint8_t black[3] = {0, 0, 0};
    std::uint16_t ignored = 0;
    loader.ConvertRow(&ignored, black, 1);
    using Words = std::vector<std::uint16_t>;
    EXPECT_EQ(Encode({0xF81F, K}, 2, 1), (Words{2, 1, 1, K}));
}

TEST(AnimationStore, ConstructionAndPartlyFilledRelease) {
    Animation empty;
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.frameCount, 0);
    for (auto* frame : empty.frames) EXPECT_EQ(frame, nullptr);

    // Slots filled out of order, as a failed load may leave them; the leak checker of the
    // sanitizer build sees any slot left behind.
    auto* animation = new Animation(4, 2, 10, 1);
    EXPECT_EQ(animation->hasMaps, 0);
    EXPECT_EQ(animation->currentFrame, 0);
    EXPECT_EQ(animation->compressed, 1u);
    animation->frames[0] = new std::uint16_t[8];
    animation->frames[99] = new std::uint16_t[8];
    animation->maps[3] = new std::uint8_t[8];
    delete animation;

    Picture picture(2, 2, 0, new std::uint16_t[4]);
    EXPECT_EQ(picture.hasMap, 0);
    EXPECT_EQ(picture.map, nullptr);
    picture.map = new std::uint8_t[4];
}

}  // namespace
}  // namespace vorlix
