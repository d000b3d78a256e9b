#include "settings/settings_override.h"

namespace vorlix {

namespace {

constexpr std::uint32_t MaxDensity = 400;
constexpr std::uint32_t MaxHighlight = 100;
constexpr std::uint32_t MaxZoom = 4;

struct Overrides {
    bool density = false;
    bool highlight = false;
    bool zoom = false;
    std::uint32_t densityValue = 0;
    std::uint32_t highlightValue = 0;
    std::uint32_t zoomValue = 0;
} Given;

}  // namespace

void OverrideDensity(std::uint32_t density) {
    Given.density = true;
    Given.densityValue = density > MaxDensity ? MaxDensity : density;
}

void OverrideHighlight(std::uint32_t percentage) {
    Given.highlight = true;
    Given.highlightValue = percentage > MaxHighlight ? MaxHighlight : percentage;
}

void OverrideZoom(std::uint32_t zoom) {
    Given.zoom = true;
    Given.zoomValue = zoom < 1 ? 1 : zoom > MaxZoom ? MaxZoom : zoom;
}

void ClearSettingsOverrides() { Given = Overrides{}; }

void ApplySettingsOverrides(SettingsRecord& settings) {
    if (Given.density) settings.Density = Given.densityValue;
    if (Given.highlight) settings.HighlightDensity = Given.highlightValue;
    if (Given.zoom) settings.Zoom = Given.zoomValue;
}

}  // namespace vorlix
