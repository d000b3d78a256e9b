#pragma once
// Whether frames are drawn in full every time, for comparison with incremental frames. Chosen
// once at start-up by the host (VORLIX_FULL_REDRAW=1 in the environment) and read at set-up.
namespace vorlix {

enum class RedrawMode { Incremental, Full };

void ChooseRedrawMode(RedrawMode mode);
RedrawMode ChosenRedrawMode();
// The environment variable's value, or null when it is not set.
RedrawMode RedrawModeFromEnvironment(const char* value);

constexpr const char* FullRedrawVariable = "VORLIX_FULL_REDRAW";

}  // namespace vorlix
