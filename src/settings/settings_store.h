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
};
extern SettingsRecord Settings;

bool LoadSettings(WindowHandle owner);
void SaveSettings(WindowHandle owner);

}  // namespace vorlix
