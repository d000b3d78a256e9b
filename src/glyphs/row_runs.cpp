#include "glyphs/row_runs.h"

#include <cstddef>
#include <cstring>

namespace vorlix::row_runs {

namespace {

// Rows of Block to 2 * Block bytes: two fixed copies a row, overlapping in the middle, and no
// test of the width inside the loops.
template <std::size_t Block>
void CopyTwoBlocks(const RowRun* runs, std::int64_t count, std::int64_t width,
                   std::int64_t pitch) {
    const std::size_t tail = static_cast<std::size_t>(width) * sizeof(std::uint16_t) - Block;
    for (const RowRun* run = runs; run != runs + count; ++run) {
        const auto* source = reinterpret_cast<const unsigned char*>(run->source);
        auto* destination = reinterpret_cast<unsigned char*>(run->destination);
        for (std::int64_t r = 0; r < run->rows; ++r) {
            unsigned char head[Block];
            unsigned char end[Block];
            std::memcpy(head, source, Block);
            std::memcpy(end, source + tail, Block);
            std::memcpy(destination, head, Block);
            std::memcpy(destination + tail, end, Block);
            source += width * sizeof(std::uint16_t);
            destination += pitch * sizeof(std::uint16_t);
        }
    }
}

}  // namespace

void CopyInBlocks(const RowRun* runs, std::int64_t count, std::int64_t width,
                  std::int64_t pitch) {
    if (width >= 8) return CopyTwoBlocks<16>(runs, count, width, pitch);
    if (width >= 4) return CopyTwoBlocks<8>(runs, count, width, pitch);
    if (width >= 2) return CopyTwoBlocks<4>(runs, count, width, pitch);
    CopyTwoBlocks<2>(runs, count, width, pitch);
}

}  // namespace vorlix::row_runs
