#pragma once
// The six known full-screen resolutions, rows 1 to 6; any other row stands for 800 by 600.
#include <cstdint>

namespace vorlix {

struct ResolutionRow {
    const char* text;
    std::int32_t width;
    std::int32_t height;
};

constexpr int ResolutionRows = 6;
constexpr int FallbackResolutionIndex = 2;
// Where the host offers it: the monitors' own sizes with a whole-number glyph zoom.
constexpr int DesktopSizeIndex = ResolutionRows + 1;
constexpr char DesktopSizeText[] = "Desktop size";

// The row's entry; the 800x600 row for an index outside 1 to 6.
const ResolutionRow& ResolutionRowOf(std::int32_t index);
// The row whose text equals the 20-byte field exactly (case-sensitive), or 0.
int ResolutionIndexOf(const char (&text)[20]);
bool IsDesktopSizeText(const char (&text)[20]);
// Characters in the 20-byte field, which holds no terminator when it is full.
std::uint32_t ResolutionTextLength(const char (&text)[20]);

}  // namespace vorlix
