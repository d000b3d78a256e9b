// The bulk look scan ahead of the draw-and-age pass gives every cell the look the pass would
// hand over, and marks exactly the cells whose look differs from each buffer's.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "rain/cell_look.h"
#include "rain/cell_record.h"
#include "rain/look_scan.h"

namespace vorlix {
namespace {

bool BitSet(const std::vector<std::uint64_t>& bits, std::int32_t i) {
    return (bits[i / 64] >> (i % 64)) & 1;
}

// Every glyph with every mode, the count not a whole number of blocks; each buffer's look is
// the cell's own, another one, or unknown, in a pattern that differs between the two.
TEST(LookScan, GivesEveryCellItsLookAndMarksExactlyTheDifferingOnes) {
    constexpr std::int32_t Count = 256 * 256 + 37;
    std::vector<GlyphCell> cells(Count);
    for (std::int32_t i = 0; i < Count; ++i) {
        cells[i].Glyph = static_cast<std::uint8_t>(i);
        cells[i].Mode = static_cast<std::uint8_t>(i / 256);
        cells[i].Age = static_cast<std::uint8_t>(i * 7);
        cells[i].ChangeDelay = static_cast<std::uint8_t>(i * 13);
    }
    std::vector<std::uint16_t> drawn(Count);
    std::vector<std::uint16_t> shown(Count);
    const auto lookFor = [](std::uint16_t own, std::int32_t pattern) -> std::uint16_t {
        switch (pattern % 3) {
            case 0: return own;
            case 1: return static_cast<std::uint16_t>(own ^ 4);  // another glyph, same level
            default: return UnknownLook;
        }
    };
    for (std::int32_t i = 0; i < Count; ++i) {
        const std::uint16_t own = LookKeyOf(cells[i].Glyph, cells[i].Mode);
        drawn[i] = lookFor(own, i % 5);
        shown[i] = lookFor(own, i % 7);
    }
    const std::int32_t words = BitWordsFor(Count);
    std::vector<std::uint16_t> looks(Count, 0xABCD);
    std::vector<std::uint64_t> toDraw(words, ~std::uint64_t{0});
    std::vector<std::uint64_t> toShow(words, ~std::uint64_t{0});
    ScanLooks(cells.data(), Count, looks.data(), drawn.data(), shown.data(), toDraw.data(),
              toShow.data());
    for (std::int32_t i = 0; i < Count; ++i) {
        const std::uint16_t key = LookKeyOf(cells[i].Glyph, cells[i].Mode);
        ASSERT_EQ(looks[i], key) << "cell " << i;
        ASSERT_EQ(BitSet(toDraw, i), key != drawn[i]) << "cell " << i;
        ASSERT_EQ(BitSet(toShow, i), key != shown[i]) << "cell " << i;
    }
    for (std::int32_t i = Count; i < words * 64; ++i) {
        EXPECT_FALSE(BitSet(toDraw, i)) << "past the end: " << i;
        EXPECT_FALSE(BitSet(toShow, i)) << "past the end: " << i;
    }
}

// Grids smaller than one block and than one word are scanned cell by cell, and a scan of no
// cells writes nothing.
TEST(LookScan, ShortGridsAndNone) {
    for (std::int32_t count : {0, 1, 7, 9, 63, 64, 65}) {
        std::vector<GlyphCell> cells(static_cast<std::size_t>(count) + 1);
        for (std::int32_t i = 0; i < count; ++i) {
            cells[i].Glyph = static_cast<std::uint8_t>(27 + i % 27);
            cells[i].Mode = static_cast<std::uint8_t>(i % 5);
        }
        std::vector<std::uint16_t> drawn(count + 1, UnknownLook);
        std::vector<std::uint16_t> shown(count + 1);
        for (std::int32_t i = 0; i < count; ++i)
            shown[i] = LookKeyOf(cells[i].Glyph, cells[i].Mode);
        std::vector<std::uint16_t> looks(count + 1, 0xABCD);
        std::vector<std::uint64_t> toDraw(BitWordsFor(count) + 1, 0x5A5A);
        std::vector<std::uint64_t> toShow(BitWordsFor(count) + 1, 0x5A5A);
        ScanLooks(cells.data(), count, looks.data(), drawn.data(), shown.data(), toDraw.data(),
                  toShow.data());
        for (std::int32_t i = 0; i < count; ++i) {
            EXPECT_TRUE(BitSet(toDraw, i)) << count << ": cell " << i;
            EXPECT_FALSE(BitSet(toShow, i)) << count << ": cell " << i;
        }
        if (count % 64 != 0) {
            EXPECT_EQ(toDraw[count / 64] >> (count % 64), 0u) << count;
        }
        EXPECT_EQ(looks[count], 0xABCD) << count;
        EXPECT_EQ(toDraw[BitWordsFor(count)], 0x5A5Au) << count;
    }
}

}  // namespace
}  // namespace vorlix
