#include "glyphs/row_runs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <utility>

namespace vorlix::row_runs {

namespace {

// A row of Bytes bytes as two fixed copies: the largest block of at most 16 bytes from its
// start, then the smallest that reaches its end, overlapping the first where the row is no
// sum of two such blocks. A 12-pixel row is 16 bytes and 8: fewer bytes stored, and fewer
// stores across a cache line, than two 16-byte blocks.
template <std::size_t Bytes>
struct RowBlocks {
    static constexpr std::size_t Head = Bytes >= 16 ? 16 : std::bit_floor(Bytes);
    static constexpr std::size_t Rest = Bytes - Head;
    static constexpr std::size_t Tail =
        Rest == 0 ? 0 : std::min<std::size_t>(16, std::bit_ceil(Rest));
};

// One row of Bytes bytes.
template <std::size_t Bytes>
[[gnu::always_inline]] inline void CopyRow(unsigned char* destination,
                                           const unsigned char* source) {
    using Blocks = RowBlocks<Bytes>;
    unsigned char head[Blocks::Head];
    std::memcpy(head, source, Blocks::Head);
    if constexpr (Blocks::Tail != 0) {
        unsigned char tail[Blocks::Tail];
        std::memcpy(tail, source + Bytes - Blocks::Tail, Blocks::Tail);
        std::memcpy(destination + Bytes - Blocks::Tail, tail, Blocks::Tail);
    }
    std::memcpy(destination, head, Blocks::Head);
}

// Rows of Bytes bytes each, the source packed row after row; two rows a step, so that the
// loop's own instructions are fewer than its moves (more rows a step measured no faster).
template <std::size_t Bytes>
[[gnu::always_inline]] inline void CopyRun(unsigned char* destination, const unsigned char* source,
                                           std::int64_t rows, std::ptrdiff_t stride) {
    for (; rows >= 2; rows -= 2, source += 2 * Bytes, destination += 2 * stride) {
        CopyRow<Bytes>(destination, source);
        CopyRow<Bytes>(destination + stride, source + Bytes);
    }
    if (rows > 0) CopyRow<Bytes>(destination, source);
}

std::ptrdiff_t StrideOf(std::int64_t pitch) {
    return static_cast<std::ptrdiff_t>(pitch * sizeof(std::uint16_t));
}

template <std::size_t Bytes>
void CopyRows(std::uint16_t* destination, const std::uint16_t* source, std::int64_t rows,
              std::int64_t pitch) {
    CopyRun<Bytes>(reinterpret_cast<unsigned char*>(destination),
                   reinterpret_cast<const unsigned char*>(source), rows, StrideOf(pitch));
}

template <std::size_t Bytes>
void CopyRuns(const RowRun* runs, std::int64_t count, std::int64_t pitch) {
    const std::ptrdiff_t stride = StrideOf(pitch);
    for (const RowRun* run = runs; run != runs + count; ++run) {
        // Held apart from the run: the stores could otherwise alias it.
        const std::int64_t rows = run->rows;
        CopyRun<Bytes>(reinterpret_cast<unsigned char*>(run->destination),
                       reinterpret_cast<const unsigned char*>(run->source), rows, stride);
    }
}

using CopyRowsFunction = void (*)(std::uint16_t*, const std::uint16_t*, std::int64_t, std::int64_t);
using CopyRunsFunction = void (*)(const RowRun*, std::int64_t, std::int64_t);

// The copies of each width 1 ... MaxWidth, one jump away.
template <std::size_t... Widths>
constexpr auto RowCopiesByWidth(std::index_sequence<Widths...>) {
    return std::array<CopyRowsFunction, sizeof...(Widths)>{
        CopyRows<(Widths + 1) * sizeof(std::uint16_t)>...};
}

template <std::size_t... Widths>
constexpr auto RunCopiesByWidth(std::index_sequence<Widths...>) {
    return std::array<CopyRunsFunction, sizeof...(Widths)>{
        CopyRuns<(Widths + 1) * sizeof(std::uint16_t)>...};
}

constexpr auto RowCopies = RowCopiesByWidth(std::make_index_sequence<MaxWidth>{});
constexpr auto RunCopies = RunCopiesByWidth(std::make_index_sequence<MaxWidth>{});

bool CopiedWidth(std::int64_t width) {
    return width >= 1 && width <= MaxWidth;
}

}  // namespace

void Copy(std::uint16_t* destination, const std::uint16_t* source, std::int64_t width,
          std::int64_t height, std::int64_t pitch) {
    if (!CopiedWidth(width)) return;
    RowCopies[static_cast<std::size_t>(width - 1)](destination, source, height, pitch);
}

void CopyInBlocks(const RowRun* runs, std::int64_t count, std::int64_t width, std::int64_t pitch) {
    if (!CopiedWidth(width)) return;
    RunCopies[static_cast<std::size_t>(width - 1)](runs, count, pitch);
}

}  // namespace vorlix::row_runs
