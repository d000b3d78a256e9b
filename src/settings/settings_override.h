#pragma once
// Settings given for one run on the command line (XScreenSaver's --density and --highlight):
// each load of the stored settings is followed by these, clamped as the dialog clamps, and
// nothing of them is ever saved.
#include <cstdint>

#include "settings/settings_store.h"

namespace vorlix {

void OverrideDensity(std::uint32_t density);
void OverrideHighlight(std::uint32_t percentage);
void OverrideZoom(std::uint32_t zoom);  // 1 to 4
void ClearSettingsOverrides();
void ApplySettingsOverrides(SettingsRecord& settings);

}  // namespace vorlix
