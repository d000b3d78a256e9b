#include "rain/redraw_mode.h"

#include <atomic>
#include <cstring>

namespace vorlix {

namespace {
std::atomic<RedrawMode> Chosen{RedrawMode::Incremental};
}

void ChooseRedrawMode(RedrawMode mode) { Chosen.store(mode); }

RedrawMode ChosenRedrawMode() { return Chosen.load(); }

RedrawMode RedrawModeFromEnvironment(const char* value) {
    const bool full = value != nullptr && std::strcmp(value, "1") == 0;
    return full ? RedrawMode::Full : RedrawMode::Incremental;
}

}  // namespace vorlix
