#pragma once
// The per-row pixel loops shared by the blitters and the public row operations. They are
// inline so that each blitter gets its own copy with the level fixed, and they work in blocks
// of up to eight pixels (one 128-bit vector) with fixed trip counts, so the compiler
// vectorises them even at -O2.
#include <cstdint>
#include <cstring>

#include "glyphs/masked_rows.h"
#include "glyphs/pixel_format.h"
#include "glyphs/row_runs.h"

namespace vorlix::kernels {

constexpr std::int32_t Block = 8;

// Channel masks after a shift right by 1, 2 and 3, for the two layouts.
struct DimMasks {
    std::uint16_t half;
    std::uint16_t quarter;
    std::uint16_t eighth;
};

inline DimMasks MasksFor(PixelFormat format) {
    if (format == Rgb565) return {0x7BEF, 0x39E7, 0x18E3};
    return {0x3DEF, 0x1CE7, 0x0C63};
}

template <int N>
inline void CopyBlock(std::uint16_t* destination, const std::uint16_t* source) {
    std::memcpy(destination, source, 2 * N);
}

template <int N, int Shift>
inline void DimBlock(std::uint16_t* destination, const std::uint16_t* source,
                     std::uint16_t mask) {
    std::uint16_t block[N];
    std::memcpy(block, source, sizeof block);
    for (int k = 0; k < N; ++k) block[k] = static_cast<std::uint16_t>((block[k] >> Shift) & mask);
    std::memcpy(destination, block, sizeof block);
}

// Ops whose output depends on the source alone may write a pixel twice, so a row of any
// length is covered by whole blocks, the last one overlapping the one before it: no
// pixel-by-pixel tail. Writes exactly the count pixels; count <= 0 writes nothing.
template <class Op>
inline void OverlappingSpan(const Op& op, std::uint16_t* destination,
                            const std::uint16_t* source, std::int32_t count) {
    if (count >= Block) {
        for (std::int32_t i = 0; i + Block < count; i += Block) {
            op.template Run<Block>(destination + i, source + i);
        }
        op.template Run<Block>(destination + count - Block, source + count - Block);
        return;
    }
    if (count >= 4) {
        op.template Run<4>(destination, source);
        op.template Run<4>(destination + count - 4, source + count - 4);
        return;
    }
    if (count >= 2) {
        op.template Run<2>(destination, source);
        op.template Run<2>(destination + count - 2, source + count - 2);
        return;
    }
    if (count == 1) op.template Run<1>(destination, source);
}

// d is the surface pixel, s the source pixel; no channel can carry into its neighbour.
template <int Level>
inline std::uint16_t BlendPixel(std::uint16_t d, std::uint16_t s, const DimMasks& m) {
    if constexpr (Level == 1) {
        return static_cast<std::uint16_t>(((d >> 2) & m.quarter) + ((s >> 2) & m.quarter) +
                                          ((d >> 1) & m.half));
    } else if constexpr (Level == 2) {
        return static_cast<std::uint16_t>(((d >> 1) & m.half) + ((s >> 1) & m.half));
    } else {
        return static_cast<std::uint16_t>(((s >> 2) & m.quarter) + ((s >> 1) & m.half) +
                                          ((d >> 2) & m.quarter));
    }
}

// Blending reads what it writes, so its blocks never overlap: whole blocks, then a tail.
template <int Level>
inline void BlendRow(std::uint16_t* __restrict destination,
                     const std::uint16_t* __restrict source, std::int32_t count,
                     const DimMasks& masks) {
    std::int32_t i = 0;
    for (; i + Block <= count; i += Block) {
        for (std::int32_t k = 0; k < Block; ++k) {
            destination[i + k] = BlendPixel<Level>(destination[i + k], source[i + k], masks);
        }
    }
    for (; i < count; ++i) {
        destination[i] = BlendPixel<Level>(destination[i], source[i], masks);
    }
}

// Row operations as small function objects, so the frame walkers take them by template.
// SourceOnly: what is written depends on the source alone, so blocks may overlap.
// SizedRows: a whole frame up to row_runs::MaxWidth wide has an out-of-line copy of its width
// on any processor (RowsSizedToWidth), which a blitter reaches with a jump.
struct CopyOp {
    static constexpr bool SourceOnly = true;
    static constexpr bool SizedRows = true;
    template <int N>
    void Run(std::uint16_t* d, const std::uint16_t* s) const {
        CopyBlock<N>(d, s);
    }
    void operator()(std::uint16_t* d, const std::uint16_t* s, std::int32_t n) const {
        OverlappingSpan(*this, d, s, n);
    }
    void MaskedRows(std::uint16_t* d, const std::uint16_t* s, std::int64_t width,
                    std::int64_t height, std::int64_t pitch) const {
        masked_rows::Copy(d, s, width, height, pitch);
    }
    void RowsSizedToWidth(std::uint16_t* d, const std::uint16_t* s, std::int64_t width,
                          std::int64_t height, std::int64_t pitch) const {
        row_runs::Copy(d, s, width, height, pitch);
    }
};

template <int Shift>
struct DimOp {
    static constexpr bool SourceOnly = true;
    static constexpr bool SizedRows = false;
    std::uint16_t mask;
    template <int N>
    void Run(std::uint16_t* d, const std::uint16_t* s) const {
        DimBlock<N, Shift>(d, s, mask);
    }
    void operator()(std::uint16_t* d, const std::uint16_t* s, std::int32_t n) const {
        OverlappingSpan(*this, d, s, n);
    }
    void MaskedRows(std::uint16_t* d, const std::uint16_t* s, std::int64_t width,
                    std::int64_t height, std::int64_t pitch) const {
        masked_rows::Dim<Shift>(d, s, width, height, pitch, mask);
    }
};

template <int Level>
struct BlendOp {
    static constexpr bool SourceOnly = false;
    static constexpr bool SizedRows = false;
    DimMasks masks;
    void operator()(std::uint16_t* d, const std::uint16_t* s, std::int32_t n) const {
        BlendRow<Level>(d, s, n, masks);
    }
};

}  // namespace vorlix::kernels
