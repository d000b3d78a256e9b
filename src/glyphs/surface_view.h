#pragma once
#include <cstdint>

namespace vorlix {

// A drawable area of 16-bit pixels; pitch counts 16-bit pixels from one row to the next.
struct SurfaceView {
    std::uint16_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t pitch = 0;
};

}  // namespace vorlix
