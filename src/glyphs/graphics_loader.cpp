#include "glyphs/graphics_loader.h"

#include <new>

namespace vorlix {

namespace {
constexpr std::uint8_t Magenta[3] = {255, 0, 255};  // blue, green, red
}

GraphicsLoader::GraphicsLoader()
    : ScratchPad(new (std::nothrow) std::uint16_t[ScratchCapacity]), capacity(ScratchCapacity) {}

GraphicsLoader::~GraphicsLoader() { delete[] ScratchPad; }

void GraphicsLoader::SetPixelFormat(PixelFormat format) { pixelFormat = format; }

void GraphicsLoader::ConvertRow(std::uint16_t* destination, const std::uint8_t* source,
                                std::int32_t count) {
    if (pixelFormat != Rgb555) {
        for (std::int32_t i = 0; i < count; ++i) destination[i] = PackRgb565(source + 3 * i);
    } else {
        for (std::int32_t i = 0; i < count; ++i) destination[i] = PackRgb555(source + 3 * i);
    }
    ColorKey = MagentaKey();
}

std::uint16_t GraphicsLoader::MagentaKey() const {
    return pixelFormat != Rgb555 ? PackRgb565(Magenta) : PackRgb555(Magenta);
}

bool GraphicsLoader::FitsScratchPad(std::int64_t width, std::int64_t height) const {
    if (ScratchPad == nullptr || width <= 0 || height <= 0) return false;
    return width * height <= capacity && width * height <= ScratchCapacity;
}

}  // namespace vorlix
