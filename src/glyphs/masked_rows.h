#pragma once
// Glyph rows of up to 16 pixels copied or dimmed with one masked 256-bit load and store per
// row, on processors with AVX-512 (BW and VL): half the stores of two overlapping 128-bit
// blocks, and stores are what a glyph blit is bound by. Chosen at run time, so the program
// still runs on any x86-64. Not built for Windows, whose 64-bit ABI does not keep the stack
// aligned for 256-bit spills under GCC. VORLIX_CPU=baseline turns them off.
#include <cstdint>

#include "glyphs/processor_path.h"
#include "glyphs/row_runs.h"

namespace vorlix::masked_rows {

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define VORLIX_MASKED_ROWS __attribute__((target("avx512bw,avx512vl")))
constexpr bool Built = true;
// Whether the processor has them.
inline bool Supported() {
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
}
#else
#define VORLIX_MASKED_ROWS
constexpr bool Built = false;
inline bool Supported() {
    return false;
}
#endif

// Whether the copies use them: the processor has them and the baseline was not chosen.
inline bool Available() {
    return ChosenProcessorPath() != ProcessorPath::Baseline && Supported();
}

constexpr std::int64_t MaxWidth = 16;

// Rows of width 1 ... MaxWidth, the source packed row after row; only when Available().
VORLIX_MASKED_ROWS void Copy(std::uint16_t* destination, const std::uint16_t* source,
                             std::int64_t width, std::int64_t height, std::int64_t pitch);
// Many glyphs' rows at once, each run as Copy copies it: no call per glyph.
VORLIX_MASKED_ROWS void CopyRuns(const RowRun* runs, std::int64_t count, std::int64_t width,
                                 std::int64_t pitch);
// Each pixel shifted right by Shift and masked to keep its channels apart.
template <int Shift>
VORLIX_MASKED_ROWS void Dim(std::uint16_t* destination, const std::uint16_t* source,
                            std::int64_t width, std::int64_t height, std::int64_t pitch,
                            std::uint16_t channels);

}  // namespace vorlix::masked_rows
