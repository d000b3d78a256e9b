#include "rain/look_scan.h"

#include <cstddef>

#include "rain/cell_look.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorlix {

namespace {

// One word of bits for cells [first, first + n), n <= 64, one at a time.
void ScanCellByCell(const GlyphCell* cells, std::int32_t first, std::int32_t n,
                    std::uint16_t* looks, const std::uint16_t* drawn, const std::uint16_t* shown,
                    std::uint64_t& toDraw, std::uint64_t& toShow) {
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t at = first + i;
        const std::uint16_t key = LookKeyOf(cells[at].Glyph, cells[at].Mode);
        looks[at] = key;
        toDraw |= static_cast<std::uint64_t>(key != drawn[at]) << i;
        toShow |= static_cast<std::uint64_t>(key != shown[at]) << i;
    }
}

#if defined(__SSE2__)

// The look keys of eight cells: glyph << 2 | (4 - mode) for modes 1 to 4, else the blank
// glyph's key.
inline __m128i EightKeys(const GlyphCell* cells) {
    static_assert(sizeof(GlyphCell) == 4 && offsetof(GlyphCell, Glyph) == 0 &&
                  offsetof(GlyphCell, Mode) == 3);
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + 4));
    const __m128i byte = _mm_set1_epi32(0xFF);
    const __m128i glyphs = _mm_packs_epi32(_mm_and_si128(low, byte), _mm_and_si128(high, byte));
    const __m128i modes = _mm_packs_epi32(_mm_srli_epi32(low, 24), _mm_srli_epi32(high, 24));
    const __m128i drawn = _mm_and_si128(_mm_cmpgt_epi16(modes, _mm_setzero_si128()),
                                        _mm_cmplt_epi16(modes, _mm_set1_epi16(DrawFull + 1)));
    const __m128i lit = _mm_or_si128(_mm_slli_epi16(glyphs, 2),
                                     _mm_sub_epi16(_mm_set1_epi16(DrawFull), modes));
    const __m128i blank = _mm_set1_epi16(static_cast<short>(BlankGlyph << 2));
    return _mm_or_si128(_mm_and_si128(drawn, lit), _mm_andnot_si128(drawn, blank));
}

// Eight cells: their keys stored, and a byte each of "differs from drawn" and "from shown".
inline void ScanEight(const GlyphCell* cells, std::int32_t at, std::uint16_t* looks,
                      const std::uint16_t* drawn, const std::uint16_t* shown,
                      std::uint32_t& drawBits, std::uint32_t& showBits) {
    const __m128i keys = EightKeys(cells + at);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(looks + at), keys);
    const __m128i sameDrawn =
        _mm_cmpeq_epi16(keys, _mm_loadu_si128(reinterpret_cast<const __m128i*>(drawn + at)));
    const __m128i sameShown =
        _mm_cmpeq_epi16(keys, _mm_loadu_si128(reinterpret_cast<const __m128i*>(shown + at)));
    const auto same =
        static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(sameDrawn, sameShown)));
    drawBits = ~same & 0xFF;
    showBits = (~same >> 8) & 0xFF;
}

#endif

}  // namespace

void ScanLooks(const GlyphCell* cells, std::int32_t count, std::uint16_t* looks,
               const std::uint16_t* drawn, const std::uint16_t* shown, std::uint64_t* toDraw,
               std::uint64_t* toShow) {
    for (std::int32_t first = 0, word = 0; first < count; first += 64, ++word) {
        const std::int32_t n = count - first < 64 ? count - first : 64;
        std::uint64_t draw = 0;
        std::uint64_t show = 0;
        std::int32_t i = 0;
#if defined(__SSE2__)
        for (; i + 8 <= n; i += 8) {
            std::uint32_t drawBits = 0;
            std::uint32_t showBits = 0;
            ScanEight(cells, first + i, looks, drawn, shown, drawBits, showBits);
            draw |= static_cast<std::uint64_t>(drawBits) << i;
            show |= static_cast<std::uint64_t>(showBits) << i;
        }
#endif
        if (i < n) {
            std::uint64_t drawTail = 0;
            std::uint64_t showTail = 0;
            ScanCellByCell(cells, first + i, n - i, looks, drawn, shown, drawTail, showTail);
            draw |= drawTail << i;
            show |= showTail << i;
        }
        toDraw[word] = draw;
        toShow[word] = show;
    }
}

}  // namespace vorlix
