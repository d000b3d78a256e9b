#pragma once
// The three user settings and their store under Software\Korvanth\Vorlix.
#include <cstdint>

#include "platform/types.h"

namespace vorlix {

struct SettingsRecord {
    char ResolutionText[20] = {};
    std::int32_t ResolutionIndex = 2;
    std::int32_t ScreenWidth = 800;
    std::int32_t ScreenHeight = 600;
    std::uint32_t Density = 300;
    std::uint32_t HighlightDensity = 8;
    std::uint32_t Zoom = 0;  // glyph zoom 1 to 4, 0 automatic; kept where "Desktop size" is offered
    bool StoreRefused = false;  // the store exists but could not be read: nothing is saved over it
};
extern SettingsRecord Settings;

// What every way in (the store, the dialog, the command line) keeps the numbers within: no
// more streams than the grid holds, a percentage, and the largest glyph zoom.
constexpr std::uint32_t MaxDensity = 400;
constexpr std::uint32_t MaxHighlightDensity = 100;
constexpr std::uint32_t MaxZoom = 4;

bool LoadSettings(WindowHandle owner);
void SaveSettings(WindowHandle owner);
// Why the last load found a settings store that exists but cannot be read, and so used the
// defaults and will save nothing over it; null when the store was fine.
const char* SettingsStoreRefusal();

}  // namespace vorlix
