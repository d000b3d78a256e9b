#pragma once
#include <cstdint>

namespace vorlix {

// The 16-bit pixel layout of the display.
enum PixelFormat : std::uint32_t { Rgb555 = 0, Rgb565 = 1 };

// A 16-bit pixel as XRGB, each channel widened by repeating its top bits: what the screen
// shows of it.
inline std::uint32_t WidenPixel(std::uint16_t pixel, PixelFormat format) {
    const bool six = format == Rgb565;
    std::uint32_t r = six ? (pixel >> 11) & 31 : (pixel >> 10) & 31;
    std::uint32_t g = (pixel >> 5) & (six ? 63 : 31);
    std::uint32_t b = pixel & 31;
    r = (r << 3) | (r >> 2);
    g = six ? (g << 2) | (g >> 4) : (g << 3) | (g >> 2);
    b = (b << 3) | (b >> 2);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// The display's layout, published by the display manager before the draw thread starts and
// read by the blitters.
extern PixelFormat ActivePixelFormat;

}  // namespace vorlix
