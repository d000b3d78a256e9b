#include "glyphs/blitters.h"
#include "glyphs/row_kernels.h"

namespace vorlix {

void CopyPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count) {
    kernels::CopyOp{}(destination, source, count);
}

void DimPixels(std::uint16_t* destination, const std::uint16_t* source, std::int32_t count,
               std::int32_t level, PixelFormat format) {
    const kernels::DimMasks masks = kernels::MasksFor(format);
    switch (level) {
        case 1: kernels::DimOp<1>{masks.half}(destination, source, count); return;
        case 2: kernels::DimOp<2>{masks.quarter}(destination, source, count); return;
        case 3: kernels::DimOp<3>{masks.eighth}(destination, source, count); return;
        default: kernels::CopyOp{}(destination, source, count); return;
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
        default: kernels::CopyOp{}(destination, source, count); return;
    }
}

}  // namespace vorlix
