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

template <std::size_t Bytes>
void CopyRows(const RowRun* runs, std::int64_t count, std::int64_t pitch) {
    using Blocks = RowBlocks<Bytes>;
    const auto stride = static_cast<std::ptrdiff_t>(pitch * sizeof(std::uint16_t));
    for (const RowRun* run = runs; run != runs + count; ++run) {
        const auto* source = reinterpret_cast<const unsigned char*>(run->source);
        auto* destination = reinterpret_cast<unsigned char*>(run->destination);
        // Held apart from the run: the stores below could otherwise alias it.
        const std::int64_t rows = run->rows;
        for (std::int64_t r = 0; r < rows; ++r, source += Bytes, destination += stride) {
            unsigned char head[Blocks::Head];
            std::memcpy(head, source, Blocks::Head);
            if constexpr (Blocks::Tail != 0) {
                unsigned char tail[Blocks::Tail];
                std::memcpy(tail, source + Bytes - Blocks::Tail, Blocks::Tail);
                std::memcpy(destination + Bytes - Blocks::Tail, tail, Blocks::Tail);
            }
            std::memcpy(destination, head, Blocks::Head);
        }
    }
}

using CopyRowsFunction = void (*)(const RowRun*, std::int64_t, std::int64_t);

// The copy of each width 1 ... MaxWidth, one jump away.
template <std::size_t... Widths>
constexpr auto CopiesByWidth(std::index_sequence<Widths...>) {
    return std::array<CopyRowsFunction, sizeof...(Widths)>{
        CopyRows<(Widths + 1) * sizeof(std::uint16_t)>...};
}

constexpr auto Copies = CopiesByWidth(std::make_index_sequence<MaxWidth>{});

}  // namespace

void CopyInBlocks(const RowRun* runs, std::int64_t count, std::int64_t width, std::int64_t pitch) {
    if (width < 1 || width > MaxWidth) return;
    Copies[static_cast<std::size_t>(width - 1)](runs, count, pitch);
}

}  // namespace vorlix::row_runs
