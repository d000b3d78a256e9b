#pragma once
#include <cstdint>

namespace vorlix {

// The 16-bit pixel layout of the display.
enum PixelFormat : std::uint32_t { Rgb555 = 0, Rgb565 = 1 };

// The display's layout, published by the display manager before the draw thread starts and
// read by the blitters.
extern PixelFormat ActivePixelFormat;

}  // namespace vorlix
