#pragma once
// Walk a raw or LLE frame row by row and hand each visible stretch of pixels to a row
// operation. The unclipped forms trust the caller's inside test; the clipped forms write only
// inside the given bounds. All position arithmetic is 64-bit, so no position a caller passes
// can overflow.
#include <algorithm>
#include <cstdint>

#include "glyphs/masked_rows.h"
#include "glyphs/row_runs.h"
#include "glyphs/surface_view.h"

namespace vorlix::walkers {

// The writable area: right and bottom are exclusive.
struct Bounds {
    std::int64_t left;
    std::int64_t top;
    std::int64_t right;
    std::int64_t bottom;
};

struct Frame {
    const std::uint16_t* words;
    std::int64_t width;
    std::int64_t height;
};

inline bool WhollyInside(const Bounds& b, const Frame& f, std::int64_t x, std::int64_t y) {
    return y >= b.top && x >= b.left && y + f.height <= b.bottom && x + f.width <= b.right;
}

inline std::uint16_t* PixelAt(const SurfaceView& view, std::int64_t x, std::int64_t y) {
    return view.pixels + (y * view.pitch + x);
}

// Rows of width n (Head <= n <= Head + Tail) as two blocks each: Head pixels from the row's
// start, Tail ending at its end, overlapping where n is less than their sum. A whole frame with
// no branch per row but the loop's own; a tail half the head stores fewer bytes, and crosses
// fewer cache lines, than a second head (a 12-pixel row is 16 bytes and 8, not 16 and 16).
template <int Head, int Tail, class Op>
[[gnu::always_inline]] inline void TwoBlockRows(const std::uint16_t* source,
                                                std::uint16_t* destination, std::int64_t width,
                                                std::int64_t height, std::int64_t pitch,
                                                const Op& op) {
    const std::int64_t tail = width - Tail;
    for (std::int64_t r = 0; r < height; ++r) {
        op.template Run<Head>(destination, source);
        op.template Run<Tail>(destination + tail, source + tail);
        source += width;
        destination += pitch;
    }
}

// Whole rows in blocks of up to eight pixels, the last block of a row overlapping the one
// before it where the operation allows.
template <class Op>
[[gnu::always_inline]] inline void RowsInBlocks(const Frame& f, std::uint16_t* destination,
                                                std::int64_t pitch, const Op& op) {
    const std::uint16_t* source = f.words;
    const std::int64_t width = f.width;
    const std::int64_t height = f.height;
    if constexpr (Op::SourceOnly) {
        if (width > 12 && width <= 16) {
            TwoBlockRows<8, 8>(source, destination, width, height, pitch, op);
            return;
        }
        if (width >= 8 && width <= 12) {
            TwoBlockRows<8, 4>(source, destination, width, height, pitch, op);
            return;
        }
        if (width > 6 && width < 8) {
            TwoBlockRows<4, 4>(source, destination, width, height, pitch, op);
            return;
        }
        if (width >= 4 && width <= 6) {
            TwoBlockRows<4, 2>(source, destination, width, height, pitch, op);
            return;
        }
    }
    for (std::int64_t r = 0; r < height; ++r) {
        op(destination, source, static_cast<std::int32_t>(width));
        source += width;
        destination += pitch;
    }
}

// Always inlined: it is the whole work of most draw calls.
template <class Op>
[[gnu::always_inline]] inline void RawUnclipped(const Frame& f, const SurfaceView& view,
                                                std::int64_t x, std::int64_t y, Op op) {
    std::uint16_t* destination = PixelAt(view, x, y);
    if constexpr (Op::SourceOnly && masked_rows::Built) {
        if (f.width <= masked_rows::MaxWidth && masked_rows::Available()) {
            op.MaskedRows(destination, f.words, f.width, f.height, view.pitch);
            return;
        }
    }
    if constexpr (Op::SizedRows) {
        if (f.width <= row_runs::MaxWidth) {
            op.RowsSizedToWidth(destination, f.words, f.width, f.height, view.pitch);
            return;
        }
    }
    RowsInBlocks(f, destination, view.pitch, op);
}

template <class Op>
void RawClipped(const Frame& f, const Bounds& b, const SurfaceView& view, std::int64_t x,
                std::int64_t y, Op op) {
    if (x + f.width < b.left || y + f.height < b.top || x >= b.right || y >= b.bottom) return;
    std::int64_t visible = x >= b.right - f.width ? b.right - x : f.width;
    std::int64_t rows = y >= b.bottom - f.height ? b.bottom - y : f.height;
    std::int64_t start = 0;
    if (x < b.left) {
        start += b.left - x;
        visible -= b.left - x;
        x = b.left;
    }
    if (y < b.top) {
        start += (b.top - y) * f.width;
        rows -= b.top - y;
        y = b.top;
    }
    if (visible <= 0 || rows <= 0) return;
    const std::uint16_t* source = f.words + start;
    std::uint16_t* destination = PixelAt(view, x, y);
    for (std::int64_t r = 0; r < rows; ++r) {
        op(destination, source, static_cast<std::int32_t>(visible));
        source += f.width;
        destination += view.pitch;
    }
}

// Steps over one encoded row and returns the word after it.
inline const std::uint16_t* SkipLleRow(const std::uint16_t* words, std::int64_t width) {
    const unsigned runs = *words++;
    if (runs == 1) return words + width;
    for (unsigned k = 1; k < runs; ++k) {
        const unsigned count = words[1];
        words += 2 + count;
    }
    return words;
}

template <class Op>
void LleUnclipped(const Frame& f, const SurfaceView& view, std::int64_t x, std::int64_t y,
                  Op op) {
    const std::uint16_t* words = f.words;
    std::uint16_t* row = PixelAt(view, x, y);
    const auto width = static_cast<std::int32_t>(f.width);
    for (std::int64_t r = 0; r < f.height; ++r, row += view.pitch) {
        const unsigned runs = *words++;
        if (runs == 1) {
            op(row, words, width);
            words += width;
            continue;
        }
        std::uint16_t* p = row;
        for (unsigned k = 1; k < runs; ++k) {
            p += words[0];
            const unsigned count = words[1];
            words += 2;
            op(p, words, static_cast<std::int32_t>(count));
            p += count;
            words += count;
        }
    }
}

// Writes the part of a run at frame columns first ... first + count - 1 that lies within the
// frame columns cut ... end - 1.
// rowAtFrameX0 is the offset of the surface pixel under frame column 0; it may lie left of
// the bounds, so it stays a number until a visible column is added.
template <class Op>
inline void ClippedRun(std::uint16_t* pixels, std::int64_t rowAtFrameX0, const std::uint16_t* run,
                       std::int64_t first, std::int64_t count, std::int64_t cut,
                       std::int64_t end, Op& op) {
    const std::int64_t from = std::max(first, cut);
    const std::int64_t to = std::min(first + count, end);
    if (from >= to) return;
    op(pixels + (rowAtFrameX0 + from), run + (from - first), static_cast<std::int32_t>(to - from));
}

template <class Op>
void LleClipped(const Frame& f, const Bounds& b, const SurfaceView& view, std::int64_t x,
                std::int64_t y, Op op) {
    if (y < b.top - f.height || y >= b.bottom || x < b.left - f.width || x >= b.right) return;
    std::int64_t rows = b.bottom < y + f.height ? b.bottom - y : f.height;
    const std::uint16_t* words = f.words;
    for (; y < b.top && rows > 0; ++y, --rows) words = SkipLleRow(words, f.width);
    const std::int64_t cut = x < b.left ? b.left - x : 0;
    const std::int64_t end = x + f.width > b.right ? b.right - x : f.width;
    for (std::int64_t r = 0; r < rows; ++r, ++y) {
        const std::int64_t rowAtFrameX0 = y * view.pitch + x;
        const unsigned runs = *words++;
        if (runs == 1) {
            ClippedRun(view.pixels, rowAtFrameX0, words, 0, f.width, cut, end, op);
            words += f.width;
            continue;
        }
        std::int64_t column = 0;
        for (unsigned k = 1; k < runs; ++k) {
            column += words[0];
            const std::int64_t count = words[1];
            words += 2;
            ClippedRun(view.pixels, rowAtFrameX0, words, column, count, cut, end, op);
            column += count;
            words += count;
        }
    }
}

}  // namespace vorlix::walkers
