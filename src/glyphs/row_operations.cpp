#include "glyphs/blitters.h"
#include "glyphs/row_kernels.h"

namespace vorlix {

void CopyPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count) {
    if (count <= 0) return;
    kernels::CopyRow(destination, source, count);
}

void DimPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count,
               std::int32_t level, PixelFormat format) {
    if (count <= 0) return;
    const kernels::DimMasks masks = kernels::MasksFor(format);
    switch (level) {
        case 1: kernels::DimRow<1>(destination, source, count, masks.half); return;
        case 2: kernels::DimRow<2>(destination, source, count, masks.quarter); return;
        case 3: kernels::DimRow<3>(destination, source, count, masks.eighth); return;
        default: kernels::CopyRow(destination, source, count); return;
    }
}

void BlendPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count,
                 std::int32_t level, PixelFormat format) {
    if (count <= 0) return;
    const kernels::DimMasks masks = kernels::MasksFor(format);
    switch (level) {
        case 1: kernels::BlendRow<1>(destination, source, count, masks); return;
        case 2: kernels::BlendRow<2>(destination, source, count, masks); return;
        case 3: kernels::BlendRow<3>(destination, source, count, masks); return;
        // No mix outside 1 ... 3: the source is drawn as it is.
        default: kernels::CopyRow(destination, source, count); return;
    }
}

}  // namespace vorlix
