#pragma once
// Whole glyph rows, of one glyph or gathered from many to be copied in one go with no call
// and no clipping per glyph. On any processor a row of up to MaxWidth pixels is at most two
// fixed-size copies (unaligned moves of up to 16 bytes, the part of SSE2 every x86-64 has),
// the second ending at the row's end; masked_rows copies the same runs with one masked store
// a row where the processor has AVX-512.
#include <cstdint>

namespace vorlix {

struct RowRun {
    std::uint16_t* destination;
    const std::uint16_t* source;  // packed, row after row
    std::int64_t rows;
};

namespace row_runs {

constexpr std::int64_t MaxWidth = 16;

// One glyph's rows, width pixels wide (1 ... MaxWidth; any other width copies nothing), the
// source packed row after row: the baseline's twin of masked_rows::Copy.
void Copy(std::uint16_t* destination, const std::uint16_t* source, std::int64_t width,
          std::int64_t height, std::int64_t pitch);
// Runs of rows width pixels wide, 1 ... MaxWidth; any other width copies nothing.
void CopyInBlocks(const RowRun* runs, std::int64_t count, std::int64_t width, std::int64_t pitch);

}  // namespace row_runs
}  // namespace vorlix
