#include "settings/settings_override.h"

#include <algorithm>
#include <optional>

namespace vorlix {

namespace {

// Each value as given, already clamped; absent when not given.
struct Overrides {
    std::optional<std::uint32_t> density;
    std::optional<std::uint32_t> highlight;
    std::optional<std::uint32_t> zoom;
} Given;

}  // namespace

void OverrideDensity(std::uint32_t density) { Given.density = std::min(density, MaxDensity); }

void OverrideHighlight(std::uint32_t percentage) {
    Given.highlight = std::min(percentage, MaxHighlightDensity);
}

void OverrideZoom(std::uint32_t zoom) { Given.zoom = std::clamp(zoom, std::uint32_t{1}, MaxZoom); }

void ClearSettingsOverrides() { Given = Overrides{}; }

void ApplySettingsOverrides(SettingsRecord& settings) {
    settings.Density = Given.density.value_or(settings.Density);
    settings.HighlightDensity = Given.highlight.value_or(settings.HighlightDensity);
    settings.Zoom = Given.zoom.value_or(settings.Zoom);
}

}  // namespace vorlix
