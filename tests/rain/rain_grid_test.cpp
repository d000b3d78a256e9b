#include "rain/rain_grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "rain/rain_grid_passes.h"
#include "rain/random.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

struct DrawnCell {
    std::int32_t x;
    std::int32_t y;
    std::uint8_t glyph;
    std::uint8_t mode;
};

// A grid over cells the test owns: every glyph normal, no change for 79 frames, no stream.
struct TestGrid {
    std::vector<GlyphCell> cells;
    RainGrid grid;

    TestGrid(std::int32_t columns, std::int32_t rows) : cells(columns * rows) {
        for (GlyphCell& cell : cells) cell = GlyphCell{GlyphShapes + 1, 79, 0, DrawBlank};
        grid.Columns = columns;
        grid.Rows = rows;
        grid.CellWidth = 16;
        grid.CellHeight = 16;
        grid.Cells = cells.data();
    }
    GlyphCell& At(std::int32_t row, std::int32_t column) {
        return cells[row * grid.Columns + column];
    }
    void AddStream(std::uint16_t column, std::int32_t headRow, std::uint8_t length,
                   std::uint8_t toggle = 1) {
        grid.Streams[grid.StreamCount++] = RainStream{column, headRow, length, toggle};
    }
};

bool Always() {
    return true;
}

std::vector<DrawnCell> RunFrame(RainGrid& grid) {
    std::vector<DrawnCell> drawn;
    AdvanceStreams(grid, Always);
    DrawAndAgeCells(grid, Always,
                    [&](std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) {
                        drawn.push_back({x, y, glyph, mode});
                    });
    return drawn;
}

// The modes the stream pass left, by row, for one column.
std::vector<int> ColumnModes(TestGrid& t, std::int32_t column) {
    AdvanceStreams(t.grid, Always);
    std::vector<int> modes;
    for (std::int32_t r = 0; r < t.grid.Rows; ++r) modes.push_back(t.At(r, column).Mode);
    return modes;
}

class RandomGenerator : public testing::FreshProcessTest {};

TEST_F(RandomGenerator, SameSeedSameNumbersInRange) {
    SeedRandom(7);
    std::vector<std::int32_t> first;
    for (int i = 0; i < 1000; ++i) first.push_back(Random());
    SeedRandom(7);
    for (int i = 0; i < 1000; ++i) {
        const std::int32_t value = Random();
        EXPECT_EQ(value, first[i]);
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 32767);
    }
    // Pinned so every platform yields the same frames.
    SeedRandom(1);
    EXPECT_EQ(Random(), 16838);
    EXPECT_EQ(Random(), 5758);
    EXPECT_EQ(Random(), 10113);
}

class RainGridBuild : public testing::FreshProcessTest {};

TEST_F(RainGridBuild, SizesAndPixelPositionsFor640x480With16x16Glyphs) {
    SeedRandom(1);
    RainGrid grid;
    ASSERT_TRUE(BuildRainGrid(grid, 640, 480, 16, 16, 100, 8));
    EXPECT_EQ(grid.Columns, 41);
    EXPECT_EQ(grid.Rows, 32);
    const std::vector<DrawnCell> drawn = RunFrame(grid);
    ASSERT_EQ(drawn.size(), 41u * 32u);
    // Bottom row first, left to right; the top row starts 10 pixels above the display.
    EXPECT_EQ(drawn.front().x, 0);
    EXPECT_EQ(drawn.front().y, 486);
    EXPECT_EQ(drawn[40].x, 640);
    EXPECT_EQ(drawn[41].y, 470);
    EXPECT_EQ(drawn.back().x, 640);
    EXPECT_EQ(drawn.back().y, -10);
    FreeRainGrid(grid);
    EXPECT_EQ(grid.Cells, nullptr);
}

TEST_F(RainGridBuild, FillsCellsAndStreamsInTheirRanges) {
    SeedRandom(99);
    RainGrid grid;
    ASSERT_TRUE(BuildRainGrid(grid, 1024, 768, 16, 16, 400, 8));
    int highlighted = 0;
    for (std::int32_t i = 0; i < grid.Columns * grid.Rows; ++i) {
        const GlyphCell& cell = grid.Cells[i];
        EXPECT_LT(cell.Glyph, BlankGlyph);
        EXPECT_LT(cell.ChangeDelay, 80);
        EXPECT_EQ(cell.Age, 0);
        EXPECT_EQ(cell.Mode, DrawBlank);
        highlighted += cell.Glyph < GlyphShapes;
    }
    // About 5 % of 65 x 50 cells.
    EXPECT_GT(highlighted, 80);
    EXPECT_LT(highlighted, 250);
    for (std::int32_t s = 0; s < grid.StreamCount; ++s) {
        const RainStream& stream = grid.Streams[s];
        EXPECT_GE(stream.HeadRow, 0);
        EXPECT_LT(stream.HeadRow, grid.Rows + 30);
        EXPECT_GE(stream.Length, 10);
        EXPECT_LE(stream.Length, 44);
        EXPECT_LT(stream.Column, grid.Columns);
        EXPECT_EQ(stream.StepToggle, 0);
    }
    FreeRainGrid(grid);
}

TEST_F(RainGridBuild, DrawsRandomNumbersInTheDocumentedOrder) {
    SeedRandom(4242);
    RainGrid grid;
    ASSERT_TRUE(BuildRainGrid(grid, 0, 0, 16, 16, 2, 8));  // one column, two rows
    SeedRandom(4242);
    for (int i = 0; i < 2; ++i) {
        const GlyphCell& cell = grid.Cells[i];
        const bool bright = Random() % 100 < 5;
        const int glyph = bright ? Random() % 27 : 27 + Random() % 27;
        EXPECT_EQ(cell.Glyph, glyph);
        EXPECT_EQ(cell.ChangeDelay, Random() % 80);
    }
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(grid.Streams[s].HeadRow, Random() % 32);
        EXPECT_EQ(grid.Streams[s].Length, 10 + Random() % 35);
        EXPECT_EQ(grid.Streams[s].Column, Random() % 1);
    }
    FreeRainGrid(grid);
}

TEST_F(RainGridBuild, LimitsDensityAndServesWideDisplays) {
    SeedRandom(5);
    RainGrid grid;
    ASSERT_TRUE(BuildRainGrid(grid, 3840, 2160, 8, 12, 1000, 8));
    EXPECT_EQ(grid.StreamCount, MaxStreams);
    EXPECT_EQ(grid.Columns, 481);
    bool pastByte = false;
    for (std::int32_t s = 0; s < grid.StreamCount; ++s) {
        EXPECT_LT(grid.Streams[s].Column, grid.Columns);
        pastByte |= grid.Streams[s].Column > 255;
    }
    EXPECT_TRUE(pastByte);
    // Frames run over the whole width.
    for (int frame = 0; frame < 10; ++frame) RunFrame(grid);
    FreeRainGrid(grid);
}

TEST_F(RainGridBuild, RefusesSizesThatCannotMakeAGrid) {
    RainGrid grid;
    EXPECT_FALSE(BuildRainGrid(grid, 640, 480, 0, 16, 10, 8));
    EXPECT_FALSE(BuildRainGrid(grid, 640, 480, 16, -1, 10, 8));
    EXPECT_FALSE(BuildRainGrid(grid, -640, 480, 16, 16, 10, 8));
    EXPECT_FALSE(BuildRainGrid(grid, 2000000000, 2000000000, 1, 1, 10, 8));
    EXPECT_EQ(grid.Cells, nullptr);
}

class StreamPass : public testing::FreshProcessTest {};

TEST_F(StreamPass, StreamOfLengthTenFadesOverItsLastThreeCells) {
    TestGrid t(4, 32);
    t.AddStream(2, 20, 10);  // toggle 1: steps to row 21 in this pass
    const std::vector<int> modes = ColumnModes(t, 2);
    // Cells 0 ... 6 (rows 21 ... 15) full, cell 7 half, 8 quarter, 9 eighth.
    for (int r = 15; r <= 21; ++r) EXPECT_EQ(modes[r], DrawFull) << r;
    EXPECT_EQ(modes[14], DrawHalf);
    EXPECT_EQ(modes[13], DrawQuarter);
    EXPECT_EQ(modes[12], DrawEighth);
    EXPECT_EQ(modes[11], DrawBlank);
    EXPECT_EQ(modes[22], DrawBlank);
    EXPECT_EQ(t.At(21, 1).Mode, DrawBlank);
}

TEST_F(StreamPass, StreamsStepEverySecondPassStartingWithTheSecond) {
    TestGrid t(2, 32);
    t.AddStream(0, 5, 10, 0);
    AdvanceStreams(t.grid, Always);
    EXPECT_EQ(t.grid.Streams[0].HeadRow, 5);
    EXPECT_EQ(t.grid.Streams[0].StepToggle, 1);
    AdvanceStreams(t.grid, Always);
    EXPECT_EQ(t.grid.Streams[0].HeadRow, 6);
    EXPECT_EQ(t.grid.Streams[0].StepToggle, 0);
}

TEST_F(StreamPass, NegativeHeadMarksNothingAndHeadAtTopMarksOnlyRowsInside) {
    TestGrid t(2, 32);
    t.AddStream(0, -2, 10);  // steps to -1
    t.AddStream(1, 2, 10);   // steps to 3: rows 3 ... 0 only
    const std::vector<int> first = ColumnModes(t, 0);
    for (int mode : first) EXPECT_EQ(mode, DrawBlank);
    for (int r = 0; r <= 3; ++r) EXPECT_EQ(t.At(r, 1).Mode, DrawFull);
    EXPECT_EQ(t.At(4, 1).Mode, DrawBlank);
}

TEST_F(StreamPass, HeadBelowTheGridMarksOnlyItsCellsStillInside) {
    TestGrid t(2, 32);
    t.AddStream(0, 34, 10);  // steps to 35: rows 35 ... 26; 32 and up are outside
    const std::vector<int> modes = ColumnModes(t, 0);
    EXPECT_EQ(modes[31], DrawFull);  // j = 4
    EXPECT_EQ(modes[29], DrawFull);  // j = 6
    EXPECT_EQ(modes[28], DrawHalf);  // j = 7
    EXPECT_EQ(modes[27], DrawQuarter);
    EXPECT_EQ(modes[26], DrawEighth);
    EXPECT_EQ(modes[25], DrawBlank);
}

TEST_F(StreamPass, RestartsInTheFrameItsTailLeavesAndMarksNothingThen) {
    TestGrid t(7, 32);
    t.AddStream(3, 41, 10, 0);  // stays at 41 (tail at row 32): still counted, nothing inside
    std::vector<int> modes = ColumnModes(t, 3);
    for (int mode : modes) EXPECT_EQ(mode, DrawBlank);
    EXPECT_EQ(t.grid.Streams[0].HeadRow, 41);

    SeedRandom(77);
    AdvanceStreams(t.grid, Always);  // steps to 42: 42 - 10 reaches Rows
    SeedRandom(77);
    const RainStream& stream = t.grid.Streams[0];
    EXPECT_EQ(stream.HeadRow, -1 - Random() % 5);
    EXPECT_EQ(stream.Length, 10 + Random() % 35);
    EXPECT_EQ(stream.Column, Random() % 7);
    for (std::int32_t i = 0; i < 7 * 32; ++i) EXPECT_EQ(t.cells[i].Mode, DrawBlank);
}

TEST_F(StreamPass, RestartedStreamMarksRowZeroAfterAsManyStepsAsItsHeadWasAbove) {
    TestGrid t(1, 32);
    t.AddStream(0, -3, 10, 0);
    int passes = 0;
    while (t.At(0, 0).Mode == DrawBlank && passes < 20) {
        AdvanceStreams(t.grid, Always);
        ++passes;
    }
    EXPECT_EQ(passes, 6);  // three steps, one every second pass
    EXPECT_EQ(t.At(0, 0).Mode, DrawFull);
}

TEST_F(StreamPass, HigherIndexWinsWhereStreamsOverlap) {
    TestGrid t(2, 32);
    t.AddStream(1, 19, 10);  // rows 20 ... 11: row 13 is its quarter cell
    t.AddStream(1, 12, 10);  // rows 13 ... 4: row 13 is its head, full
    t.AddStream(1, 22, 10);  // rows 23 ... 14: row 14 is its eighth cell
    const std::vector<int> modes = ColumnModes(t, 1);
    EXPECT_EQ(modes[13], DrawFull);
    EXPECT_EQ(modes[14], DrawEighth);
    EXPECT_EQ(modes[12], DrawFull);
}

class DrawAndAgePass : public testing::FreshProcessTest {};

TEST_F(DrawAndAgePass, ChangeDelayZeroChangesAtOnceAndSeventyNineAfterEightyFrames) {
    TestGrid t(3, 6);
    t.grid.HighlightPercent = 0;
    t.At(1, 1).ChangeDelay = 0;
    SeedRandom(31);
    RunFrame(t.grid);
    // Cells are visited bottom-up: the only replacement draws three numbers.
    SeedRandom(31);
    Random();
    const int glyph = 27 + Random() % 27;
    const int delay = Random() % 80;
    EXPECT_EQ(t.At(1, 1).Glyph, glyph);
    EXPECT_EQ(t.At(1, 1).ChangeDelay, delay);
    EXPECT_EQ(t.At(1, 1).Age, 0);

    for (int frame = 1; frame < 79; ++frame) RunFrame(t.grid);
    EXPECT_EQ(t.At(0, 0).Age, 79);
    EXPECT_EQ(t.At(0, 0).Glyph, GlyphShapes + 1);
    RunFrame(t.grid);  // the 80th frame
    EXPECT_EQ(t.At(0, 0).Age, 0);
}

TEST_F(DrawAndAgePass, HighlightZeroLetsStartingHighlightsSettleOnTheLowestRow) {
    SeedRandom(2024);
    RainGrid grid;
    ASSERT_TRUE(BuildRainGrid(grid, 640, 480, 16, 16, 100, 0));
    for (int frame = 0; frame < 40; ++frame) RunFrame(grid);
    for (std::int32_t r = 0; r < grid.Rows - 1; ++r) {
        for (std::int32_t c = 0; c < grid.Columns; ++c) {
            EXPECT_GE(grid.Cells[r * grid.Columns + c].Glyph, GlyphShapes) << r << "," << c;
        }
    }
    FreeRainGrid(grid);
}

TEST_F(DrawAndAgePass, HighlightHundredHighlightsEveryChangeInTheUpperTwoThirds) {
    TestGrid t(4, 9);  // rows 0 ... 5 may highlight
    t.grid.HighlightPercent = 100;
    for (GlyphCell& cell : t.cells) cell.ChangeDelay = 0;
    RunFrame(t.grid);
    for (std::int32_t r = 0; r < 9; ++r) {
        for (std::int32_t c = 0; c < 4; ++c) {
            EXPECT_EQ(t.At(r, c).Glyph < GlyphShapes, r < 6) << r << "," << c;
        }
    }
}

TEST_F(DrawAndAgePass, HighlightMovesDownOneRowAFrameKeepingTheShapeBelow) {
    TestGrid t(3, 8);
    t.At(2, 1).Glyph = 5;
    t.At(3, 1).Glyph = 27 + 11;
    t.At(4, 1).Glyph = 27 + 20;
    std::vector<DrawnCell> drawn = RunFrame(t.grid);
    EXPECT_EQ(t.At(2, 1).Glyph, 27 + 5);
    EXPECT_EQ(t.At(3, 1).Glyph, 11);
    auto glyphDrawnAt = [&](std::int32_t row) {
        for (const DrawnCell& cell : drawn) {
            if (cell.x == 16 && cell.y == row * 16 - 10) return static_cast<int>(cell.glyph);
        }
        return -1;
    };
    EXPECT_EQ(glyphDrawnAt(2), 5);  // the change shows from the next frame on
    EXPECT_EQ(glyphDrawnAt(3), 38);
    drawn = RunFrame(t.grid);
    EXPECT_EQ(glyphDrawnAt(3), 11);
    EXPECT_EQ(t.At(3, 1).Glyph, 38);
    EXPECT_EQ(t.At(4, 1).Glyph, 20);
    // On the lowest row it stays.
    for (int frame = 0; frame < 10; ++frame) RunFrame(t.grid);
    EXPECT_EQ(t.At(7, 1).Glyph, 1);
}

TEST_F(DrawAndAgePass, WithoutStreamsEveryCellIsBlankButStillAges) {
    SeedRandom(3);
    RainGrid grid;
    ASSERT_TRUE(BuildRainGrid(grid, 320, 200, 16, 16, 0, 8));
    for (int frame = 0; frame < 5; ++frame) {
        for (const DrawnCell& cell : RunFrame(grid)) ASSERT_EQ(cell.mode, DrawBlank);
    }
    int aged = 0;
    for (std::int32_t i = 0; i < grid.Columns * grid.Rows; ++i) aged += grid.Cells[i].Age > 0;
    EXPECT_GT(aged, grid.Columns * grid.Rows / 2);
    FreeRainGrid(grid);
}

TEST_F(DrawAndAgePass, EveryModeReachesTheCellDrawerAndIsClearedAfter) {
    TestGrid t(2, 32);
    t.AddStream(0, 20, 10, 0);
    const std::vector<DrawnCell> drawn = RunFrame(t.grid);
    int counts[5] = {};
    for (const DrawnCell& cell : drawn) ++counts[cell.mode];
    EXPECT_EQ(counts[DrawFull], 7);
    EXPECT_EQ(counts[DrawHalf], 1);
    EXPECT_EQ(counts[DrawQuarter], 1);
    EXPECT_EQ(counts[DrawEighth], 1);
    for (const GlyphCell& cell : t.cells) EXPECT_EQ(cell.Mode, DrawBlank);
}

class KeepGoing : public testing::FreshProcessTest {};

TEST_F(KeepGoing, FailingMidRowLeavesTheRestUndrawnAndUnaged) {
    TestGrid t(5, 4);
    t.At(1, 1).Mode = DrawFull;
    int budget = 1 + 5 + 1 + 2;  // row 3, its 5 cells, row 2, two cells of it
    int drawnCount = 0;
    DrawAndAgeCells(
        t.grid, [&] { return budget-- > 0; },
        [&](std::int32_t, std::int32_t, std::uint8_t, std::uint8_t) { ++drawnCount; });
    EXPECT_EQ(drawnCount, 7);
    EXPECT_EQ(t.At(3, 4).Age, 1);
    EXPECT_EQ(t.At(2, 1).Age, 1);
    EXPECT_EQ(t.At(2, 2).Age, 0);
    EXPECT_EQ(t.At(0, 0).Age, 0);
    EXPECT_EQ(t.At(1, 1).Mode, DrawFull);  // left for the next full frame
}

TEST_F(KeepGoing, FailingInTheStreamPassStopsMarking) {
    TestGrid t(2, 32);
    t.AddStream(0, 20, 10, 0);
    t.AddStream(1, 20, 10, 0);
    int budget = 1 + 3;  // stream 0, then three of its cells
    AdvanceStreams(t.grid, [&] { return budget-- > 0; });
    EXPECT_EQ(t.At(20, 0).Mode, DrawFull);
    EXPECT_EQ(t.At(18, 0).Mode, DrawFull);
    EXPECT_EQ(t.At(17, 0).Mode, DrawBlank);
    EXPECT_EQ(t.At(20, 1).Mode, DrawBlank);
    EXPECT_EQ(t.grid.Streams[1].StepToggle, 0);
}

class RainGridRegression : public testing::FreshProcessTest {};

TEST_F(RainGridRegression, FixedSeedGivesAKnownPicture) {
    SeedRandom(12345);
    RainGrid grid;
    ASSERT_TRUE(BuildRainGrid(grid, 640, 480, 16, 16, 300, 8));
    std::uint64_t hash = 14695981039346656037ull;
    for (int frame = 0; frame < 120; ++frame) {
        AdvanceStreams(grid, Always);
        DrawAndAgeCells(grid, Always,
                        [&](std::int32_t x, std::int32_t y, std::uint8_t glyph, std::uint8_t mode) {
                            const std::uint32_t values[4] = {static_cast<std::uint32_t>(x),
                                                             static_cast<std::uint32_t>(y), glyph,
                                                             mode};
                            for (std::uint32_t value : values)
                                hash = (hash ^ value) * 1099511628211ull;
                        });
    }
    EXPECT_EQ(hash, 16017622176971189658ull);
    FreeRainGrid(grid);
}

}  // namespace
}  // namespace vorlix
