#include "settings/resolution_table.h"

#include <cstring>

namespace vorlix {

namespace {
constexpr ResolutionRow Rows[ResolutionRows] = {
    {"640x480", 640, 480},     {"800x600", 800, 600},     {"1024x768", 1024, 768},
    {"1152x864", 1152, 864},   {"1280x1024", 1280, 1024}, {"1600x1200", 1600, 1200},
};
}  // namespace

const ResolutionRow& ResolutionRowOf(std::int32_t index) {
    if (index < 1 || index > ResolutionRows) return Rows[FallbackResolutionIndex - 1];
    return Rows[index - 1];
}

int ResolutionIndexOf(const char (&text)[20]) {
    std::uint32_t length = ResolutionTextLength(text);
    for (int row = 0; row < ResolutionRows; ++row) {
        if (std::strlen(Rows[row].text) == length &&
            std::memcmp(Rows[row].text, text, length) == 0)
            return row + 1;
    }
    return 0;
}

bool IsDesktopSizeText(const char (&text)[20]) {
    return ResolutionTextLength(text) == sizeof DesktopSizeText - 1 &&
           std::memcmp(text, DesktopSizeText, sizeof DesktopSizeText - 1) == 0;
}

std::uint32_t ResolutionTextLength(const char (&text)[20]) {
    const void* end = std::memchr(text, 0, sizeof text);
    if (end == nullptr) return sizeof text;
    return static_cast<std::uint32_t>(static_cast<const char*>(end) - text);
}

}  // namespace vorlix
