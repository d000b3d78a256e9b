#pragma once
// The per-row pixel loops shared by the blitters and the public row operations. They are
// inline so that each blitter gets its own copy of the loop with the level fixed; the loops
// work in blocks of eight pixels (one 128-bit vector) so the compiler vectorises them even at
// -O2, and finish the odd pixels one by one.
#include <cstdint>
#include <cstring>

#include "glyphs/pixel_format.h"

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

inline void CopyRow(std::uint16_t* __restrict destination,
                    const std::uint16_t* __restrict source, std::int32_t count) {
    // Fixed-size block copies compile to plain vector moves; a libc call per short glyph row
    // would cost more than the row itself.
    while (count >= 2 * Block) {
        std::memcpy(destination, source, 4 * Block);
        destination += 2 * Block;
        source += 2 * Block;
        count -= 2 * Block;
    }
    if (count >= Block) {
        std::memcpy(destination, source, 2 * Block);
        destination += Block;
        source += Block;
        count -= Block;
    }
    if (count >= 4) {
        std::memcpy(destination, source, 8);
        destination += 4;
        source += 4;
        count -= 4;
    }
    if (count >= 2) {
        std::memcpy(destination, source, 4);
        destination += 2;
        source += 2;
        count -= 2;
    }
    if (count > 0) *destination = *source;
}

template <int Shift>
inline void DimRow(std::uint16_t* __restrict destination,
                   const std::uint16_t* __restrict source, std::int32_t count,
                   std::uint16_t mask) {
    std::int32_t i = 0;
    for (; i + Block <= count; i += Block) {
        for (std::int32_t k = 0; k < Block; ++k) {
            destination[i + k] = static_cast<std::uint16_t>((source[i + k] >> Shift) & mask);
        }
    }
    for (; i < count; ++i) {
        destination[i] = static_cast<std::uint16_t>((source[i] >> Shift) & mask);
    }
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
struct CopyOp {
    void operator()(std::uint16_t* d, const std::uint16_t* s, std::int32_t n) const {
        CopyRow(d, s, n);
    }
};

template <int Shift>
struct DimOp {
    std::uint16_t mask;
    void operator()(std::uint16_t* d, const std::uint16_t* s, std::int32_t n) const {
        DimRow<Shift>(d, s, n, mask);
    }
};

template <int Level>
struct BlendOp {
    DimMasks masks;
    void operator()(std::uint16_t* d, const std::uint16_t* s, std::int32_t n) const {
        BlendRow<Level>(d, s, n, masks);
    }
};

}  // namespace vorlix::kernels
