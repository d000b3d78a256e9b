// The Linux host plans every monitor into its own full screen: it makes no cover windows.
#include "platform/cover_window.h"

namespace vorlix::platform {

bool OffersCoverWindows() {
    return false;
}

std::unique_ptr<CoverWindow> CreateCoverWindow(const CoverLayout&) {
    return nullptr;
}

}  // namespace vorlix::platform
