#include "glyphs/pixel_format.h"

#include "glyphs/graphics_loader.h"

namespace vorlix {

PixelFormat ActivePixelFormat = Rgb565;

// Truncation, no rounding: the low bits of each 8-bit channel are dropped.
std::uint16_t PackRgb555(const std::uint8_t* bgr) {
    const unsigned blue = bgr[0] >> 3;
    const unsigned green = bgr[1] >> 3;
    const unsigned red = bgr[2] >> 3;
    return static_cast<std::uint16_t>(red << 10 | green << 5 | blue);
}

std::uint16_t PackRgb565(const std::uint8_t* bgr) {
    const unsigned blue = bgr[0] >> 3;
    const unsigned green = bgr[1] >> 2;
    const unsigned red = bgr[2] >> 3;
    return static_cast<std::uint16_t>(red << 11 | green << 5 | blue);
}

}  // namespace vorlix
