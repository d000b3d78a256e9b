// The shown frame as 8-bit RGB and as a PNG file.
#include <png.h>

#include <cstdio>

#include "platform/headless/display_device.h"

namespace vorlix::headless {
namespace {

// Widens a 5- or 6-bit channel to 8 bits, repeating its high bits in the low ones.
std::uint8_t Widen(std::uint32_t value, int bits) {
    return static_cast<std::uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

// libpng reports errors by longjmp: nothing with a destructor lives in this frame.
bool WritePng(std::FILE* file, const ShownFrame& frame, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(frame.width),
                 static_cast<png_uint_32>(frame.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void ConvertToRgb(const std::uint16_t* pixels, std::int32_t count, DisplayLayout layout,
                  std::uint8_t* rgb) {
    bool wideGreen = layout != DisplayLayout::Rgb555;
    int greenBits = wideGreen ? 6 : 5;
    int redShift = wideGreen ? 11 : 10;
    std::uint32_t greenMask = wideGreen ? 0x3F : 0x1F;
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t pixel = pixels[i];
        rgb[3 * i] = Widen((pixel >> redShift) & 0x1F, 5);
        rgb[3 * i + 1] = Widen((pixel >> 5) & greenMask, greenBits);
        rgb[3 * i + 2] = Widen(pixel & 0x1F, 5);
    }
}

std::vector<std::uint8_t> ToRgb(const ShownFrame& frame) {
    std::vector<std::uint8_t> rgb(frame.pixels.size() * 3);
    ConvertToRgb(frame.pixels.data(), static_cast<std::int32_t>(frame.pixels.size()),
                 frame.layout, rgb.data());
    return rgb;
}

bool SavePng(const ShownFrame& frame, const std::string& path) {
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height) {
        return false;
    }
    std::vector<std::uint8_t> rgb = ToRgb(frame);
    std::vector<png_bytep> rows(static_cast<std::size_t>(frame.height));
    for (std::int32_t y = 0; y < frame.height; ++y) {
        rows[y] = rgb.data() + static_cast<std::size_t>(y) * frame.width * 3;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = WritePng(file, frame, rows.data());
    written = std::fclose(file) == 0 && written;
    if (!written) std::remove(path.c_str());
    return written;
}

}  // namespace vorlix::headless
