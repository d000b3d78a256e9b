#include "glyphs/masked_rows.h"

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)

#include <immintrin.h>

namespace vorlix::masked_rows {

namespace {

VORLIX_MASKED_ROWS inline __mmask16 RowMask(std::int64_t width) {
    return static_cast<__mmask16>((1u << width) - 1u);
}

}  // namespace

VORLIX_MASKED_ROWS void Copy(std::uint16_t* destination, const std::uint16_t* source,
                             std::int64_t width, std::int64_t height, std::int64_t pitch) {
    const RowRun run{destination, source, height};
    CopyRuns(&run, 1, width, pitch);
}

VORLIX_MASKED_ROWS void CopyRuns(const RowRun* runs, std::int64_t count, std::int64_t width,
                                 std::int64_t pitch) {
    const __mmask16 row = RowMask(width);
    for (const RowRun* run = runs; run != runs + count; ++run) {
        const std::uint16_t* source = run->source;
        std::uint16_t* destination = run->destination;
        for (std::int64_t r = 0; r < run->rows; ++r, source += width, destination += pitch) {
            _mm256_mask_storeu_epi16(destination, row, _mm256_maskz_loadu_epi16(row, source));
        }
    }
}

template <int Shift>
VORLIX_MASKED_ROWS void Dim(std::uint16_t* destination, const std::uint16_t* source,
                            std::int64_t width, std::int64_t height, std::int64_t pitch,
                            std::uint16_t channels) {
    const __mmask16 row = RowMask(width);
    const __m256i keep = _mm256_set1_epi16(static_cast<short>(channels));
    for (std::int64_t r = 0; r < height; ++r, source += width, destination += pitch) {
        const __m256i pixels = _mm256_maskz_loadu_epi16(row, source);
        _mm256_mask_storeu_epi16(destination, row,
                                 _mm256_and_si256(_mm256_srli_epi16(pixels, Shift), keep));
    }
}

template VORLIX_MASKED_ROWS void Dim<1>(std::uint16_t*, const std::uint16_t*, std::int64_t,
                                        std::int64_t, std::int64_t, std::uint16_t);
template VORLIX_MASKED_ROWS void Dim<2>(std::uint16_t*, const std::uint16_t*, std::int64_t,
                                        std::int64_t, std::int64_t, std::uint16_t);
template VORLIX_MASKED_ROWS void Dim<3>(std::uint16_t*, const std::uint16_t*, std::int64_t,
                                        std::int64_t, std::int64_t, std::uint16_t);

}  // namespace vorlix::masked_rows

#endif
