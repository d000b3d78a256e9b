#pragma once
#include <cstdint>

namespace vorlix {

// A drawable area of pixels; pitch counts pixels from one row to the next.
template <class Pixel>
struct PixelView {
    Pixel* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t pitch = 0;
};

// 16-bit pixels in the display's layout: what every blitter draws into.
using SurfaceView = PixelView<std::uint16_t>;
// 32-bit XRGB pixels, the screen's own: only rain frames are drawn straight into these.
using WideView = PixelView<std::uint32_t>;

}  // namespace vorlix
